#pragma once

#include "karaoke/song_sound.h"

#include <QHash>
#include <QString>
#include <optional>

class SettingsStore;

// The key and tempo last chosen for each song, kept in a settings section of their own: one
// key a song ("Song-" and a hash of its identity), its value "KEY TEMPO USE IDENTITY". At most
// `capacity` songs are kept; past that the one used longest ago is forgotten. A song back at
// its own key and tempo is forgotten too. A value that does not read is ignored (and dropped
// with the next write over it); the section is read once, on first use.
class SongMemory {
public:
    static constexpr int DefaultCapacity = 3000;
    // The key of the section that widens the key range (6 or 12 semitones each way).
    static constexpr const char* KeyRangeKey = "KeyRange";

    explicit SongMemory(SettingsStore& store, int capacity = DefaultCapacity);

    SongSound recall(const QString& song);
    void remember(const QString& song, const SongSound& sound);
    int count();
    // 6, or 12 where the section's KeyRange says so.
    int keyRange();

    static QString keyFor(const QString& song);
    // Nothing for a value that does not read.
    struct Stored {
        SongSound sound;
        qint64 use = 0;
        QString song;
    };
    static std::optional<Stored> parse(const QString& value);
    static QString format(const Stored& stored);

private:
    void load();
    void forgetOldest();

    SettingsStore& m_store;
    const int m_capacity;
    bool m_loaded = false;
    int m_keyRange = SongSound::KeyRange;
    QHash<QString, Stored> m_songs; // by identity
    qint64 m_lastUse = 0;
};

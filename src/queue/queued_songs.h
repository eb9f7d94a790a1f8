#pragma once

#include "queue/queue_store.h"
#include "queue/song_catalogue.h"
#include "queue/song_queue.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class PlaybackEngine;
class QLabel;
class QWidget;
class SettingsStore;
class SongStarts;

// The song queue at work: it belongs to the disc or folder that plays (another disc brings its
// own, kept since it last played), takes the end of a song and Next Track while it holds songs,
// says on the main window what comes next, and is saved for the next start.
class QueuedSongs : public QObject {
    Q_OBJECT
public:
    struct Services {
        PlaybackEngine& engine;
        // The settings section of the queues (apart from "Settings").
        SettingsStore& settings;
        // The serial number of the disc in a drive, 0 for none: which disc a queue is for.
        std::function<qint32(const QString& driveId)> serialOf;
        // Where the songs inside disc tracks start; may be null.
        SongStarts* songStarts = nullptr;
    };
    // A song number longer than this is refused as it is typed.
    static constexpr int MaxDigits = 20;

    // The line that says what comes next is made on `window`, hidden while nothing is queued.
    QueuedSongs(Services services, QWidget* window, QObject* parent = nullptr);
    ~QueuedSongs() override;

    SongQueue& queue() { return m_queue; }
    // The songs of the play list that is loaded (none before one is).
    const SongCatalogue& catalogue();
    // Queues the song a typed number names: nothing when done, else why it was not.
    QString addTyped(const QString& typed);
    // "Add to queue" on a track button: the first song of that track (0 for the first).
    bool addTrack(int listEntry);
    // Plays the song at `place` now, taking it out of the queue.
    void playNow(int place);
    // "07  AVSEQ07.DAT"; a number the disc no longer has is said so.
    QString describe(int number);
    // "Next: 07 · 12 · 3 more"; empty while nothing is queued.
    QString nextText() const;

    // The end of a song and Next Track: true when the queue took them.
    bool takeEndOfMedium() { return playHead(); }
    bool takeNextTrack() { return playHead(); }

    // Writes a change not yet saved (done by itself shortly after each change).
    void saveNow();

    QLabel* lblNextSongs;

private:
    // The queue of the disc or folder the play list holds now, when it is another's.
    void followList();
    QString collectionOfList() const;
    bool discStillThere() const;
    bool playHead();
    void play(int number);

    Services m_services;
    SongQueue m_queue;
    QueueStore m_store;
    QString m_collection; // the disc or folder the queue is for; empty: none, or not told
    std::optional<SongCatalogue> m_catalogue;
    QString m_catalogueFolder;
    int m_catalogueFiles = -1;
    QTimer m_saveTimer;
};

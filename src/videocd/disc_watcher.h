#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CdDrives;
class DiscChangeEvents;
class MediaPlayer;
class PlaybackEngine;
class QTimer;

// Discs going into and out of the drives while the player runs. With automatic detection on and
// nothing playing, a disc put into a drive the player knows is looked for as at start-up, once
// its drive has been quiet for a moment (a drive reports a disc several times while it spins
// up). Taking out the disc that plays stops playback as the Stop command does, without a word.
// Changes of drives the player does not know, and anything while a disc loads or plays, are
// left alone.
class DiscWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int SettleMilliseconds = 1000;

    struct Parts {
        DiscChangeEvents& events;
        CdDrives& drives;
        PlaybackEngine& engine;
        MediaPlayer& player;
        // The "VCD Auto" setting as it stands now.
        std::function<bool()> autoDetection;
        // Start-up's detection: finds the disc and plays it.
        std::function<void()> detect;
    };

    explicit DiscWatcher(Parts parts, QObject* parent = nullptr);

    void setSettleMilliseconds(int milliseconds) { m_settleMilliseconds = milliseconds; }
    bool insertionPending() const;

signals:
    // An insertion's drive has been quiet long enough; `detected`: the disc was looked for.
    void insertionSettled(const QString& driveId, bool detected);

private:
    void mediaChanged(const QString& deviceNode, bool present);
    void settle(const QString& driveId);
    std::optional<QString> driveOf(const QString& deviceNode);
    // Nothing plays or loads: stopped, or the idle or "no movies" text shown.
    bool idle() const;
    // The drive whose disc plays (or is paused, or loading); empty when none does.
    QString playingDrive() const;
    // "disc: SR0 in, looked for" and the like, for scripts following the player.
    static void trace(const QString& driveId, const char* outcome);

    Parts m_parts;
    int m_settleMilliseconds = SettleMilliseconds;
    QHash<QString, QTimer*> m_settling; // by lower-case drive id
    bool m_detecting = false;
};

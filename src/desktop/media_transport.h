#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

// What the desktop (media keys, sound applets, the screen saver) may see and do of the
// player. Each command runs the same step as the window's own button, so the status line and
// the enabled controls stay right; implementations never hand out widgets.
class MediaTransport : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Paused, Playing };

    // The medium in the player. `entry` is its place in the play list (-1: none).
    struct Track {
        int entry = -1;
        int count = 0;
        QString title;            // "My Song.mp3", or "Track 03 of 12" on a disc
        QString localFile;        // empty for a disc track
        double lengthSeconds = 0; // 0 while unknown
    };

    using QObject::QObject;

    virtual State state() const = 0;
    virtual Track track() const = 0;
    virtual double positionSeconds() const = 0;

    // Whether each command would do anything now.
    virtual bool canPlay() const = 0;
    virtual bool canPause() const = 0;
    virtual bool canGoNext() const = 0;
    virtual bool canSeek() const = 0;
    virtual bool canFullScreen() const = 0;
    virtual bool isFullScreen() const = 0;

    // Starts playback, or resumes it when paused; nothing while playing.
    virtual void play() = 0;
    // Pauses while playing; nothing otherwise.
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    // Moves within the current medium; positions outside it are refused.
    virtual void seekTo(double seconds) = 0;
    virtual void setFullScreen(bool on) = 0;
    // The tempo as a rate of the medium's own speed (1.0), and the range it may be set in.
    virtual double rate() const { return 1.0; }
    virtual double minimumRate() const { return 1.0; }
    virtual double maximumRate() const { return 1.0; }
    // Sets the tempo, within that range, as near as its steps allow; the key is kept.
    virtual void setRate(double) {}
    // Where the songs inside the medium in the player start, in seconds from its start and its
    // own start first (a karaoke disc's track holding several songs); empty for a medium of one
    // song and for anything that is no disc track. May read the disc: ask only on demand.
    virtual std::vector<double> songStarts() { return {}; }
    // The songs reserved to play next, in their order, as the song queue names them
    // ("07  AVSEQ07.DAT"); empty while none is.
    virtual QStringList queuedSongs() { return {}; }
    // Plays the queued song at `place` (0 first) now, taking it out of the queue.
    virtual void playQueued(int place) { Q_UNUSED(place); }
    // Brings the window to the front.
    virtual void raise() = 0;
    // The Exit button: stops playback and ends the program.
    virtual void quit() = 0;

signals:
    // The state, the track, its length or what the commands may do has changed (perhaps).
    void changed();
    // The position jumped (a seek), rather than moving on with playback.
    void seeked(double seconds);
    // Another medium went to the player: what was known of the songs inside the last is stale.
    void mediumChanged();
    // Songs were queued, moved, taken out or played.
    void queueChanged();
};

#pragma once

#include "desktop/media_transport.h"
#include "platform/player/media_player.h"

#include <functional>

class PlaybackEngine;
class QueuedSongs;
class QWidget;
class SongStarts;

// The main window's playback as the desktop sees it: the play list and the player read,
// the Play, Pause, Stop, Next Track and Full Screen steps run, each only while its button
// would let the user run it.
class PlaybackTransport : public MediaTransport {
    Q_OBJECT
public:
    struct Window {
        QWidget& window;
        PlaybackEngine& engine;
        MediaPlayer& player;
        // The Full Screen button's step.
        std::function<void()> fullScreen;
        // The Exit button's step.
        std::function<void()> exitProgram;
        // The tempo: read, set, and its range; absent: the medium's own speed only.
        struct Tempo {
            std::function<double()> rate;
            std::function<void(double)> setRate;
            double slowest = 1.0;
            double fastest = 1.0;
        } tempo;
        // Where the songs inside a disc track start; absent: every medium is one song.
        SongStarts* songStarts = nullptr;
        // The songs reserved to play next; absent: none ever are.
        QueuedSongs* queue = nullptr;
    };

    explicit PlaybackTransport(Window window, QObject* parent = nullptr);

    State state() const override;
    Track track() const override;
    double positionSeconds() const override;
    bool canPlay() const override;
    bool canPause() const override;
    bool canGoNext() const override;
    bool canSeek() const override;
    bool canFullScreen() const override;
    bool isFullScreen() const override;
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void seekTo(double seconds) override;
    void setFullScreen(bool on) override;
    double rate() const override;
    double minimumRate() const override { return m_window.tempo.slowest; }
    double maximumRate() const override { return m_window.tempo.fastest; }
    void setRate(double rate) override;
    std::vector<double> songStarts() override;
    QStringList queuedSongs() override;
    void playQueued(int place) override;
    void raise() override;
    void quit() override;

    // "Track 03 of 12", as the track label shows a disc's track.
    static QString discTrackTitle(int entry, int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Window m_window;
    MediaPlayer::Display m_sizeBeforeFullScreen;
};

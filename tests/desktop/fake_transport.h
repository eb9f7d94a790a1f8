#pragma once

#include "desktop/media_transport.h"

#include <QStringList>

// A transport whose state the test sets and whose commands it records; commands change the
// state at once, as a player that answers immediately would.
class FakeTransport : public MediaTransport {
    Q_OBJECT
public:
    State state() const override { return m_state; }
    Track track() const override { return m_track; }
    double positionSeconds() const override { return position; }
    bool canPlay() const override { return playAllowed; }
    bool canPause() const override { return pauseAllowed; }
    bool canGoNext() const override { return nextAllowed; }
    bool canSeek() const override { return m_state != State::Stopped; }
    bool canFullScreen() const override { return true; }
    bool isFullScreen() const override { return fullScreen; }

    void play() override { record("play", State::Playing); }
    void pause() override { record("pause", State::Paused); }
    void stop() override { record("stop", State::Stopped); }
    void next() override { record("next", m_state); }
    void seekTo(double seconds) override
    {
        calls << QStringLiteral("seekTo %1").arg(seconds);
        position = seconds;
        emit seeked(seconds);
    }
    void setFullScreen(bool on) override
    {
        calls << QStringLiteral("fullScreen %1").arg(on);
        fullScreen = on;
        emit changed();
    }
    double rate() const override { return tempo; }
    double minimumRate() const override { return 0.5; }
    double maximumRate() const override { return 1.5; }
    void setRate(double rate) override
    {
        calls << QStringLiteral("setRate %1").arg(rate);
        tempo = rate;
        emit changed();
    }
    std::vector<double> songStarts() override
    {
        ++songReads;
        return starts;
    }
    void raise() override { calls << QStringLiteral("raise"); }
    void quit() override { calls << QStringLiteral("quit"); }

    void setState(State state)
    {
        m_state = state;
        emit changed();
    }
    void setTrack(const Track& track)
    {
        m_track = track;
        emit changed();
    }

    // Another medium goes to the player: it opens stopped, as the player's does.
    void changeMedium(const Track& track, const std::vector<double>& songs)
    {
        m_state = State::Stopped;
        m_track = track;
        starts = songs;
        position = 0;
        emit mediumChanged();
        emit changed();
    }

    QStringList calls;
    std::vector<double> starts; // the medium's song starts
    int songReads = 0;          // how often they were asked for
    double position = 0;
    double tempo = 1.0;
    bool playAllowed = true;
    bool pauseAllowed = true;
    bool nextAllowed = true;
    bool fullScreen = false;

private:
    void record(const char* call, State after)
    {
        calls << QString::fromLatin1(call);
        setState(after);
    }

    State m_state = State::Stopped;
    Track m_track;
};

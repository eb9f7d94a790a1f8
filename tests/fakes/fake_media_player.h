#pragma once

#include "platform/media_player.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

// A scriptable stand-in for the player component. By default a medium whose path is in
// `unplayable` (or missing from disk when `requireExistingFiles`) never starts; any other
// starts at once. Tests drive the rest by hand: finishMedium(), setStateByPlayer(), ...
class FakeMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit FakeMediaPlayer(QObject* parent = nullptr);
    ~FakeMediaPlayer() override;

    void setFileName(const QString& path) override;
    QString FileName() const override { return m_fileName; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    double Duration() const override { return m_duration; }
    double CurrentPosition() const override { return m_position; }
    void setCurrentPosition(double seconds) override;
    int PlayState() const override { return m_state; }
    int DisplaySize() const override { return m_displaySize; }
    void setDisplaySize(int size) override;
    void setEnableFullScreenControls(bool enable) override { m_fullScreenControls = enable; }
    bool ShowControls() const override { return m_showControls; }
    void setShowControls(bool show) override { m_showControls = show; }
    int Balance() const override { return m_balance; }
    void setBalance(int balance) override { m_balance = balance; }
    bool SetFocus() override;
    QWidget* videoWidget() override { return m_view; }

    // Scripting.
    void setDuration(double seconds) { m_duration = seconds; }
    void setPositionByPlayer(double seconds) { m_position = seconds; }
    void setStateByPlayer(int state);
    void finishMedium(); // plays to the end: state 0, then EndOfStream
    bool autoStart = true;
    bool requireExistingFiles = false;
    QStringList unplayable;
    bool failFocus = false;

    // Record of what the program asked for.
    QStringList openedFiles;
    QStringList calls;
    bool fullScreenControlsEnabled() const { return m_fullScreenControls; }

private:
    bool canPlay(const QString& path) const;

    QPointer<QWidget> m_view; // owned by the window it is placed on, if any
    QString m_fileName;
    double m_duration = 0;
    double m_position = 0;
    int m_state = Stopped;
    int m_displaySize = FitToSize;
    bool m_fullScreenControls = false;
    bool m_showControls = false;
    int m_balance = BalanceBoth;
};

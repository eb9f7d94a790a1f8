#pragma once

#include "playback/play_list.h"
#include "playback/play_order.h"

#include <QObject>
#include <QTimer>

class MediaPlayer;
class MciCommands;
class PlaybackHooks;
class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

// The play list and everything that plays it: the Play, Pause, Stop and Next Track
// commands, the player's events, the jump list, the position bar, the elapsed time, the
// play order and the unsupported-format watchdog. It owns the widgets of these jobs; they
// are created on the window and front panel given and placed by the window.
class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    PlaybackEngine(MediaPlayer& player, MciCommands& mci, PlaybackHooks& hooks, QWidget* window,
                   QWidget* frontPanel);

    PlayList& File1() { return m_list; }
    const PlayList& File1() const { return m_list; }

    // Commands.
    void StartListPlayback();
    void PauseCommand();
    void StopCommand();
    void NextTrack();
    void Combo1_Click(int index);
    // Selects a jump-list item in code and plays it; fails for an item that does not exist.
    bool selectJumpItem(int index);

    // Shared steps.
    bool FillFileCombo();
    void PrepareTrackChange();
    void FocusPlayer();
    // Gives the player the current entry's path and plays it.
    bool loadAndPlay(bool setBarMaximum);
    bool SendMCIString(const QString& command, bool showError);

    // Status line and watchdog, also used by the Video CD steps.
    void setStatus(const QString& text);
    QString status() const;
    void disarmWatchdog() { tmrWrong_Format.stop(); }
    bool watchdogArmed() const { return tmrWrong_Format.isActive(); }
    void setTransportEnabled(bool enabled);

    PlayOrder::Mode mode() const;
    QString Filepathtxt() const { return m_filePathSeen; }
    long lastMciResult() const { return m_lastMciResult; }

    QList<QAction*> transportActions() const;

    // Timer steps, public so tests can run a tick without waiting.
    void Timer4_Timer();
    void Timersongna_Timer();
    void tmrWrong_Format_Timer();

    QTimer Timer4;
    QTimer Timersongna;
    QTimer tmrWrong_Format;

    QLabel* lblDisplay;
    QLabel* lblTime;
    QScrollBar* HScroll1;
    QComboBox* Combo1;
    QPushButton* cmdPlay;
    QPushButton* cmdPause;
    QPushButton* cmdStop;
    QPushButton* cmdNexttrack;
    QRadioButton* chkOrd;
    QRadioButton* optRnd;
    QRadioButton* optNone;
    QAction* mnuplay;
    QAction* mnupause;
    QAction* mnustop;
    QAction* mnunexttrack;

signals:
    void statusChanged(const QString& text);

private:
    void createWidgets(QWidget* window, QWidget* frontPanel);
    void connectSignals();
    void onEndOfStream();
    void onPlayStateChange();
    void endOfListStop();
    void chooseEntryByMode();
    bool moveToFollowingEntry();
    void onOrderChosen();
    void onRandomChosen();
    void onScroll(int value);

    MediaPlayer& m_player;
    MciCommands& m_mci;
    PlaybackHooks& m_hooks;
    PlayList m_list;
    PlayOrder m_order;
    QButtonGroup* m_modeGroup;
    QString m_filePathSeen;
    long m_lastMciResult = 0;
};

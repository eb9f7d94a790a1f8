#pragma once

#include "playback/play_list.h"
#include "playback/play_order.h"
#include "playback/position_bar.h"
#include "playback/status_line.h"

#include <QObject>
#include <QTimer>
#include <optional>

class FolderLister;
class MediaPlayer;
class MciCommands;
class PlaybackHooks;
class PlaybackPanel;

// The play list and everything that plays it: the Play, Pause, Stop and Next Track
// commands, the player's events, the jump list, the play order and the unsupported-format
// watchdog, with the status line and the position bar. Its controls are the playback panel's; what
// it needs of the rest of the window goes through the hooks.
class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    // How the player takes the keyboard after a track change.
    enum class Focus { Player, Keep };

    PlaybackEngine(MediaPlayer& player, MciCommands& mci, const FolderLister& folders,
                   PlaybackHooks& hooks, PlaybackPanel& panel, QObject* parent = nullptr);

    PlayList& File1() { return m_list; }
    const PlayList& File1() const { return m_list; }
    PlaybackPanel& panel() { return m_panel; }

    // How long a notice outlasts what the player reports meanwhile.
    static constexpr int NoticeMilliseconds = StatusLine::NoticeMilliseconds;

    // Commands.
    void StartListPlayback();
    // Plays one file as a list of its own, as a path named on the command line does. A file
    // that is not there or cannot be read is only reported: the list and what plays stay.
    bool playSingleFile(const QString& path);
    // The Play command's start without its first medium: the list is offered as it would be,
    // and another part (the disc's lists) chooses what plays.
    void prepareListStart();
    // Plays a medium that is no entry of the list (a disc's menu picture), as a track change
    // does; the list and its current entry stay.
    void playOutsideList(const QString& path);
    // Stops as the end of the list does.
    void stopAtEndOfList() { endOfListStop(); }
    // A medium played now would wait for the player to finish starting.
    bool playerStarting() const;
    void PauseCommand();
    // Moves the playing or paused medium by `seconds`, within its length; the bar follows.
    void seekBy(double seconds);
    void seekTo(double seconds);
    // Marks where the songs inside the medium start on the position bar; a new medium takes
    // them away.
    void showSongMarks(std::vector<double> starts) { m_position.showSongs(std::move(starts)); }
    const std::vector<double>& songMarks() const { return m_position.songs(); }
    // Seconds into the medium that plays or is paused.
    double position() const;
    void StopCommand();
    void NextTrack();
    void Combo1_Click(int index);
    // Selects a jump-list item in code and plays it; fails for an item that does not exist.
    bool selectJumpItem(int index);
    // The track change every track choice shares: prepare it, make `entry` current (the
    // current entry stays when there is no such entry), load and play it, enable the track
    // controls and, unless told otherwise, give the player the keyboard.
    void playEntry(int entry, Focus focus = Focus::Player);
    // The same, from `seconds` into the entry (a song inside a disc track): the player is sent
    // there once it plays.
    void playEntryFrom(int entry, double seconds);

    // Shared steps.
    bool FillFileCombo();
    void PrepareTrackChange();
    // Gives the player the keyboard, unless the user took it to a control with Tab.
    void FocusPlayer();
    bool SendMCIString(const QString& command, bool showError);

    // Status line and watchdog, also used by the Video CD steps.
    void setStatus(const QString& text);
    // The same, painted at once: the process is about to end.
    void setStatusNow(const QString& text);
    // Something the user must read (a file not found): shown on the status line and kept there
    // a few seconds over the player's own reports; any command's text replaces it at once.
    void showNotice(const QString& text);
    QString status() const;
    void disarmWatchdog() { tmrWrong_Format.stop(); }
    bool watchdogArmed() const { return tmrWrong_Format.isActive(); }
    void setTransportEnabled(bool enabled);

    PlayOrder::Mode mode() const;
    QString Filepathtxt() const { return m_filePathSeen; }
    long lastMciResult() const { return m_lastMciResult; }

    // Timer steps, public so tests can run a tick without waiting.
    void Timer4_Timer();
    void Timersongna_Timer();
    void tmrWrong_Format_Timer();

    QTimer Timer4;
    QTimer Timersongna;
    QTimer tmrWrong_Format;

signals:
    void statusChanged(const QString& text);
    // A medium has gone to the player to be played (`path` as the list names it).
    void mediumLoading(const QString& path);
    // The Stop command stopped playback.
    void stopped();

private:
    // The medium handed to the player that has not reported playing yet, by who loaded it: the
    // position bar takes its length then, except after a track change.
    enum class PendingLoad { None, TrackChange, PlayCommand, Chaining, OrderChosen };

    void connectSignals();
    // The status text of the player's state now (playing, paused), for after a notice.
    std::optional<QString> stateText() const;
    // The name of the medium that plays, for the status line.
    QString playingName() const;
    bool loadAndPlay(PendingLoad load);
    void failListStart();
    void onEndOfStream();
    void onPlayStateChange();
    void onPlaying();
    void onLoadFailed();
    void endOfListStop();
    void chooseEntryByMode();
    bool moveToFollowingEntry();
    void onOrderChosen();
    void onRandomChosen();

    MediaPlayer& m_player;
    MciCommands& m_mci;
    PlaybackHooks& m_hooks;
    PlaybackPanel& m_panel;
    PlayList m_list;
    PlayOrder m_order;
    StatusLine m_status;
    PositionBar m_position;
    PendingLoad m_pendingLoad = PendingLoad::None;
    std::optional<double> m_startAt; // where the medium loading now starts, when not at 0
    QString m_filePathSeen;
    QString m_outsideList; // a medium played outside the list, until the list plays again
    long m_lastMciResult = 0;
};

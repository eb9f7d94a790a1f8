#include "playback/playback_engine.h"

#include "platform/disc/mci.h"
#include "platform/files/media_paths.h"
#include "platform/player/media_player.h"
#include "playback/media_problems.h"
#include "playback/playback_hooks.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <utility>

PlaybackEngine::PlaybackEngine(MediaPlayer& player, MciCommands& mci, const FolderLister& folders,
                               PlaybackHooks& hooks, PlaybackPanel& panel, QObject* parent)
    : QObject(parent), m_player(player), m_mci(mci), m_hooks(hooks), m_panel(panel),
      m_list(folders), m_status(panel.lblDisplay, [this] { return stateText(); }),
      m_position(player, panel.HScroll1, panel.lblTime)
{
    Timer4.setInterval(100);
    Timersongna.setInterval(1000);
    tmrWrong_Format.setInterval(2000);
    connect(&m_status, &StatusLine::changed, this, &PlaybackEngine::statusChanged);
    connectSignals();
}

void PlaybackEngine::connectSignals()
{
    PlaybackPanel& p = m_panel;
    connect(p.cmdPlay, &QPushButton::clicked, this, &PlaybackEngine::StartListPlayback);
    connect(p.mnuplay, &QAction::triggered, this, &PlaybackEngine::StartListPlayback);
    connect(p.cmdPause, &QPushButton::clicked, this, &PlaybackEngine::PauseCommand);
    connect(p.mnupause, &QAction::triggered, this, &PlaybackEngine::PauseCommand);
    connect(p.cmdStop, &QPushButton::clicked, this, &PlaybackEngine::StopCommand);
    connect(p.mnustop, &QAction::triggered, this, &PlaybackEngine::StopCommand);
    connect(p.cmdNexttrack, &QPushButton::clicked, this, &PlaybackEngine::NextTrack);
    connect(p.mnunexttrack, &QAction::triggered, this, &PlaybackEngine::NextTrack);
    connect(p.Combo1, &QComboBox::activated, this, &PlaybackEngine::Combo1_Click);
    connect(p.HScroll1, &QScrollBar::sliderMoved, this, [this](int seconds) {
        m_player.setCurrentPosition(seconds);
        FocusPlayer();
    });
    connect(p.chkOrd, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onOrderChosen();
    });
    connect(p.optRnd, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onRandomChosen();
    });
    connect(&Timer4, &QTimer::timeout, this, &PlaybackEngine::Timer4_Timer);
    connect(&Timersongna, &QTimer::timeout, this, &PlaybackEngine::Timersongna_Timer);
    connect(&tmrWrong_Format, &QTimer::timeout, this, &PlaybackEngine::tmrWrong_Format_Timer);
    connect(&m_player, &MediaPlayer::EndOfStream, this, &PlaybackEngine::onEndOfStream);
    connect(&m_player, &MediaPlayer::PlayStateChange, this, &PlaybackEngine::onPlayStateChange);
    connect(&m_player, &MediaPlayer::loadFailed, this, &PlaybackEngine::onLoadFailed);
}

void PlaybackEngine::setStatus(const QString& text)
{
    m_status.set(text);
}

void PlaybackEngine::setStatusNow(const QString& text)
{
    m_status.set(text);
    m_status.paintNow();
}

void PlaybackEngine::showNotice(const QString& text)
{
    m_status.showNotice(text);
}

QString PlaybackEngine::status() const
{
    return m_status.text();
}

std::optional<QString> PlaybackEngine::stateText() const
{
    if (m_player.PlayState() == MediaPlayer::Playing)
        return StatusText::playing(playingName());
    if (m_player.PlayState() == MediaPlayer::Paused)
        return StatusText::Paused;
    return std::nullopt;
}

QString PlaybackEngine::playingName() const
{
    if (m_outsideList.isEmpty())
        return m_list.FileName();
    return m_outsideList.section(QLatin1Char('\\'), -1);
}

void PlaybackEngine::setTransportEnabled(bool enabled)
{
    m_panel.setTransportEnabled(enabled);
}

PlayOrder::Mode PlaybackEngine::mode() const
{
    return m_panel.mode();
}

void PlaybackEngine::FocusPlayer()
{
    if (m_hooks.keyboardOnAControl())
        return;
    m_player.SetFocus(); // a player that cannot take the keyboard is no failure
}

bool PlaybackEngine::loadAndPlay(PendingLoad load)
{
    // A medium that is not there fails at once, as opening it would; what exists but cannot
    // be played is left to the watchdog. Disc files are checked when the disc is read.
    const QString path = m_list.fullPath();
    if (!MediaPaths::isDiscPath(path) && !QFileInfo(path).isFile())
        return false;
    // The player knows the length only once the medium is open; the bar takes it then.
    m_outsideList.clear();
    m_position.showSongs({});
    m_startAt.reset();
    m_pendingLoad = load;
    m_player.setFileName(path);
    m_player.Play();
    // Told once the player has its request: what listeners do costs the start nothing, and
    // anything they set reaches the medium before its sound does.
    emit mediumLoading(path);
    return true;
}

bool PlaybackEngine::FillFileCombo()
{
    QComboBox* combo = m_panel.Combo1;
    const int remembered = m_list.ListIndex();
    const QString currentName = m_list.FileName();
    if (!m_list.setListIndex(0)) {
        combo->setEditText(currentName);
        return false;
    }
    // Entry 0 is never offered: item k stands for entry k + 1.
    combo->addItems(m_list.entries().mid(1));
    combo->setCurrentIndex(-1);
    combo->setEditText(currentName);
    m_list.setListIndex(remembered);
    return true;
}

void PlaybackEngine::chooseEntryByMode()
{
    if (mode() == PlayOrder::Random)
        m_list.setListIndex(m_order.drawEntry(m_list.ListCount()));
}

bool PlaybackEngine::playerStarting() const
{
    return m_player.isStarting();
}

void PlaybackEngine::StartListPlayback()
{
    // A start that fails reports nothing: the status line goes back to what it showed.
    const QString statusBefore = status();
    m_panel.Combo1->clear();
    bool ok = FillFileCombo();
    if (ok) {
        setStatus(StatusText::Loading);
        m_hooks.resetTrackNumber();
        tmrWrong_Format.start();
        chooseEntryByMode();
        ok = loadAndPlay(PendingLoad::PlayCommand);
    }
    if (!ok) {
        setStatus(statusBefore);
        failListStart();
        // A file that is not there is said so once; nothing is retried.
        if (const std::optional<QString> problem = MediaProblems::problemWith(m_list.fullPath());
            problem && !m_list.FileName().isEmpty()) {
            disarmWatchdog();
            showNotice(*problem);
        }
        return;
    }
    m_hooks.EnableTrackControls();
    m_hooks.setTrayEnabled(false);
    m_hooks.setCaptureEnabled(true);
    m_hooks.EnableTrackControls();
    FocusPlayer();
}

void PlaybackEngine::prepareListStart()
{
    m_panel.Combo1->clear();
    FillFileCombo();
    m_hooks.resetTrackNumber();
    tmrWrong_Format.start();
    m_hooks.setTrayEnabled(false);
    m_hooks.setCaptureEnabled(true);
}

void PlaybackEngine::playOutsideList(const QString& path)
{
    PrepareTrackChange();
    m_outsideList = path;
    m_position.showSongs({});
    m_startAt.reset();
    m_pendingLoad = PendingLoad::TrackChange;
    m_player.setFileName(path);
    m_player.Play();
    emit mediumLoading(path);
    m_hooks.EnableTrackControls();
    FocusPlayer();
}

bool PlaybackEngine::playSingleFile(const QString& path)
{
    if (const std::optional<QString> problem = MediaProblems::problemWith(path)) {
        showNotice(*problem);
        return false;
    }
    if (!m_list.setSingleFile(path))
        return false;
    StartListPlayback();
    return true;
}

void PlaybackEngine::failListStart()
{
    m_hooks.DisableTrackControls();
    m_hooks.setCaptureEnabled(false);
    m_hooks.disableBookmarkCommands();
}

void PlaybackEngine::PrepareTrackChange()
{
    m_hooks.disableListedTrackButtons();
    m_panel.holdForTrackChange();
    setStatus(StatusText::Loading);
}

void PlaybackEngine::playEntry(int entry, Focus focus)
{
    const QString statusBefore = status();
    const int entryBefore = m_list.ListIndex();
    PrepareTrackChange();
    m_list.setListIndex(entry); // no such entry: the current one plays again
    // A file missing at once leaves the player as it was, on the entry it plays, and says so.
    if (!loadAndPlay(PendingLoad::TrackChange)) {
        const std::optional<QString> problem = m_list.FileName().isEmpty()
                                                   ? std::nullopt
                                                   : MediaProblems::problemWith(m_list.fullPath());
        m_list.setListIndex(entryBefore);
        if (problem)
            showNotice(*problem);
        else
            setStatus(statusBefore);
    }
    m_hooks.EnableTrackControls();
    if (focus == Focus::Player)
        FocusPlayer();
}

void PlaybackEngine::playEntryFrom(int entry, double seconds)
{
    playEntry(entry);
    if (seconds > 0 && m_pendingLoad == PendingLoad::TrackChange)
        m_startAt = seconds;
}

void PlaybackEngine::Combo1_Click(int index)
{
    playEntry(index + 1);
}

bool PlaybackEngine::selectJumpItem(int index)
{
    if (index < -1 || index >= m_panel.Combo1->count())
        return false;
    m_panel.Combo1->setCurrentIndex(index);
    Combo1_Click(index);
    return true;
}

void PlaybackEngine::PauseCommand()
{
    m_player.Pause();
    FocusPlayer();
}

void PlaybackEngine::seekBy(double seconds)
{
    m_position.seekBy(seconds);
}

void PlaybackEngine::seekTo(double seconds)
{
    m_position.seekTo(seconds);
}

double PlaybackEngine::position() const
{
    return m_player.CurrentPosition();
}

void PlaybackEngine::StopCommand()
{
    setStatus(StatusText::Stopping);
    // Reloading the current entry leaves the player stopped at its start; with no current
    // entry there is nothing to name.
    if (!m_list.FileName().isEmpty())
        m_player.setFileName(m_list.fullPath());
    m_pendingLoad = PendingLoad::None;
    m_player.Stop();
    setStatus(StatusText::Idle);
    m_hooks.setTrayEnabled(true);
    m_hooks.setCaptureEnabled(false);
    m_hooks.disableBookmarkCommands();
    setStatus(StatusText::Idle);
    SendMCIString(QStringLiteral("close all"), false);
    disarmWatchdog();
    emit stopped();
}

bool PlaybackEngine::moveToFollowingEntry()
{
    return m_list.setListIndex(m_list.ListIndex() + 1);
}

void PlaybackEngine::NextTrack()
{
    if (m_hooks.takeNextTrack())
        return;
    // In order mode the following entry is loaded straight away; on the last entry there is
    // none and the last entry starts again.
    int entry = m_list.ListIndex();
    if (mode() == PlayOrder::Order) {
        if (entry + 1 < m_list.ListCount())
            ++entry;
    } else if (mode() == PlayOrder::Random) {
        entry = m_order.drawEntry(m_list.ListCount());
    }
    playEntry(entry);
}

void PlaybackEngine::Timer4_Timer()
{
    m_position.follow();
}

void PlaybackEngine::Timersongna_Timer()
{
    m_position.showElapsed();
}

void PlaybackEngine::tmrWrong_Format_Timer()
{
    // The elapsed time stays frozen from now on.
    Timersongna.stop();
    m_player.Stop();
    m_hooks.setTrayEnabled(true);
    m_hooks.setCaptureEnabled(false);
    PrepareTrackChange();
    setStatus(StatusText::Unsupported);
}

void PlaybackEngine::onOrderChosen()
{
    m_list.setListIndex(0);
    m_panel.offerPlay();
    if (!m_list.Path().isEmpty())
        loadAndPlay(PendingLoad::OrderChosen);
    FocusPlayer();
}

void PlaybackEngine::onRandomChosen()
{
    m_panel.offerPlay();
    FocusPlayer();
}

bool PlaybackEngine::SendMCIString(const QString& command, bool showError)
{
    m_lastMciResult = m_mci.send(command);
    if (showError && m_lastMciResult != 0)
        m_hooks.showMessage(m_mci.errorText(m_lastMciResult));
    return m_lastMciResult == 0;
}

#include "playback/playback_engine.h"

#include "platform/mci.h"
#include "platform/media_paths.h"
#include "platform/media_player.h"
#include "playback/playback_hooks.h"
#include "playback/status_text.h"
#include "playback/time_format.h"
#include "settings/settings_keys.h"
#include "widgets/twips.h"
#include "widgets/ui_trace.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

namespace {
QPushButton* makeButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& toolTip)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QAction* makeAction(QObject* parent, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(name);
    return action;
}
} // namespace

PlaybackEngine::PlaybackEngine(MediaPlayer& player, MciCommands& mci, PlaybackHooks& hooks,
                               QWidget* window, QWidget* frontPanel)
    : QObject(window), m_player(player), m_mci(mci), m_hooks(hooks)
{
    createWidgets(window, frontPanel);
    connectSignals();
}

void PlaybackEngine::createWidgets(QWidget* window, QWidget* frontPanel)
{
    lblDisplay = new QLabel(StatusText::Idle, window);
    lblDisplay->setObjectName("lblDisplay");
    Twips::place(lblDisplay, 120, 6300, 6015, 255);

    lblTime = new QLabel(QStringLiteral("Time"), window);
    lblTime->setObjectName("lblTime");
    Twips::place(lblTime, 6240, 6300, 735, 255);

    HScroll1 = new QScrollBar(Qt::Horizontal, window);
    HScroll1->setObjectName("HScroll1");
    HScroll1->setRange(0, 0);
    HScroll1->setFocusPolicy(Qt::NoFocus);
    Twips::place(HScroll1, 120, 5940, 6855, 255);

    cmdPlay = makeButton(frontPanel, "cmdPlay", QStyle::SP_MediaPlay, "Play");
    Twips::place(cmdPlay, 120, 80, 480, 375);
    cmdPause = makeButton(frontPanel, "cmdPause", QStyle::SP_MediaPause, "Pause");
    Twips::place(cmdPause, 630, 80, 480, 375);
    cmdStop = makeButton(frontPanel, "cmdStop", QStyle::SP_MediaStop, " Stop");
    Twips::place(cmdStop, 1140, 80, 480, 375);
    cmdNexttrack =
        makeButton(frontPanel, "cmdNexttrack", QStyle::SP_MediaSkipForward, "Next Track");
    Twips::place(cmdNexttrack, 1650, 80, 480, 375);
    cmdPause->setEnabled(false);
    cmdNexttrack->setEnabled(false);

    chkOrd = new QRadioButton(QStringLiteral("Order"), frontPanel);
    chkOrd->setObjectName("chkOrd");
    Twips::place(chkOrd, 7060, 80, 840, 375);
    optRnd = new QRadioButton(QStringLiteral("Random"), frontPanel);
    optRnd->setObjectName("optRnd");
    Twips::place(optRnd, 7900, 80, 1140, 375);
    optNone = new QRadioButton(QStringLiteral("&Repeat"), frontPanel);
    optNone->setObjectName("optNone");
    Twips::place(optNone, 9040, 80, 930, 375);
    for (QRadioButton* option : {chkOrd, optRnd, optNone})
        option->setFocusPolicy(Qt::NoFocus);
    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->addButton(chkOrd, PlayOrder::Order);
    m_modeGroup->addButton(optRnd, PlayOrder::Random);
    m_modeGroup->addButton(optNone, PlayOrder::Repeat);
    chkOrd->setChecked(true);

    Combo1 = new QComboBox(frontPanel);
    Combo1->setObjectName("Combo1");
    // The edit field shows the current file; it is never typed into.
    Combo1->setEditable(true);
    Combo1->lineEdit()->setReadOnly(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setFocusPolicy(Qt::NoFocus);
    Twips::place(Combo1, 8760, 800, 2775, 315);

    mnuplay = makeAction(this, "mnuplay", "Play");
    mnupause = makeAction(this, "mnupause", "Pause");
    mnustop = makeAction(this, "mnustop", "Stop");
    mnunexttrack = makeAction(this, "mnunexttrack", "Next Track");
    for (QAction* action : {mnuplay, mnupause, mnunexttrack})
        action->setEnabled(false);

    Timer4.setInterval(100);
    Timersongna.setInterval(1000);
    tmrWrong_Format.setInterval(2000);
}

void PlaybackEngine::connectSignals()
{
    connect(cmdPlay, &QPushButton::clicked, this, &PlaybackEngine::StartListPlayback);
    connect(mnuplay, &QAction::triggered, this, &PlaybackEngine::StartListPlayback);
    connect(cmdPause, &QPushButton::clicked, this, &PlaybackEngine::PauseCommand);
    connect(mnupause, &QAction::triggered, this, &PlaybackEngine::PauseCommand);
    connect(cmdStop, &QPushButton::clicked, this, &PlaybackEngine::StopCommand);
    connect(mnustop, &QAction::triggered, this, &PlaybackEngine::StopCommand);
    connect(cmdNexttrack, &QPushButton::clicked, this, &PlaybackEngine::NextTrack);
    connect(mnunexttrack, &QAction::triggered, this, &PlaybackEngine::NextTrack);
    connect(Combo1, &QComboBox::activated, this, &PlaybackEngine::Combo1_Click);
    connect(HScroll1, &QScrollBar::sliderMoved, this, &PlaybackEngine::onScroll);
    connect(chkOrd, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onOrderChosen();
    });
    connect(optRnd, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onRandomChosen();
    });
    connect(&Timer4, &QTimer::timeout, this, &PlaybackEngine::Timer4_Timer);
    connect(&Timersongna, &QTimer::timeout, this, &PlaybackEngine::Timersongna_Timer);
    connect(&tmrWrong_Format, &QTimer::timeout, this, &PlaybackEngine::tmrWrong_Format_Timer);
    connect(&m_player, &MediaPlayer::EndOfStream, this, &PlaybackEngine::onEndOfStream);
    connect(&m_player, &MediaPlayer::PlayStateChange, this, &PlaybackEngine::onPlayStateChange);
}

QList<QAction*> PlaybackEngine::transportActions() const
{
    return {mnunexttrack, mnuplay, mnupause, mnustop};
}

void PlaybackEngine::setStatus(const QString& text)
{
    lblDisplay->setText(text);
    UiTrace::report("status", text);
    emit statusChanged(text);
}

QString PlaybackEngine::status() const
{
    return lblDisplay->text();
}

void PlaybackEngine::setTransportEnabled(bool enabled)
{
    for (QWidget* button : {cmdNexttrack, cmdPause})
        button->setEnabled(enabled);
    mnunexttrack->setEnabled(enabled);
    mnupause->setEnabled(enabled);
    cmdPlay->setEnabled(enabled);
    mnuplay->setEnabled(enabled);
}

PlayOrder::Mode PlaybackEngine::mode() const
{
    return PlayOrder::Mode(std::max(0, m_modeGroup->checkedId()));
}

void PlaybackEngine::FocusPlayer()
{
    m_player.SetFocus(); // a player that cannot take the keyboard is no failure
}

bool PlaybackEngine::loadAndPlay(bool setBarMaximum)
{
    // A medium that is not there fails at once, as opening it would; what exists but cannot
    // be played is left to the watchdog. Disc files are checked when the disc is read.
    const QString path = m_list.fullPath();
    if (!MediaPaths::isDiscPath(path) && !QFileInfo(path).isFile())
        return false;
    m_player.setFileName(path);
    m_player.Play();
    if (!setBarMaximum)
        return true;
    const std::optional<int> maximum = TimeFormat::barSeconds(m_player.Duration());
    if (!maximum)
        return false;
    HScroll1->setMaximum(*maximum);
    return true;
}

bool PlaybackEngine::FillFileCombo()
{
    const int remembered = m_list.ListIndex();
    const QString currentName = m_list.FileName();
    if (!m_list.setListIndex(0)) {
        Combo1->setEditText(currentName);
        return false;
    }
    // Entry 0 is never offered: item k stands for entry k + 1.
    Combo1->addItems(m_list.entries().mid(1));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(currentName);
    m_list.setListIndex(remembered);
    return true;
}

void PlaybackEngine::chooseEntryByMode()
{
    if (mode() == PlayOrder::Random)
        m_list.setListIndex(m_order.drawEntry(m_list.ListCount()));
}

void PlaybackEngine::StartListPlayback()
{
    // A start that fails reports nothing: the status line goes back to what it showed.
    const QString statusBefore = status();
    Combo1->clear();
    bool ok = FillFileCombo();
    if (ok) {
        setStatus(StatusText::Loading);
        m_hooks.resetTrackNumber();
        tmrWrong_Format.start();
        chooseEntryByMode();
        ok = loadAndPlay(true);
    }
    if (!ok) {
        // The watchdog, armed once the list had entries, still reports the medium.
        setStatus(statusBefore);
        m_hooks.DisableTrackControls();
        m_hooks.setCaptureEnabled(false);
        m_hooks.disableBookmarkCommands();
        return;
    }
    m_hooks.EnableTrackControls();
    m_hooks.setTrayEnabled(false);
    m_hooks.setCaptureEnabled(true);
    m_hooks.EnableTrackControls();
    FocusPlayer();
}

void PlaybackEngine::PrepareTrackChange()
{
    m_hooks.disableListedTrackButtons();
    cmdNexttrack->setEnabled(false);
    cmdPause->setEnabled(false);
    setStatus(StatusText::Loading);
}

void PlaybackEngine::Combo1_Click(int index)
{
    PrepareTrackChange();
    m_list.setListIndex(index + 1);
    loadAndPlay(false);
    m_hooks.EnableTrackControls();
    FocusPlayer();
}

bool PlaybackEngine::selectJumpItem(int index)
{
    if (index < -1 || index >= Combo1->count())
        return false;
    Combo1->setCurrentIndex(index);
    Combo1_Click(index);
    return true;
}

void PlaybackEngine::PauseCommand()
{
    m_player.Pause();
    FocusPlayer();
}

void PlaybackEngine::StopCommand()
{
    setStatus(StatusText::Stopping);
    // Reloading the current entry leaves the player stopped at its start; with no current
    // entry there is nothing to name.
    if (!m_list.FileName().isEmpty())
        m_player.setFileName(m_list.fullPath());
    m_player.Stop();
    setStatus(StatusText::Idle);
    m_hooks.setTrayEnabled(true);
    m_hooks.setCaptureEnabled(false);
    m_hooks.disableBookmarkCommands();
    setStatus(StatusText::Idle);
    SendMCIString(QStringLiteral("close all"), false);
    disarmWatchdog();
}

bool PlaybackEngine::moveToFollowingEntry()
{
    return m_list.setListIndex(m_list.ListIndex() + 1);
}

void PlaybackEngine::NextTrack()
{
    PrepareTrackChange();
    // In order mode the following entry is loaded straight away; on the last entry the move
    // fails and the last entry starts again.
    if (mode() == PlayOrder::Order) {
        moveToFollowingEntry();
    } else {
        chooseEntryByMode();
    }
    loadAndPlay(false);
    m_hooks.EnableTrackControls();
    FocusPlayer();
}

void PlaybackEngine::onEndOfStream()
{
    bool ok = true;
    if (mode() == PlayOrder::Order)
        ok = moveToFollowingEntry();
    else
        chooseEntryByMode();
    if (ok)
        ok = loadAndPlay(true);
    if (!ok) {
        endOfListStop();
        return;
    }
    m_hooks.EnableTrackControls();
}

void PlaybackEngine::endOfListStop()
{
    m_player.Stop();
    m_hooks.DisableTrackControls();
    m_hooks.setCaptureEnabled(false);
    setStatus(StatusText::Idle);
    m_player.setDisplaySize(MediaPlayer::DoubleSize);
    cmdPlay->setEnabled(true);
}

void PlaybackEngine::onPlayStateChange()
{
    m_filePathSeen = m_player.FileName();
    switch (m_player.PlayState()) {
    case MediaPlayer::Playing:
        m_hooks.closeCdNotice();
        setStatus(StatusText::playing(m_list.FileName()));
        disarmWatchdog();
        m_hooks.CheckDiscAndBookmark();
        m_hooks.EnableTrackControls();
        break;
    case MediaPlayer::Paused:
        setStatus(StatusText::Paused);
        break;
    case MediaPlayer::Stopped:
        setStatus(StatusText::Stopped);
        HScroll1->setValue(0);
        break;
    }
    m_hooks.ShowTrackNumber();
    Timer4.start();
}

void PlaybackEngine::Timer4_Timer()
{
    const std::optional<int> maximum = TimeFormat::barSeconds(m_player.Duration());
    if (!maximum)
        return;
    HScroll1->setMaximum(*maximum);
    const std::optional<int> value = TimeFormat::barSeconds(m_player.CurrentPosition());
    if (!value || *value > *maximum)
        return;
    if (!HScroll1->isSliderDown())
        HScroll1->setValue(*value);
}

void PlaybackEngine::onScroll(int value)
{
    m_player.setCurrentPosition(value);
    FocusPlayer();
}

void PlaybackEngine::Timersongna_Timer()
{
    if (m_player.DisplaySize() != MediaPlayer::FullScreen)
        m_player.setShowControls(false);
    lblTime->setText(TimeFormat::elapsed(m_player.CurrentPosition()));
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
    cmdPlay->setEnabled(true);
    if (!m_list.Path().isEmpty())
        loadAndPlay(true);
    FocusPlayer();
}

void PlaybackEngine::onRandomChosen()
{
    cmdPlay->setEnabled(true);
    FocusPlayer();
}

bool PlaybackEngine::SendMCIString(const QString& command, bool showError)
{
    m_lastMciResult = m_mci.send(command);
    if (showError && m_lastMciResult != 0) {
        QMessageBox::warning(lblDisplay->window(), QLatin1String(SettingsKeys::ApplicationTitle),
                             m_mci.errorText(m_lastMciResult), QMessageBox::Ok);
    }
    return m_lastMciResult == 0;
}

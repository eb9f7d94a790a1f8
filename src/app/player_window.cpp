#include "app/player_window.h"

#include "app/keyboard_commands.h"
#include "app/menu_windows.h"
#include "app/popup_menu.h"
#include "app/singer_screen.h"
#include "app/sound_choices.h"
#include "app/window_hooks.h"
#include "app/window_keyboard.h"
#include "app/window_modes.h"
#include "bookmarks/bookmark.h"
#include "capture/capture_chain.h"
#include "capture/capture_controls.h"
#include "capture/capture_destination.h"
#include "capture/settings_dialog.h"
#include "desktop/command_line.h"
#include "desktop/playback_transport.h"
#include "diagnostics/diagnostics.h"
#include "karaoke/karaoke_controls.h"
#include "mixer/volume_panel.h"
#include "platform/disc/mci.h"
#include "platform/player/media_player.h"
#include "platform/settings/settings_store.h"
#include "platform/shell/system_folders.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "queue/queued_songs.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "videocd/disc_lists.h"
#include "videocd/track_panel.h"
#include "videocd/video_cd_loader.h"
#include "widgets/layout_resizer.h"
#include "widgets/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QPushButton>
#include <QWindow>

Playerfrm::Playerfrm(PlatformServices services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services))
{
    setObjectName("Playerfrm");
    setWindowTitle(Product::Caption);
    resize(Twips::toPixels(DesignWidthTwips), Twips::toPixels(DesignHeightTwips));

    QWidget* video = m_services.player->videoWidget();
    video->setParent(this); // placed once, before the window is shown; never moved again
    Twips::place(video, 0, 0, DesignWidthTwips, 5880);

    createFrontPanel();
    m_playbackPanel = new PlaybackPanel(this, Frame1);
    m_hooks = std::make_unique<WindowHooks>(*this);
    m_engine = new PlaybackEngine(*m_services.player, *m_services.mci, *m_services.folderLister,
                                  *m_hooks, *m_playbackPanel, this);
    m_tracks = new TrackPanel(*m_services.player, *m_engine, Frame1);
    createCommandButtons();
    m_modes =
        new WindowModes(this, *m_services.player, cmdOnTop, [this] { m_engine->FocusPlayer(); });
    createKaraoke();
    createMenu();
    createBookmark();
    createVideoCd();
    createSongQueue();
    m_volume = new VolumePanel(
        this, {*m_services.mixer, m_services.tone, [this] { m_engine->FocusPlayer(); }});
    m_transport = new PlaybackTransport(
        {*this, *m_engine, *m_services.player, [this] { m_modes->FullScreen(); },
         [this] { ExitProgram(); }, m_sound->tempo(), m_services.songStarts, m_queue},
        this);
    m_sound->reportTo(*m_transport);

    createCapture();
    createKeyboard();
    setFocusOrder();
    // Created last: it scales the controls that exist when the window loads.
    m_resizer = new LayoutResizer(this);
    m_resizer->setObjectName("rgrResizer1");
    m_engine->Timer4.start();
    m_engine->Timersongna.start();
    qApp->installEventFilter(this);
}

Playerfrm::~Playerfrm()
{
    qApp->removeEventFilter(this);
}

void Playerfrm::createFrontPanel()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::StyledPanel);
    Twips::place(Frame1, 0, 6600, 11655, 1180);
}

void Playerfrm::createCommandButtons()
{
    auto make = [this](const char* name, const QString& caption, const QString& toolTip,
                       QRect twips) {
        auto* button = new QPushButton(caption, Frame1);
        button->setObjectName(name);
        button->setToolTip(toolTip);
        button->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
        Twips::place(button, twips.x(), twips.y(), twips.width(), twips.height());
        return button;
    };
    cmdFullscreen = m_playbackPanel->cmdFullscreen;
    cmdMenu = make("cmdMenu", "Menu", QString(), {3405, 80, 735, 375});
    cmdOnTop = make("cmdOnTop", "On Top", "Always on Top", {4200, 80, 855, 375});
    m_captureControls = new CaptureControls(Frame1, this);
    cmdCapture = m_captureControls->cmdCapture;
    cmdExit = make("cmdExit", QString(), "Exit Program", {10965, 80, 570, 375});
    cmdExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    connect(cmdExit, &QPushButton::clicked, this, &Playerfrm::ExitProgram);
    connect(cmdFullscreen, &QPushButton::clicked, this, [this] { m_modes->FullScreen(); });
    connect(cmdOnTop, &QPushButton::clicked, this, [this] { m_modes->OnTopToggle(); });
    connect(cmdMenu, &QPushButton::clicked, this, &Playerfrm::cmdMenu_Click);
}

void Playerfrm::createMenu()
{
    m_windows = new MenuWindows(
        this, {[this] { return chooserTarget(); }, [this] { return settingsServices(); }});
    PlaybackPanel& p = *m_playbackPanel;
    m_menu = new PopupMenu(this, {p.mnunexttrack, p.mnuplay, p.mnupause, p.mnustop},
                           m_captureControls->mnucapturescreen, m_karaoke->menu());
    mnuOpenVCD = m_menu->mnuOpenVCD;
    mnuvcdbookmark = m_menu->mnuvcdbookmark;
    mnuaddbookmark = m_menu->mnuaddbookmark;
    MnuClearbookmark = m_menu->MnuClearbookmark;
    mnucapturescreen = m_menu->mnucapturescreen;
    mnutray = m_menu->mnutray;

    m_singer = new SingerScreen(this, *m_services.player, m_menu->mnuSingerScreen,
                                m_services.singerScreenSettings, [this] { m_modes->FullScreen(); });
    connect(mnuOpenVCD, &QAction::triggered, this, &Playerfrm::Command32);
    connect(m_menu->mnuExit, &QAction::triggered, this, &Playerfrm::ExitProgram);
    connect(m_menu->mnuOpenall, &QAction::triggered, this, &Playerfrm::openChooser);
    connect(m_menu->mnuSetting, &QAction::triggered, this, &Playerfrm::openSettings);
    connect(m_menu->mnuhelp, &QAction::triggered, m_windows, &MenuWindows::showHelp);
    connect(m_menu->mnuprogram, &QAction::triggered, m_windows, &MenuWindows::showAbout);
    m_sound->attachChannelMenu(*m_menu);
}

void Playerfrm::createKaraoke()
{
    m_karaoke = new KaraokeControls(m_services.karaoke, *m_services.songSettings, this);
    m_sound = new SoundChoices(*m_services.player, *m_services.drives, *m_karaoke, this);
    m_sound->followSongs(*m_engine);
}

void Playerfrm::createBookmark()
{
    m_bookmark = new Bookmark(Frame1, {mnuaddbookmark, mnuvcdbookmark, MnuClearbookmark},
                              {*m_services.player, *m_services.settings, *m_services.drives,
                               [this] { return m_videoCd->txtCDdrive; },
                               [this] { return m_videoCd->driveKnown(); },
                               [this] { return m_engine->Filepathtxt(); }},
                              this);
    cmdBookmark = m_bookmark->cmdBookmark;
}

void Playerfrm::createCapture()
{
    CaptureChain::Services services{
        .player = *m_services.player,
        .settings = *m_services.settings,
        .folders = *m_services.folders,
        .grabber = m_services.grabber,
        .wallpaper = m_services.wallpaper,
        .leaveOnTop = [this] { m_modes->leaveOnTop(); },
        .destination = [this] { return m_windows->settingsDialog().Pathtxt; },
        .report = [this](const QString& text) { m_engine->setStatus(text); },
    };
    m_capture = new CaptureChain(this, std::move(services), {Timer1, Timer2, Timer3}, txtcopyrname);
    connect(m_captureControls, &CaptureControls::captureRequested, m_capture,
            &CaptureChain::Capture);
}

void Playerfrm::createKeyboard()
{
    m_keyboard = new WindowKeyboard(
        this, m_services.player->videoWidget(),
        {.typed = [this](QChar c) { typed(c); }, .leaveOnTop = [this] { m_modes->leaveOnTop(); }});
    m_keys = new KeyboardCommands(
        this, {.openMenu = [this] { openMenuFromKeyboard(); },
               .seekBy = [this](double seconds) { m_engine->seekBy(seconds); },
               .stepVolume = [this](int direction) { m_volume->stepMainVolume(direction); },
               .toggleMute = [this] { m_volume->toggleMute(); },
               .karaoke = [this](KeyGuide::Command command) { m_sound->runKey(command); },
               .skipSong = [this](int step) { skipSong(step); },
               .listReturn = [this] { m_lists->returnChosen(); },
               .openSongQueue = [this] { m_windows->showSongQueue(*m_queue); }});
}

void Playerfrm::setFocusOrder()
{
    QList<QWidget*> order = m_playbackPanel->transportControls();
    order << QList<QWidget*>{cmdMenu, cmdOnTop, cmdOpencdrom, cmdCapture, cmdBookmark};
    order << m_playbackPanel->playOrderControls();
    order << cmdExit;
    for (QPushButton* button : m_tracks->Songcmd)
        order << button;
    order << m_playbackPanel->Combo1;
    order << m_volume->focusOrder();
    m_keyboard->setFocusOrder(order);
}

void Playerfrm::openChooser()
{
    m_bookmark->turnOff();
    m_windows->showChooser();
}

ChooserTarget Playerfrm::chooserTarget()
{
    return {m_engine->File1(),
            *m_services.player,
            *m_services.settings,
            [this] { m_engine->StartListPlayback(); },
            [this] {
                show();
                raise();
                activateWindow();
            },
            [this](const QString& image) { return m_videoCd->playDiscImage(image); }};
}

Settingfrm::Services Playerfrm::settingsServices()
{
    const auto refreshOsVersion = [this] {
        OsVersion = m_services.folders->GetOSVersion();
        return OsVersion;
    };
    return {*m_services.settings, *m_services.folders, refreshOsVersion};
}

void Playerfrm::openSettings()
{
    m_modes->leaveOnTop();
    m_windows->showSettings();
}

void Playerfrm::cmdMenu_Click()
{
    openMenuAt(QCursor::pos());
}

void Playerfrm::openMenuFromKeyboard()
{
    // Below the button, as if it had been pressed.
    openMenuAt(cmdMenu->mapToGlobal(QPoint(0, cmdMenu->height())));
}

void Playerfrm::openMenuAt(const QPoint& position)
{
    m_modes->leaveOnTop();
    m_menu->showAt(position);
    m_engine->FocusPlayer();
}

void Playerfrm::Form_Load(const QString& commandLine)
{
    // A disc image named on the command line is in its drive before the drives are first
    // looked at, so detection finds it like a disc left in the drive.
    const QString path = CommandLine::mediaPath(commandLine);
    const bool discImage = m_videoCd->insertDiscImage(path);
    m_resizer->record();
    setMinimumSize(m_resizer->formSizeForScale(MinimumScaleAcross, MinimumScaleDown));
    OsVersion = m_services.folders->GetOSVersion();
    if (OsVersion == QLatin1String("XP"))
        HideCapture();
    txtcopyrname = CaptureDestination::screenShotIn(
        m_services.folders->GetSpecialFolder(SystemFolders::Desktop));
    SetupToneLabels();
    Settings::seed(*m_services.settings);
    if (!Settings::vcdAutoDetection(*m_services.settings)) {
        Command30();
        mnuOpenVCD->setEnabled(true);
    } else {
        Command29();
    }
    m_services.player->setDisplaySize(MediaPlayer::FitToSize);
    for (QTimer* timer : {&Timer1, &Timer2, &Timer3}) {
        timer->stop();
        timer->setInterval(100);
    }
    m_engine->SendMCIString(QStringLiteral("close all"), false);

    if (path.isEmpty())
        return;
    if (discImage) {
        // Played above, unless detection is off; the image the user named plays all the same.
        if (!Settings::vcdAutoDetection(*m_services.settings))
            Command29();
        return;
    }
    // A path that names no readable file is reported; the disc or list before it stays.
    m_engine->playSingleFile(path);
}

void Playerfrm::HideCapture()
{
    m_captureControls->hide();
}

void Playerfrm::SetupToneLabels()
{
    m_volume->SetupToneLabels();
}

void Playerfrm::scheduleVolumeRefresh()
{
    if (m_volumeRefreshQueued)
        return;
    m_volumeRefreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_volumeRefreshQueued = false;
        m_volume->Refresh();
    });
}

void Playerfrm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    scheduleVolumeRefresh();
}

void Playerfrm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        scheduleVolumeRefresh();
}

void Playerfrm::endProcess()
{
    m_karaoke->flush();
    m_queue->saveNow();
    m_engine->setStatusNow(StatusText::ShuttingDown);
    if (m_services.endProcess)
        m_services.endProcess(0);
}

void Playerfrm::ExitProgram()
{
    m_engine->StopCommand();
    endProcess();
}

void Playerfrm::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    m_engine->SendMCIString(QStringLiteral("close all"), false);
    m_engine->StopCommand();
    m_engine->StopCommand();
    event->accept();
    endProcess();
}

bool Playerfrm::eventFilter(QObject* watched, QEvent* event)
{
    // Uncovered or mapped again, the window's panel repaints with the mixer's levels.
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
        scheduleVolumeRefresh();
    return false;
}

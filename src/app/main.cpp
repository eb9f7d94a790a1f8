#include "app/loader_warm_up.h"
#include "app/player_window.h"
#include "desktop/command_line.h"
#include "desktop/desktop_entry.h"
#include "desktop/desktop_session.h"
#include "desktop/session_bus.h"
#include "diagnostics/diagnostics.h"
#include "platform/disc/cd_drives.h"
#include "platform/disc/disc_change_events.h"
#include "platform/disc/disc_control.h"
#include "platform/disc/disc_library.h"
#include "platform/disc/disc_song_starts.h"
#include "platform/disc/linux_cd_drives.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/files/folder_lister.h"
#include "platform/files/media_folder_lister.h"
#include "platform/player/mpv_player.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/shell/linux_system_folders.h"
#include "platform/shell/linux_wallpaper.h"
#include "platform/shell/qt_screen_grabber.h"
#include "platform/shell/screen_grabber.h"
#include "platform/shell/system_folders.h"
#include "platform/shell/wallpaper.h"
#include "platform/sound/alsa_mixer_device.h"
#include "settings/product.h"
#include "settings/settings_keys.h"
#include "widgets/window_font.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

[[noreturn]] void endNow(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

// TAMREL_MPV_OPTIONS="vo=null ao=null" adds player options (tests, benchmarks, headless use);
// TAMREL_VIDEO_OUTPUT=opengl|software overrides how the picture is drawn.
MpvPlayer::Options playerOptions(const DiscLibrary& discs)
{
    MpvPlayer::Options options;
    options.discs = &discs;
    options.output = VideoOutputChoice::forThisMachine();
    const QString extra = qEnvironmentVariable("TAMREL_MPV_OPTIONS");
    options.extraOptions = extra.split(' ', Qt::SkipEmptyParts);
    for (const QString& option : options.extraOptions)
        if (option == QLatin1String("vo=null"))
            options.renderVideo = false;
    return options;
}

// --help and --version answer without a display, before the toolkit starts.
int answerRequest(CommandLine::Request request, const char* programName)
{
    const char* slash = std::strrchr(programName, '/');
    const QString name = QString::fromLocal8Bit(slash ? slash + 1 : programName);
    const QString text = request == CommandLine::Request::Help ? CommandLine::helpText(name)
                                                               : CommandLine::versionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    Diagnostics::beginStartup();
    const CommandLine::Request request = CommandLine::requestFor(argc > 1 ? argv[1] : nullptr);
    if (request != CommandLine::Request::Run)
        return answerRequest(request, argv[0]);

    QApplication app(argc, argv);
    QApplication::setApplicationName(Product::Title);
    // Wayland compositors match the window to its desktop entry (icon, name) by this id.
    QGuiApplication::setDesktopFileName(DesktopEntry::Id);
    applyWindowFont(app);
    Diagnostics::mark("QApplication built");
    // The disc library outlives everything that reads discs, the player's streams included.
    DiscLibrary discs;
    const MpvPlayer::Options mpvOptions = playerOptions(discs);
    // What the window needs of the dynamic loader is loaded first; the player then opens
    // libmpv beside the window (both would otherwise wait for each other's loading).
    AlsaMixerDevice mixer;
    mixer.attachNow();
    Diagnostics::mark("mixer attached");
    LoaderWarmUp::loadWhatTheWindowNeeds();

    // The drives are looked for once, here.
    LinuxCdDrives drives(discs, DriveDiscovery::fromEnvironment());
    const std::unique_ptr<DiscChangeEvents> discEvents = DiscChangeEvents::forThisMachine();
    const MediaFolderLister folderLister(&discs);
    DiscSongStarts songStarts(discs);
    LibraryDiscControl discControl(discs);
    MpvPlayer player(mpvOptions);
    IniSettingsStore settings(IniSettingsStore::userFilePath(Product::Title),
                              SettingsKeys::Section);
    IniSettingsStore songSettings(IniSettingsStore::userFilePath(Product::Title),
                                  SettingsKeys::KaraokeSection);
    IniSettingsStore queueSettings(IniSettingsStore::userFilePath(Product::Title),
                                   SettingsKeys::SongQueueSection);
    IniSettingsStore listSettings(IniSettingsStore::userFilePath(Product::Title),
                                  SettingsKeys::PlaybackControlSection);
    IniSettingsStore singerSettings(IniSettingsStore::userFilePath(Product::Title),
                                    SettingsKeys::SingerScreenSection);
    MciInterpreter mci(drives);
    LinuxSystemFolders folders;
    // Where the display hands out no picture of the screen (Wayland), the player's own frame.
    QtScreenGrabber grabber([&player] { return player.videoFrame(); });
    LinuxWallpaper wallpaper(LinuxWallpaper::fromEnvironment());
    // Built after the window, which it follows; the exit paths reach it from before.
    DesktopSession* desktop = nullptr;
    PlatformServices services{.player = &player,
                              .settings = &settings,
                              .mci = &mci,
                              .folders = &folders,
                              .drives = &drives,
                              .discEvents = discEvents.get(),
                              .folderLister = &folderLister,
                              .mixer = &mixer,
                              .tone = &player,
                              .karaoke = &player,
                              .songSettings = &songSettings,
                              .songStarts = &songStarts,
                              .discControl = &discControl,
                              .playbackControlSettings = &listSettings,
                              .queueSettings = &queueSettings,
                              .singerScreenSettings = &singerSettings,
                              .grabber = &grabber,
                              .wallpaper = &wallpaper,
                              .endProcess = [&desktop](int code) {
                                  if (desktop)
                                      desktop->beforeExit();
                                  endNow(code);
                              }};
    Diagnostics::mark("platform services built (mpv initialised)");
    Playerfrm window(std::move(services));
    Diagnostics::mark("main window built");
    DesktopSession session(window.transport(), SessionBus::connect());
    desktop = &session;

    // Benchmarks measure process start to first picture.
    if (qEnvironmentVariableIsSet("TAMREL_EXIT_AFTER_FIRST_FRAME"))
        QObject::connect(&player, &MpvPlayer::firstFrameShown, [] { endNow(0); });

    window.show();
    Diagnostics::mark("main window shown");
    window.Form_Load(CommandLine::mediaArgument(QApplication::arguments()));
    Diagnostics::mark("start-up steps done, event loop entered");
    return QApplication::exec();
}

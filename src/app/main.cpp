#include "app/player_window.h"
#include "platform/alsa_mixer_device.h"
#include "platform/cd_drives.h"
#include "platform/disc_library.h"
#include "platform/folder_lister.h"
#include "platform/ini_settings_store.h"
#include "platform/mci_interpreter.h"
#include "platform/mpv_player.h"
#include "platform/screen_grabber.h"
#include "platform/system_folders.h"
#include "platform/wallpaper.h"
#include "settings/product.h"
#include "settings/settings_keys.h"
#include "widgets/window_font.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void endNow(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

// TAMREL_MPV_OPTIONS="vo=null ao=null" adds player options (tests, benchmarks, headless use).
MpvPlayer::Options playerOptions(const DiscLibrary& discs)
{
    MpvPlayer::Options options;
    options.discs = &discs;
    const QString extra = qEnvironmentVariable("TAMREL_MPV_OPTIONS");
    options.extraOptions = extra.split(' ', Qt::SkipEmptyParts);
    for (const QString& option : options.extraOptions)
        if (option == QLatin1String("vo=null"))
            options.renderVideo = false;
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Product::Title);
    applyWindowFont(app);

    // The drives are looked for once, here; the disc library outlives everything that reads
    // discs, the player's streams included.
    DiscLibrary discs;
    LinuxCdDrives drives(discs, DriveDiscovery::fromEnvironment());
    const MediaFolderLister folderLister(&discs);
    MpvPlayer player(playerOptions(discs));
    IniSettingsStore settings(IniSettingsStore::userFilePath(Product::Title),
                              SettingsKeys::Section);
    MciInterpreter mci(drives);
    LinuxSystemFolders folders;
    AlsaMixerDevice mixer;
    // Where the display hands out no picture of the screen (Wayland), the player's own frame.
    QtScreenGrabber grabber([&player] { return player.videoFrame(); });
    LinuxWallpaper wallpaper(LinuxWallpaper::fromEnvironment());
    PlatformServices services{.player = &player,
                              .settings = &settings,
                              .mci = &mci,
                              .folders = &folders,
                              .drives = &drives,
                              .folderLister = &folderLister,
                              .mixer = &mixer,
                              .tone = &player,
                              .grabber = &grabber,
                              .wallpaper = &wallpaper,
                              .endProcess = endNow};
    Playerfrm window(std::move(services));

    // Benchmarks measure process start to first picture.
    if (qEnvironmentVariableIsSet("TAMREL_EXIT_AFTER_FIRST_FRAME"))
        QObject::connect(&player, &MpvPlayer::firstFrameShown, [] { endNow(0); });

    window.show();
    const QStringList args = QApplication::arguments();
    window.Form_Load(args.size() > 1 ? args.at(1) : QString());
    return QApplication::exec();
}

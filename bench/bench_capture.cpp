// Time from the capture command until the bitmap is written and the player reports playing
// again, and the longest the event loop stood still meanwhile, with the real libmpv player,
// the real screen grab and real files inside the real main window.
//   bench_capture MEDIA [RUNS]
// With a display (xvfb-run) the video is drawn and the X screen is grabbed; without one the
// offscreen platform runs with no video output.
#include "app/player_window.h"
#include "capture/capture_chain.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/files/folder_lister.h"
#include "platform/files/media_folder_lister.h"
#include "platform/player/mpv_player.h"
#include "platform/shell/qt_screen_grabber.h"
#include "platform/shell/screen_grabber.h"
#include "settings/settings_keys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Run {
    double ms = -1;          // command to bitmap written and playing again
    double longestStall = 0; // longest gap between ticks of a 5 ms timer
};

// One capture: waits for the chain's end and the player's next report of playing.
Run measure(CaptureChain& chain, MediaPlayer& player, const QString& bitmap)
{
    QFile::remove(bitmap);
    QEventLoop loop;
    QElapsedTimer clock;
    bool finished = false;
    bool playing = false;
    Run run;
    const auto check = [&] {
        if (finished && playing && run.ms < 0 && QFile::exists(bitmap)) {
            run.ms = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    };
    auto onFinished = QObject::connect(&chain, &CaptureChain::finished, &loop, [&] {
        finished = true;
        playing = playing || player.PlayState() == MediaPlayer::Playing;
        check();
    });
    auto onState =
        QObject::connect(&player, &MediaPlayer::PlayStateChange, &loop, [&](long, long state) {
            playing = finished && state == MediaPlayer::Playing;
            check();
        });
    qint64 lastTick = 0;
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        run.longestStall = std::max(run.longestStall, (clock.nsecsElapsed() / 1e6) - lastTick);
        lastTick = clock.nsecsElapsed() / 1e6;
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    clock.start();
    watch.start();
    if (!chain.Capture())
        return run;
    loop.exec();
    QObject::disconnect(onFinished);
    QObject::disconnect(onState);
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool display = qEnvironmentVariableIsSet("DISPLAY");
    qputenv("QT_QPA_PLATFORM", display ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argc > 2 ? argv[2] : "9"));

    QTemporaryDir desktop;
    MpvPlayer player(MpvPlayer::Options{display, {"ao=null"}, nullptr});
    FakeCdDrives drives;
    MciInterpreter mci(drives);
    FakeSettingsStore settings;
    settings.values[SettingsKeys::Screenshot] = "1";
    FakeSystemFolders folders;
    folders.desktop = desktop.path();
    FakeMixerDevice mixer;
    const MediaFolderLister lister;
    QtScreenGrabber grabber([&player] { return player.videoFrame(); });
    FakeWallpaper wallpaper;
    Playerfrm window(PlatformServices{.player = &player,
                                      .settings = &settings,
                                      .mci = &mci,
                                      .folders = &folders,
                                      .drives = &drives,
                                      .folderLister = &lister,
                                      .mixer = &mixer,
                                      .tone = &player,
                                      .grabber = &grabber,
                                      .wallpaper = &wallpaper,
                                      .endProcess = [](int) {}});
    window.show();
    window.Form_Load(QString::fromLocal8Bit(argv[1]));
    settle(1500);
    if (player.PlayState() != MediaPlayer::Playing) {
        std::fprintf(stderr, "the player does not play %s\n", argv[1]);
        return 1;
    }

    QList<double> times;
    QList<double> stalls;
    const QString bitmap = desktop.filePath("ScreenShot.bmp");
    for (int i = 0; i < runs; ++i) {
        settle(300);
        const Run run = measure(window.capture(), player, bitmap);
        if (run.ms < 0) {
            std::fprintf(stderr, "run %d: no bitmap, or the player did not play on\n", i);
            return 1;
        }
        times << run.ms;
        stalls << run.longestStall;
    }
    std::sort(times.begin(), times.end());
    std::sort(stalls.begin(), stalls.end());
    std::printf("capture to bitmap written and playing again (%s): median %.1f ms "
                "(min %.1f, max %.1f, %d runs)\n",
                display ? "X screen grabbed" : "offscreen", times[runs / 2], times.front(),
                times.back(), runs);
    std::printf("longest event-loop stall during a capture: median %.1f ms, worst %.1f ms\n",
                stalls[runs / 2], stalls.back());
    return 0;
}

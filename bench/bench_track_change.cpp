// Time from a track change (Next Track, or a track key) until the player reports playing,
// with the real libmpv player (no video output, no sound) inside the real main window.
//   bench_track_change folder DIR [RUNS]          Next Track through a folder of clips
//   bench_track_change disc IMAGE KEY [RUNS]      a track key on a disc image drive
//   bench_track_change image IMAGE KEY [RUNS]     the same, the image opened as an argument
#include "app/player_window.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/player/mpv_player.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "videocd/track_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {
// Runs `change` and waits for the next report of the playing state; milliseconds, or -1.
double timeToPlaying(MediaPlayer& player, const std::function<void()>& change)
{
    QEventLoop loop;
    QElapsedTimer clock;
    double elapsed = -1;
    auto connection =
        QObject::connect(&player, &MediaPlayer::PlayStateChange, &loop, [&](long, long state) {
            if (state == MediaPlayer::Playing) {
                elapsed = clock.nsecsElapsed() / 1e6;
                loop.quit();
            }
        });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    clock.start();
    change();
    if (elapsed < 0)
        loop.exec();
    QObject::disconnect(connection);
    return elapsed;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString mode = argc > 2 ? argv[1] : QString();
    if (mode != "folder" && mode != "disc" && mode != "image") {
        std::fprintf(stderr, "usage: %s folder DIR [RUNS] | disc|image IMAGE KEY [RUNS]\n",
                     argv[0]);
        return 2;
    }
    const bool opened = mode == "image"; // as the command line opens it, not a drive list
    const bool disc = mode == "disc" || opened;
    const int runs = std::atoi(argc > (disc ? 4 : 3) ? argv[disc ? 4 : 3] : "21");

    DiscRig discs(disc && !opened ? QString(argv[2]) : QString());
    MpvPlayer player(MpvPlayer::Options{false, {"ao=null"}, &discs.library});
    MciInterpreter mci(discs.drives);
    FakeSettingsStore settings;
    FakeSystemFolders folders;
    FakeMixerDevice mixer;
    Playerfrm window(PlatformServices{.player = &player,
                                      .settings = &settings,
                                      .mci = &mci,
                                      .folders = &folders,
                                      .drives = &discs.drives,
                                      .folderLister = &discs.lister,
                                      .mixer = &mixer,
                                      .tone = &player,
                                      .endProcess = [](int) {}});
    PlaybackEngine& engine = window.engine();
    std::function<void()> change;
    if (disc) {
        const QChar key = QString(argv[3]).front();
        const QString argument = opened ? QString(argv[2]) : QString();
        timeToPlaying(player, [&] { window.Form_Load(argument); });
        change = [&window, key] { window.trackPanel().Form_KeyPress(key); };
    } else {
        engine.File1().setPattern("*.mpg;*.dat");
        engine.File1().setPath(argv[2]);
        engine.File1().setListIndex(0);
        timeToPlaying(player, [&] { engine.StartListPlayback(); });
        engine.panel().optNone->setChecked(
            true); // Repeat: every Next reloads a file and never ends
        change = [&engine] { engine.NextTrack(); };
    }

    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        settle(150);
        const double ms = timeToPlaying(player, change);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: the player never reported playing\n", run);
            return 1;
        }
        times << ms;
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: change to playing, median %.1f ms (min %.1f, max %.1f, %d runs)\n",
                disc ? "track key on a disc image" : "Next Track on local clips", times[runs / 2],
                times.front(), times.back(), runs);
    return 0;
}

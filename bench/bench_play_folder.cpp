// Time of the Play command on a folder of many files: listing, sorting, filling the jump
// list and handing the first file to the player.
//   bench_play_folder [FILES] [RUNS]
#include "fake_platform.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;

    QTemporaryDir dir;
    for (int i = 0; i < files; ++i)
        QFile(dir.filePath(QStringLiteral("Clip %1.DAT").arg(files - i)))
            .open(QIODevice::WriteOnly);

    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        FakeRig rig;
        PlaybackEngine& engine = rig.window().engine();
        QElapsedTimer clock;
        clock.start();
        engine.File1().setPattern(
            "*.mp3;*.dat;*.avi;*.qt;*.mpeg;*.mpg;*.asf;*.wm;*wma;*.wmv;*.cda");
        engine.File1().setPath(dir.path());
        engine.File1().setListIndex(0);
        engine.StartListPlayback();
        times << clock.nsecsElapsed() / 1e6;
        if (engine.panel().Combo1->count() != files - 1 || rig.player.openedFiles.size() != 1)
            return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "Play command on a folder of %d files: median %.1f ms (min %.1f, max %.1f, %d runs)\n",
        files, times[runs / 2], times.front(), times.back(), runs);
    return 0;
}

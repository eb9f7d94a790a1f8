// The Open dialog on a folder of many files: listing it, switching the type filter, and the
// longest the event loop is held up afterwards (nothing may go on working behind the dialog).
//   bench_folder_chooser [FILES]
#include "fake_media_player.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "media_files/folder_chooser.h"
#include "platform/files/media_folder_lister.h"
#include "playback/play_list.h"
#include "settings/settings_keys.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 50000;

    QTemporaryDir dir;
    const QString big = dir.filePath("big");
    QDir(dir.path()).mkdir("big");
    QStringList names{"notes.txt"};
    for (int i = files; i > 0; --i)
        names << QString("Track%1.%2").arg(i, 5, 10, QChar('0')).arg(i % 2 ? "dat" : "MP3");
    if (!FileFolder::touch(big, names))
        return 1;

    MediaFolderLister folders;
    PlayList list{folders};
    FakeMediaPlayer player;
    FakeSettingsStore settings;
    settings.values[SettingsKeys::Dir] = dir.path();
    auto chooser = std::make_unique<FolderChooser>(
        ChooserTarget{list, player, settings, [] {}, [] {}, [](const QString&) { return true; }});
    chooser->Form_Load();
    chooser->show();

    QElapsedTimer clock;
    clock.start();
    if (!chooser->setFolder(big))
        return 1;
    const double listed = clock.nsecsElapsed() / 1e6;
    clock.restart();
    chooser->optMP3->click();
    const double filtered = clock.nsecsElapsed() / 1e6;
    if (chooser->FileFolder->count() != files / 2)
        return 1;

    qint64 longestStall = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
    tick.start(10);
    QEventLoop span; // watched for stalls
    QTimer::singleShot(1500, &span, &QEventLoop::quit);
    span.exec();
    std::printf("Open dialog on %d files: listed in %.1f ms, MP3 filter in %.1f ms, longest "
                "stall after %lld ms\n",
                files, listed, filtered, longestStall);
    return 0;
}

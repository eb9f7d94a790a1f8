#include "gui_session.h"
#include "test_media.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Playback Control checked in the settings of `config`, as the menu item leaves it.
bool checkPlaybackControl(const QTemporaryDir& config)
{
    const QString folder = config.filePath("Tamrel VCD Player");
    QFile file(folder + "/Tamrel VCD Player.ini");
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
           file.write("[PlaybackControl]\nEnabled=1\n") > 0;
}

// The player started on `image` with Playback Control checked, showing the disc's menu, its
// window active; the window's id, or nothing when any step failed.
QString startOnTheMenu(GuiSession& session, const QTemporaryDir& config, const QString& image)
{
    const bool started =
        checkPlaybackControl(config) &&
        session.startPlayer({}, {"TAMREL_CD_DRIVES=" + TestMedia::disc(image), "TAMREL_TRACE=1",
                                 "TAMREL_MPV_OPTIONS=ao=null", "XDG_CONFIG_HOME=" + config.path()});
    const QString window =
        started ? session.waitForWindow("Tamrel VCD Player version 2.2.2") : QString();
    if (window.isEmpty() || !session.waitForLine("track: Menu") ||
        !session.xdotool({"windowactivate", "--sync", window}))
        return {};
    return window;
}

bool playing(const QString& line, const QString& name)
{
    return line.startsWith("status: Playing") && line.contains(name, Qt::CaseInsensitive);
}
} // namespace

// The real player on a generated Video CD image standing in for a CD drive.
class TestGuiVideoCd : public QObject {
    Q_OBJECT
private slots:
    void startsOnTrackOneAndPicksTracksByKeyAndButton();
    void pageKeysMoveBetweenTheSongsOfATrack();
    void menuNumberPlaysItsStillThenItsTrack_data();
    void menuNumberPlaysItsStillThenItsTrack();
    void menuDefaultPlaysTheSongsAndPageDownMovesInThem();
};

void TestGuiVideoCd::startsOnTrackOneAndPicksTracksByKeyAndButton()
{
    QTemporaryDir config;
    GuiSession session;
    const QString image = TestMedia::disc("vcd-a.cue");
    QVERIFY(session.startPlayer({}, {"TAMREL_CD_DRIVES=" + image, "TAMREL_TRACE=1",
                                     "TAMREL_MPV_OPTIONS=ao=null",
                                     "XDG_CONFIG_HOME=" + config.path()}));
    const QString window = session.waitForWindow("Tamrel VCD Player version 2.2.2");
    QVERIFY(!window.isEmpty());
    QVERIFY2(session.waitForLine("track: 01 of 3"), qPrintable(session.lines().join('\n')));
    QVERIFY(session.waitForLine("status: Playing Avseq01.dat  ........"));

    QVERIFY(session.xdotool({"windowactivate", "--sync", window}));
    QVERIFY(session.xdotool({"type", "3"}));
    QVERIFY2(session.waitForLine("track: 03 of 3"), qPrintable(session.lines().join('\n')));

    // Button "2": front panel at 6600 twips, second button of the upper row.
    const int x = (120 + 480) / 15 + 12;
    const int y = 6600 / 15 + 500 / 15 + 8;
    QVERIFY(session.xdotool(
        {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"}));
    QVERIFY2(session.waitForLine("track: 02 of 3"), qPrintable(session.lines().join('\n')));
}

// A VCD 1.1 whose first track holds three songs of 3 s, each marked by an entry point.
void TestGuiVideoCd::pageKeysMoveBetweenTheSongsOfATrack()
{
    QTemporaryDir config;
    GuiSession session;
    QVERIFY(session.startPlayer({}, {"TAMREL_CD_DRIVES=" + TestMedia::disc("entries-vcd11.cue"),
                                     "TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null",
                                     "XDG_CONFIG_HOME=" + config.path()}));
    const QString window = session.waitForWindow("Tamrel VCD Player version 2.2.2");
    QVERIFY(!window.isEmpty());
    QVERIFY(session.waitForLine("track: 01 of 2"));
    QVERIFY(session.xdotool({"windowactivate", "--sync", window}));
    QVERIFY(session.waitForLineWhere([](const QString& l) { return secondsOf(l) == 1; }));
    const auto songAt = [](int from, int to) {
        return [from, to](const QString& l) { return secondsOf(l) >= from && secondsOf(l) <= to; };
    };
    // Paused, so that only the keys move the time.
    QVERIFY(session.xdotool({"key", "space"}));
    QVERIFY(session.waitForLine("status: Paused ,hit spacebar to release"));
    QVERIFY(session.xdotool({"key", "Next"}));
    QVERIFY2(session.waitForNewLine(songAt(2, 4)), qPrintable(session.lines().join('\n')));
    QVERIFY(session.xdotool({"key", "Next"}));
    QVERIFY2(session.waitForNewLine(songAt(5, 7)), qPrintable(session.lines().join('\n')));
    QVERIFY(session.xdotool({"key", "Prior"}));
    QVERIFY2(session.waitForNewLine(songAt(2, 4)), qPrintable(session.lines().join('\n')));
    // The songs are inside one track: it was never changed.
    QVERIFY(session.lines().filter("track: 02").isEmpty());
}

// The karaoke disc with a menu of its own over a still: 1 plays three songs in track 1, 2 a
// still held 2 s and then track 2; the end list after both.
void TestGuiVideoCd::menuNumberPlaysItsStillThenItsTrack_data()
{
    QTest::addColumn<QString>("image");
    QTest::newRow("VCD 2.0") << "pbc-vcd.cue";
    QTest::newRow("SVCD") << "pbc-svcd.cue";
}

void TestGuiVideoCd::menuNumberPlaysItsStillThenItsTrack()
{
    QFETCH(QString, image);
    QTemporaryDir config;
    GuiSession session;
    QVERIFY2(!startOnTheMenu(session, config, image).isEmpty(),
             qPrintable(session.lines().join('\n')));
    QVERIFY(session.waitForLineWhere([](const QString& l) { return playing(l, "ITEM0001"); }));
    // The menu waits for a choice: its still stays, and nothing else is played meanwhile.
    QVERIFY(session.lines().filter("track: 01").isEmpty());

    QVERIFY(session.xdotool({"type", "2"}));
    QVERIFY2(session.waitForNewLine([](const QString& l) { return playing(l, "ITEM0002"); }),
             qPrintable(session.lines().join('\n')));
    QElapsedTimer shown;
    shown.start();
    QVERIFY(session.waitForLine("track: Still"));
    QVERIFY2(session.waitForLine("track: 02 of 2"), qPrintable(session.lines().join('\n')));
    // Held for the list's wait of 2 s, not moved on at once (a lower bound, with room for the
    // test reading the first line late: a slow machine only holds it longer).
    QVERIFY2(shown.elapsed() >= 1500, qPrintable(QString::number(shown.elapsed())));
    QVERIFY(session.waitForLineWhere([](const QString& l) { return playing(l, "AVSEQ02"); }));
    // Track 2 ends the list; the end list stops, and the play order does not go on.
    QVERIFY2(session.waitForLine("disc lists: End of the disc", 30000),
             qPrintable(session.lines().join('\n')));
}

void TestGuiVideoCd::menuDefaultPlaysTheSongsAndPageDownMovesInThem()
{
    QTemporaryDir config;
    GuiSession session;
    QVERIFY2(!startOnTheMenu(session, config, "pbc-vcd.cue").isEmpty(),
             qPrintable(session.lines().join('\n')));
    QVERIFY(session.xdotool({"key", "Return"}));
    QVERIFY2(session.waitForLine("track: 01 of 2"), qPrintable(session.lines().join('\n')));
    QVERIFY(session.waitForLineWhere([](const QString& l) { return secondsOf(l) == 1; }));
    QVERIFY(session.xdotool({"key", "space"}));
    QVERIFY(session.waitForLine("status: Paused ,hit spacebar to release"));
    QVERIFY(session.xdotool({"key", "Next"}));
    QVERIFY2(session.waitForNewLine(
                 [](const QString& l) { return secondsOf(l) >= 2 && secondsOf(l) <= 4; }),
             qPrintable(session.lines().join('\n')));
    // Backspace: the list's Return, to the menu.
    QVERIFY(session.xdotool({"key", "BackSpace"}));
    QVERIFY2(session.waitForNewLine([](const QString& l) { return l == "track: Menu"; }),
             qPrintable(session.lines().join('\n')));
}

QTEST_MAIN(TestGuiVideoCd)
#include "test_gui_video_cd.moc"

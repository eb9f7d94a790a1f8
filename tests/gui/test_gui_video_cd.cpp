#include "gui_session.h"
#include "test_media.h"

#include <QTemporaryDir>
#include <QTest>

// The real player on a generated Video CD image standing in for a CD drive.
class TestGuiVideoCd : public QObject {
    Q_OBJECT
private slots:
    void startsOnTrackOneAndPicksTracksByKeyAndButton();
    void pageKeysMoveBetweenTheSongsOfATrack();
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

QTEST_MAIN(TestGuiVideoCd)
#include "test_gui_video_cd.moc"

#include "gui_session.h"
#include "test_media.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
// A front panel button's centre in window coordinates: the panel starts at 6600 twips.
QStringList clickAt(const QString& window, int leftTwips, int topTwips, int widthTwips,
                    int heightTwips)
{
    const int x = (leftTwips + widthTwips / 2) / 15;
    const int y = (6600 + topTwips + heightTwips / 2) / 15;
    return {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"};
}
} // namespace

// The real player started with a disc image as its argument, no drive list: the image is a
// disc in a drive, with its track buttons, track keys and tray.
class TestGuiImages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qunsetenv("TAMREL_CD_DRIVES"); }
    void imageOnTheCommandLineIsADisc_data();
    void imageOnTheCommandLineIsADisc();
};

void TestGuiImages::imageOnTheCommandLineIsADisc_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("firstTrack");
    QTest::newRow("Video CD, bin/cue") << "vcd-a.cue"
                                       << "Avseq01.dat";
    QTest::newRow("Super Video CD, NRG") << "svcd.nrg"
                                         << "Avseq01.mpg";
}

void TestGuiImages::imageOnTheCommandLineIsADisc()
{
    QFETCH(QString, image);
    QFETCH(QString, firstTrack);
    QTemporaryDir config;
    GuiSession session;
    QVERIFY(session.startPlayer(
        {TestMedia::disc(image)},
        {"TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null", "XDG_CONFIG_HOME=" + config.path()}));
    const QString window = session.waitForWindow("Tamrel VCD Player version 2.2.2");
    QVERIFY(!window.isEmpty());
    const QString playingFirst = "status: Playing " + firstTrack + "  ........";
    QVERIFY2(session.waitForLine("track: 01 of 3"), qPrintable(session.lines().join('\n')));
    QVERIFY(session.waitForLine(playingFirst));

    QVERIFY(session.xdotool({"windowactivate", "--sync", window}));
    QVERIFY(session.xdotool({"type", "3"}));
    QVERIFY2(session.waitForLine("track: 03 of 3"), qPrintable(session.lines().join('\n')));
    QVERIFY(session.xdotool(clickAt(window, 120 + 480, 500, 375, 255))); // track button 2
    QVERIFY2(session.waitForLine("track: 02 of 3"), qPrintable(session.lines().join('\n')));

    // Stop frees the tray button; the eject takes the image out, so Play finds no disc.
    QVERIFY(session.xdotool(clickAt(window, 1140, 80, 480, 375)));
    QVERIFY(session.waitForLine("status: Tamrel VCD Player"));
    // The tray button acts on its click, before the window takes the next one.
    QVERIFY(session.xdotool(clickAt(window, 5115, 80, 300, 375)));
    const qsizetype before = session.lines().size();
    QVERIFY(session.xdotool(clickAt(window, 120, 80, 480, 375))); // Play
    QVERIFY2(
        session.waitForLineWhere(
            [](const QString& line) { return line == "status: The file format is not supported."; },
            5000),
        qPrintable(session.lines().mid(before).join('\n')));

    // Closing the tray brings the disc back from its first track.
    const qsizetype closed = session.lines().size();
    QVERIFY(session.xdotool(clickAt(window, 5115, 80, 300, 375)));
    QVERIFY(QTest::qWaitFor(
        [&] {
            session.waitForLine(playingFirst, 100);
            return session.lines().mid(closed).contains(playingFirst) &&
                   session.lines().mid(closed).contains("track: 01 of 3");
        },
        10000));
}

QTEST_MAIN(TestGuiImages)
#include "test_gui_images.moc"

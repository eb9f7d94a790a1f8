#include "gui_session.h"
#include "test_media.h"

#include <QProcess>
#include <QTest>

namespace {
const QString Caption = QStringLiteral("Tamrel VCD Player version 2.2.2");

} // namespace

class TestGuiPlayer : public QObject {
    Q_OBJECT
private slots:
    void clipOnCommandLinePlaysMovingVideo();
    void fullScreenCoversScreenAndEscReturns();
    void onTopSetsAboveStateWhileVideoPlays();
};

void TestGuiPlayer::clipOnCommandLinePlaysMovingVideo()
{
    GuiSession session;
    QVERIFY(session.startPlayer({TestMedia::clip("long.mpg")},
                                {"TAMREL_MPV_OPTIONS=ao=null", "TAMREL_TRACE=1"}));
    const QString window = session.waitForWindow(Caption);
    QVERIFY2(!window.isEmpty(), "no window with the program's caption");
    QVERIFY(session.waitForLine("time: 0:1")); // a second into the clip
    const QRect frame = session.windowGeometry(window);
    QVERIFY(frame.isValid());
    // The picture fills the upper part of the window, above the position bar.
    const QRect video(frame.left(), frame.top(), frame.width(), frame.height() * 7 / 10);
    QVERIFY2(session.waitForMovingVideo(video, 0.02), "the video area does not change");
}

void TestGuiPlayer::fullScreenCoversScreenAndEscReturns()
{
    GuiSession session;
    QVERIFY(session.startPlayer({TestMedia::clip("long.mpg")},
                                {"TAMREL_MPV_OPTIONS=ao=null", "TAMREL_TRACE=1"}));
    const QString window = session.waitForWindow(Caption);
    QVERIFY(!window.isEmpty());
    QVERIFY(session.waitForLine("time: 0:1")); // playing, at its size
    const QSize normal = session.windowGeometry(window).size();
    QVERIFY(session.xdotool({"windowactivate", "--sync", window}));
    QVERIFY(session.xdotool({"key", "--clearmodifiers", "alt+Return"}));
    QVERIFY2(session.waitForGeometry(window, session.screenSize()),
             "Alt+Enter did not make the window cover the screen");
    QVERIFY(session.xdotool({"key", "Escape"}));
    QVERIFY2(session.waitForGeometry(window, normal), "Esc did not return to the window");
}

void TestGuiPlayer::onTopSetsAboveStateWhileVideoPlays()
{
    GuiSession session;
    QVERIFY(session.startPlayer({TestMedia::clip("long.mpg")},
                                {"TAMREL_MPV_OPTIONS=ao=null", "TAMREL_TRACE=1"}));
    const QString window = session.waitForWindow(Caption);
    QVERIFY(!window.isEmpty());
    QVERIFY(session.waitForLine("time: 0:1")); // playing
    auto netWmState = [&] {
        QProcess xprop;
        xprop.start("xprop", {"-id", window, "_NET_WM_STATE"});
        xprop.waitForFinished(5000);
        return QString::fromUtf8(xprop.readAllStandardOutput());
    };
    auto clickOnTop = [&] {
        // The On Top button: front panel at 6600 twips, button at 4200 twips.
        return session.xdotool({"mousemove", "--window", window, QString::number(4200 / 15 + 25),
                                QString::number(6600 / 15 + 14), "click", "1"});
    };
    QVERIFY(!netWmState().contains("_NET_WM_STATE_ABOVE"));
    QVERIFY(clickOnTop());
    QTRY_VERIFY_WITH_TIMEOUT(netWmState().contains("_NET_WM_STATE_ABOVE"), 3000);

    const QRect frame = session.windowGeometry(window);
    const QRect video(frame.left(), frame.top(), frame.width(), frame.height() * 7 / 10);
    QVERIFY2(session.waitForMovingVideo(video, 0.02), "the video stopped when going on top");

    QVERIFY(clickOnTop());
    QTRY_VERIFY_WITH_TIMEOUT(!netWmState().contains("_NET_WM_STATE_ABOVE"), 3000);
}

QTEST_MAIN(TestGuiPlayer)
#include "test_gui_player.moc"

#include "test_media.h"
#include "wayland_player.h"
#include "weston_outputs.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

WestonOutputs* outputs = nullptr;

// Share of `area` of a screenshot in the test disc's saturated colours: none on the desktop,
// most of an output the picture fills.
double pictureShare(const QImage& shot, const QRect& area)
{
    long coloured = 0;
    long all = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2) {
        for (int x = area.left(); x <= area.right(); x += 2) {
            const QRgb p = shot.pixel(x, y);
            const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
            const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
            coloured += high - low > 96;
            ++all;
        }
    }
    return all ? double(coloured) / all : -1;
}

// The picture's share of each output, by output.
struct Shares {
    double of[2] = {-1, -1};
};

Shares shares(WestonOutputs& weston)
{
    const QImage shot = weston.screenshot();
    const int w = weston.outputWidth();
    if (shot.width() < 2 * w)
        return {};
    Shares s;
    s.of[0] = pictureShare(shot, QRect(0, 0, w, shot.height()));
    s.of[1] = pictureShare(shot, QRect(w, 0, w, shot.height()));
    return s;
}

// Waits until the outputs' picture shares satisfy `wanted`; the last shares seen.
Shares waitForShares(WestonOutputs& weston, const std::function<bool(Shares)>& wanted)
{
    Shares seen;
    (void)QTest::qWaitFor(
        [&] {
            seen = shares(weston);
            return wanted(seen);
        },
        15000);
    return seen;
}

QString describe(Shares s)
{
    return QString("first output %1, second %2").arg(s.of[0]).arg(s.of[1]);
}

bool press(const QString& window, const QString& keys)
{
    return QProcess::execute("xdotool", {"key", "--window", window, keys}) == 0;
}

int volumeOf(const QString& line)
{
    return line.startsWith("volume: ") ? line.mid(8).toInt() : -1;
}

} // namespace

// The singer screen on two screens (two outputs of a Weston nested in the test's X display):
// the picture fills one while the main window keeps its controls on the first, the
// host's keys still work, and closing brings the picture back.
class TestGuiSingerScreen : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pictureOnTheSecondScreenAndBack();
};

void TestGuiSingerScreen::initTestCase()
{
    if (!outputs)
        QSKIP("two screens are not available here (the compositor did not start)");
}

void TestGuiSingerScreen::pictureOnTheSecondScreenAndBack()
{
    const QString output = outputs->outputWindow();
    QVERIFY(!output.isEmpty());
    // The compositor has the X keyboard before the player's window maps, and hands it on.
    QCOMPARE(QProcess::execute("xdotool", {"windowfocus", "--sync", output}), 0);
    WaylandPlayer player(outputs->clientEnvironment());
    QVERIFY2(player.waitForLine("status: Playing Avseq01.dat  ........"),
             qPrintable(player.printed()));
    // The window has the keyboard once a track key gets there (after the start-up notice).
    QVERIFY2(
        QTest::qWaitFor(
            [&] { return press(output, "2") && player.waitForLine("track: 02 of 3", 500); }, 20000),
        qPrintable(player.printed()));
    // The compositor puts the main window on either output: that one is the host's. The
    // window is wider than an output: a strip of its picture may show on the other.
    const Shares windowed = waitForShares(*outputs, [](Shares s) {
        return (s.of[0] > 0.2 && s.of[1] < 0.1) || (s.of[1] > 0.2 && s.of[0] < 0.1);
    });
    const int host = windowed.of[0] > windowed.of[1] ? 0 : 1;
    const int singers = 1 - host;
    QVERIFY2(windowed.of[host] > 0.2 && windowed.of[singers] < 0.1, qPrintable(describe(windowed)));
    const auto onSingers = [&](Shares s) { return s.of[singers] > 0.6 && s.of[host] < 0.02; };
    const auto onHost = [&](Shares s) { return s.of[host] > 0.2 && s.of[singers] < 0.1; };

    // Ctrl+T, the Singer Screen item's key.
    QVERIFY(press(output, "ctrl+t"));
    QVERIFY2(player.waitForNewLine(
                 [](const QString& l) { return l.startsWith("singer screen: open on "); }),
             qPrintable(player.printed()));
    // The picture fills the singers' output; the main window on the host's shows none.
    const Shares open = waitForShares(*outputs, onSingers);
    QVERIFY2(onSingers(open), qPrintable(describe(open)));

    // The host's keys: a track key, and the main knob by Up (with a sound server to turn).
    QVERIFY(press(output, "3"));
    QVERIFY2(player.waitForLine("track: 03 of 3"), qPrintable(player.printed()));
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        QVERIFY(press(output, "Up"));
        QVERIFY2(player.waitForNewLine([](const QString& l) { return volumeOf(l) >= 0; }, 5000),
                 qPrintable(player.printed()));
    } else {
        qInfo("the knob is not turned: that needs the test command's sound server");
    }
    // Still open, still on the singers' output, after the track change.
    const Shares afterKeys = waitForShares(*outputs, onSingers);
    QVERIFY2(onSingers(afterKeys), qPrintable(describe(afterKeys)));

    // Esc closes it: the picture is back in the main window.
    QVERIFY(press(output, "Escape"));
    QVERIFY2(player.waitForLine("singer screen: closed"), qPrintable(player.printed()));
    const Shares back = waitForShares(*outputs, onHost);
    QVERIFY2(onHost(back), qPrintable(describe(back)));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    WestonOutputs weston(2, 640, 480);
    if (weston.start())
        outputs = &weston;
    else
        qInfo("%s", qPrintable(weston.whyNot()));
    TestGuiSingerScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_gui_singer_screen.moc"

// The volume panel of the real executable under Xvfb, on the test command's sound server: the
// knobs are drawn at the design size, take the mixer's level when the window shows, and a
// mouse drag on the main knob turns it and writes the level.

#include "gui_session.h"
#include "settings/product.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

bool pactl(const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.start("pactl", arguments);
    if (!process.waitForFinished(5000) || process.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

// The first channel's raw volume of the default sink, or -1.
int sinkVolume()
{
    QString text;
    if (!pactl({"get-sink-volume", "@DEFAULT_SINK@"}, &text))
        return -1;
    const QRegularExpressionMatch match = QRegularExpression(":\\s*(\\d+)\\s*/").match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The number of a "volume: N" line, else -1.
// The main volume knob at the design size, in window coordinates (9480, 5925, 735 x 710 twips).
const QRect MainKnob(9480 / 15, 5925 / 15, 735 / 15, 710 / 15);

} // namespace

class TestGuiVolume : public QObject {
    Q_OBJECT
private slots:
    void knobsShowAndTurnTheMixer();
};

void TestGuiVolume::knobsShowAndTurnTheMixer()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("needs the test command's sound server (PULSE_SERVER)");
    QVERIFY(pactl({"set-sink-volume", "@DEFAULT_SINK@", "32768"}));
    QVERIFY(pactl({"set-sink-mute", "@DEFAULT_SINK@", "0"}));

    GuiSession session;
    QVERIFY(session.startPlayer(
        {}, {"TAMREL_CD_DRIVES=", "TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null"}));
    const QString window = session.waitForWindow(Product::Caption);
    QVERIFY(!window.isEmpty());
    // Shown, the panel takes the mixer's level: 32768 / 655 is 50, written back as 32750.
    QVERIFY2(session.waitForLine("volume: 50"), qPrintable(session.lines().join('\n')));
    QTRY_COMPARE_WITH_TIMEOUT(sinkVolume(), 32750, 3000);

    // The knob is drawn: a body unlike the window around it, and a white pointer.
    const QRect frame = session.windowGeometry(window);
    const QImage screen = session.grabScreen();
    const QRect knob = MainKnob.translated(frame.topLeft());
    const QRgb background = screen.pixel(knob.left() - 6, knob.center().y());
    int body = 0, pointer = 0;
    for (int y = knob.top(); y <= knob.bottom(); ++y)
        for (int x = knob.left(); x <= knob.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            body += screen.pixel(x, y) != background;
            pointer += c.red() > 235 && c.green() > 235 && c.blue() > 235;
        }
    const double bodyShare = double(body) / (knob.width() * knob.height());
    QVERIFY2(bodyShare > 0.3, qPrintable(QString::number(bodyShare)));
    QVERIFY2(pointer >= 3, qPrintable(QString::number(pointer)));

    // A drag to the right across the knob's upper half turns it clockwise, one step per event.
    const int y = MainKnob.top() + MainKnob.height() / 4;
    QVERIFY(session.xdotool({"mousemove", "--window", window, QString::number(MainKnob.left() + 2),
                             QString::number(y)}));
    QVERIFY(session.xdotool({"mousedown", "1"}));
    for (int x = MainKnob.left() + 4; x < MainKnob.right(); x += 3)
        QVERIFY(session.xdotool(
            {"mousemove", "--window", window, QString::number(x), QString::number(y)}));
    QVERIFY(session.xdotool({"mouseup", "1"}));
    const auto isVolume = [](const QString& line) { return volumeOf(line) >= 0; };
    QVERIFY2(
        session.waitForLineWhere([](const QString& line) { return volumeOf(line) > 50; }, 5000),
        qPrintable(session.lines().join('\n')));
    // Once the last events of the drag are through, the level shown holds and the server has
    // it. The server's volume runs to 65536, the mixer's levels to 65535: one step may round up.
    int shown = -1;
    const auto settled = [&] {
        const int now = volumeOf(session.waitForLineWhere(isVolume, 0).value_or(QString()));
        const bool held = now == shown && std::abs(sinkVolume() - now * 655) <= 1;
        shown = now;
        return held;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), 10000);
    QVERIFY2(shown <= 100, qPrintable(QString::number(shown)));
}

QTEST_MAIN(TestGuiVolume)
#include "test_gui_volume.moc"

#include "gui_session.h"
#include "test_media.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Starts the player on the 12-track demo disc, chooses Random and presses Next Track ten
// times; returns the tracks it played, in order.
QStringList randomTracks()
{
    QTemporaryDir config;
    GuiSession session;
    if (!session.startPlayer({},
                             {"TAMREL_CD_DRIVES=" + TestMedia::demoDisc(), "TAMREL_TRACE=1",
                              "TAMREL_MPV_OPTIONS=ao=null", "XDG_CONFIG_HOME=" + config.path()}))
        return {};
    const QString window = session.waitForWindow("Tamrel VCD Player version 2.2.2");
    if (window.isEmpty() || !session.waitForLine("track: 01 of 12"))
        return {};
    auto click = [&](int leftTwips) {
        // Controls of the front panel's top row (panel at 6600 twips, row at 80 twips).
        session.xdotool({"mousemove", "--window", window, QString::number(leftTwips / 15 + 12),
                         QString::number(6600 / 15 + 12), "click", "1"});
    };
    click(7900); // Random
    QStringList tracks;
    for (int i = 0; i < 10; ++i) {
        const int before = session.lines().size();
        click(1650); // Next Track
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            session.waitForLine("-", 100);
            const QStringList lines = session.lines().mid(before);
            if (!lines.filter(QRegularExpression("^status: Playing")).isEmpty()) {
                tracks << lines.filter(QRegularExpression("^track: ")).last();
                break;
            }
        }
    }
    return tracks;
}
} // namespace

class TestGuiRandomOrder : public QObject {
    Q_OBJECT
private slots:
    void randomSequenceIsTheSameInEveryRun();
};

void TestGuiRandomOrder::randomSequenceIsTheSameInEveryRun()
{
    const QStringList first = randomTracks();
    QCOMPARE(first.size(), 10);
    const QStringList second = randomTracks();
    QCOMPARE(second, first);
    QVERIFY2(QSet<QString>(first.begin(), first.end()).size() > 2,
             qPrintable(first.join(", "))); // it really draws
}

QTEST_MAIN(TestGuiRandomOrder)
#include "test_gui_random_order.moc"

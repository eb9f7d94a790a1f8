// The fake player must behave like the real one, in timing as well as in results: the same
// requests, given to the libmpv player and to the fake, must report the same play states in
// the same order, synchronously where the real one reports synchronously and only from the
// event loop where the real one does.

#include "fake_media_player.h"
#include "platform/player/mpv_player.h"
#include "test_media.h"

#include <QTest>
#include <functional>

namespace {

// Runs a script of requests on a player and records what it reported: "0>2" for a state
// change, "eos" at an end, "d0"/"d+" for Duration() zero or not after a FileName, and "|"
// where the event loop ran.
QStringList run(MediaPlayer& player, const QStringList& script,
                const std::function<void()>& letPlayerReport)
{
    QStringList log;
    QObject::connect(&player, &MediaPlayer::PlayStateChange, &player, [&log](long from, long to) {
        log << QStringLiteral("%1>%2").arg(from).arg(to);
    });
    QObject::connect(&player, &MediaPlayer::EndOfStream, &player, [&log](long) { log << "eos"; });
    for (const QString& step : script) {
        if (step.startsWith("file:")) {
            player.setFileName(TestMedia::clip(step.mid(5)));
            log << (player.Duration() == 0 ? "d0" : "d+");
        } else if (step == "play") {
            player.Play();
        } else if (step == "pause") {
            player.Pause();
        } else if (step == "stop") {
            player.Stop();
        } else if (step == "report") {
            letPlayerReport();
            log << "|" << (player.Duration() == 0 ? "d0" : "d+");
        }
    }
    QObject::disconnect(&player, nullptr, nullptr, nullptr);
    return log;
}

} // namespace

class TestFakePlayerParity : public QObject {
    Q_OBJECT
private slots:
    void sameReports_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::newRow("open and play") << QStringList{"file:vcd.dat", "report"};
        QTest::newRow("pause while opening") << QStringList{"file:vcd.dat", "pause", "report"};
        QTest::newRow("stop while opening") << QStringList{"file:vcd.dat", "stop", "report"};
        QTest::newRow("pause and resume")
            << QStringList{"file:vcd.dat", "report", "pause", "play", "report"};
        QTest::newRow("stop, then play")
            << QStringList{"file:vcd.dat", "report", "stop", "report", "play", "report"};
        QTest::newRow("replaced while opening")
            << QStringList{"file:vcd.dat", "file:tone.mp3", "report"};
        QTest::newRow("replaced while playing")
            << QStringList{"file:vcd.dat", "report", "file:tone.mp3", "report"};
        QTest::newRow("missing file") << QStringList{"file:no such clip.mpg", "report"};
    }
    void sameReports()
    {
        QFETCH(QStringList, script);
        MpvPlayer real(MpvPlayer::Options{false, {"ao=null"}});
        QVERIFY(real.isValid());
        // Each report is read after a span long enough for libmpv's late notifications to arrive:
        // what is compared is where the player ends up, and the fake gets there at once.
        const QStringList expected = run(real, script, [] { QTest::qWait(1500); });

        FakeMediaPlayer fake;
        fake.requireExistingFiles = true;
        fake.setDuration(4);
        const QStringList actual = run(fake, script, [&fake] { fake.settle(); });
        QCOMPARE(actual, expected);
    }
};

QTEST_MAIN(TestFakePlayerParity)
#include "test_fake_player_parity.moc"

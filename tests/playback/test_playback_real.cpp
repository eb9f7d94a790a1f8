#include "fake_platform.h"
#include "platform/player/mpv_player.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
// The main window with the real libmpv player (no picture, no sound). `fast` plays a clip
// of seconds in a fraction of a second.
struct RealRig {
    explicit RealRig(bool fast = true)
        : player(MpvPlayer::Options{false, fast ? QStringList{"ao=null", "speed=100", "untimed=yes",
                                                              "ao-null-untimed=yes"}
                                                : QStringList{"ao=null"}})
    {
        fakes.drives.list.clear();
        PlatformServices services = fakes.services();
        services.player = &player;
        window = std::make_unique<Playerfrm>(services);
        QObject::connect(&window->engine(), &PlaybackEngine::statusChanged,
                         [this](const QString& text) { statuses << text; });
    }
    PlaybackEngine& engine() { return window->engine(); }
    void playFolder(const QString& folder, const QString& pattern = "*.mpg")
    {
        engine().File1().setPattern(pattern);
        QVERIFY(engine().File1().setPath(folder));
        QVERIFY(engine().File1().setListIndex(0));
        engine().StartListPlayback();
    }
    FakeRig fakes;
    MpvPlayer player;
    std::unique_ptr<Playerfrm> window;
    QStringList statuses;
};

// Counts a timer's ticks as they arrive, before the timer tells anyone.
struct TimerTicks : QObject {
    explicit TimerTicks(QTimer& timer) { timer.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Timer;
        return false;
    }
    int count = 0;
};
} // namespace

class TestPlaybackReal : public QObject {
    Q_OBJECT
private slots:
    void playingTextForEachKindOfMedium_data();
    void playingTextForEachKindOfMedium();
    void unplayableFileReportedAfterTwoSeconds();
    void folderPlaysThroughInOrderAndStops();
    void repeatReplaysTheSameClip();
    void pauseAndStopAgainstThePlayer();
    void chainingToDeletedFileStops();
    void rapidNextClicks();
};

void TestPlaybackReal::playingTextForEachKindOfMedium_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("VCD-style .dat") << TestMedia::clip("vcd.dat") << "Playing Vcd.dat  ........";
    QTest::newRow("mp3") << TestMedia::clip("tone.mp3") << "Playing Tone.mp3  ........";
    QTest::newRow("avi") << TestMedia::clip("clip.avi") << "Playing Clip.avi  ........";
    QTest::newRow("spaces, quotes, non-ASCII")
        << TestMedia::clip("odd dir/it's a \"quoted\" naïve clip.dat")
        << "Playing It's A \"quoted\" Naïve Clip.dat  ........";
}

void TestPlaybackReal::playingTextForEachKindOfMedium()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    RealRig rig;
    // Quotes on the command line are removed; a name with a quote inside is then a name
    // without it, so that row goes straight to the play list.
    if (file.contains('"'))
        rig.engine().File1().setSingleFile(file), rig.engine().StartListPlayback();
    else
        rig.window->Form_Load('"' + file + '"');
    QTRY_VERIFY_WITH_TIMEOUT(rig.statuses.contains(text), 5000);
    QVERIFY(!rig.statuses.contains(StatusText::Unsupported));
    QCOMPARE(rig.engine().Filepathtxt(), file);
}

void TestPlaybackReal::unplayableFileReportedAfterTwoSeconds()
{
    for (const QString& name : {QString("random.mpg"), QString("empty.mpg")}) {
        RealRig rig;
        // Said by the watchdog's first tick, two seconds in, not earlier by the failed load.
        TimerTicks ticks(rig.engine().tmrWrong_Format);
        int ticksWhenSaid = -1;
        QObject::connect(&rig.engine(), &PlaybackEngine::statusChanged, [&](const QString& text) {
            if (text == StatusText::Unsupported && ticksWhenSaid < 0)
                ticksWhenSaid = ticks.count;
        });
        rig.window->Form_Load(TestMedia::clip(name));
        QCOMPARE(rig.engine().tmrWrong_Format.interval(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.engine().status(), StatusText::Unsupported, 10000);
        QCOMPARE(ticksWhenSaid, 1);
        QCOMPARE(rig.player.PlayState(), int(MediaPlayer::Stopped));
        for (const QString& text : rig.statuses)
            QVERIFY2(!text.startsWith("Playing"), qPrintable(text));
        // It keeps saying so every two seconds.
        rig.engine().setStatus("x");
        QTRY_COMPARE_WITH_TIMEOUT(rig.engine().status(), StatusText::Unsupported, 10000);
        QVERIFY(ticks.count >= 2);
    }
}

void TestPlaybackReal::folderPlaysThroughInOrderAndStops()
{
    RealRig rig;
    rig.playFolder(TestMedia::clip("clips"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.DisplaySize(), int(MediaPlayer::DoubleSize), 10000);
    QCOMPARE(rig.engine().status(), StatusText::Idle);
    QStringList playing;
    for (const QString& text : rig.statuses)
        if (text.startsWith("Playing"))
            playing << text;
    QCOMPARE(playing, (QStringList{StatusText::playing("a.mpg"), StatusText::playing("b.mpg"),
                                   StatusText::playing("c.mpg")}));
    QCOMPARE(rig.player.PlayState(), int(MediaPlayer::Stopped));
    QVERIFY(rig.engine().panel().cmdPlay->isEnabled());
    QVERIFY(!rig.engine().panel().cmdNexttrack->isEnabled());
}

void TestPlaybackReal::repeatReplaysTheSameClip()
{
    RealRig rig;
    QSignalSpy ends(&rig.player, &MediaPlayer::EndOfStream);
    rig.engine().panel().optNone->setChecked(true);
    rig.playFolder(TestMedia::clip("clips"));
    QTRY_VERIFY_WITH_TIMEOUT(ends.count() >= 3, 10000);
    QCOMPARE(rig.engine().File1().ListIndex(), 0);
    QCOMPARE(rig.player.FileName(), TestMedia::clip("clips") + "/a.mpg");
    QVERIFY(!rig.statuses.contains(StatusText::playing("b.mpg")));
}

void TestPlaybackReal::pauseAndStopAgainstThePlayer()
{
    RealRig rig(false);
    rig.window->Form_Load(TestMedia::clip("long.mpg"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.PlayState(), int(MediaPlayer::Playing), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.player.CurrentPosition() > 0.7, 10000);
    rig.engine().PauseCommand();
    QTRY_COMPARE_WITH_TIMEOUT(rig.engine().status(), StatusText::Paused, 3000);
    const double held = rig.player.CurrentPosition();
    QVERIFY(held > 0.5);
    QTest::qWait(500); // a span in which the position may not move
    QVERIFY(qAbs(rig.player.CurrentPosition() - held) < 0.1);

    rig.engine().StopCommand();
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.PlayState(), int(MediaPlayer::Stopped), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.player.CurrentPosition() < 0.1, 3000);
    QTest::qWait(500); // a span in which nothing may start it again
    QCOMPARE(rig.player.PlayState(), int(MediaPlayer::Stopped));

    rig.engine().panel().cmdPlay->click();
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.PlayState(), int(MediaPlayer::Playing), 5000);
    QVERIFY(rig.player.CurrentPosition() < 1.0); // from the beginning
}

void TestPlaybackReal::chainingToDeletedFileStops()
{
    QTemporaryDir dir;
    for (const char* name : {"a.mpg", "b.mpg"})
        QVERIFY(QFile::copy(TestMedia::clip(QString("clips/") + name), dir.filePath(name)));
    RealRig rig(false);
    rig.playFolder(dir.path());
    QTRY_VERIFY_WITH_TIMEOUT(rig.statuses.contains(StatusText::playing("a.mpg")), 5000);
    QVERIFY(QFile::remove(dir.filePath("b.mpg")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.DisplaySize(), int(MediaPlayer::DoubleSize), 10000);
    QCOMPARE(rig.engine().status(), StatusText::Idle);
}

void TestPlaybackReal::rapidNextClicks()
{
    RealRig rig(false);
    rig.engine().panel().optNone->setChecked(true);
    rig.playFolder(TestMedia::clip("clips"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.PlayState(), int(MediaPlayer::Playing), 5000);
    rig.engine().panel().chkOrd->setChecked(true);
    for (int i = 0; i < 100; ++i)
        rig.engine().NextTrack();
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.PlayState(), int(MediaPlayer::Playing), 5000);
    QCOMPARE(rig.player.FileName(), TestMedia::clip("clips") + "/c.mpg");
    QTRY_COMPARE_WITH_TIMEOUT(rig.engine().status(), StatusText::playing("c.mpg"), 5000);
}

QTEST_MAIN(TestPlaybackReal)
#include "test_playback_real.moc"

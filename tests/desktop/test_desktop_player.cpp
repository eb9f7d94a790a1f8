#include "bus_support.h"
#include "desktop/mpris/mpris_service.h"
#include "player_process.h"
#include "test_media.h"

#include <QDBusPendingCall>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString discImage()
{
    return TestMedia::disc("vcd-a.cue");
}

const QString Playing1 = "status: Playing Avseq01.dat  ........";
const QString Playing2 = "status: Playing Avseq02.dat  ........";
const QString PausedText = "status: Paused ,hit spacebar to release";

// The player's well-known name on the test's session bus, once it is there.
bool waitForName(const QString& name, int timeoutMs = 10000)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return QTest::qWaitFor([&] { return namesOnBus(bus, name).contains(name); }, timeoutMs);
}

} // namespace

// The real executable as the desktop meets it: its command line, its media player on the
// session bus (the test runs under dbus-run-session) and the screen saver held while it plays.
class TestDesktopPlayer : public QObject {
    Q_OBJECT
private slots:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void fileNamedLikeAnOptionIsAPath();
    void folderArgumentLeavesTheDiscPlaying();
    void mediaKeysDriveTheDisc();
    void screenSaverHeldWhilePlaying();
    void secondPlayerTakesAnInstanceName();
    void noSessionBusIsQuiet_data();
    void noSessionBusIsQuiet();
    void vanishingBusIsQuiet();

private:
    MprisClient mpris(const QString& name = MprisService::ServiceName)
    {
        return MprisClient(QDBusConnection::sessionBus(), name);
    }
};

void TestDesktopPlayer::answersWithoutDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("--help") << "--help" << QStringList{"Usage: ", "--version", "TAMREL_CD_DRIVES"};
    QTest::newRow("-h") << "-h" << QStringList{"Usage: ", "TAMREL_MPV_OPTIONS", "Alt+Enter"};
    QTest::newRow("--version") << "--version" << QStringList{"Tamrel VCD Player 2.2.2\n"};
}

void TestDesktopPlayer::answersWithoutDisplay()
{
    QFETCH(QString, option);
    QFETCH(QStringList, printed);
    // On the X11 platform without a display the toolkit would abort: it is never started.
    PlayerProcess player;
    QVERIFY(player.start({option}, {"QT_QPA_PLATFORM=xcb", "DISPLAY", "WAYLAND_DISPLAY"}));
    QVERIFY(player.waitForExit());
    QCOMPARE(player.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(player.process().exitCode(), 0);
    const QString output = player.lines().join('\n') + '\n';
    for (const QString& text : printed)
        QVERIFY2(output.contains(text), qPrintable(output));
    QVERIFY(player.errors().isEmpty());
}

void TestDesktopPlayer::fileNamedLikeAnOptionIsAPath()
{
    QTemporaryDir dir;
    QVERIFY(QFile::copy(TestMedia::clip("vcd.dat"), dir.filePath("--help")));
    PlayerProcess player;
    QVERIFY(player.start({"./--help"}, {"TAMREL_CD_DRIVES="}, dir.path()));
    QVERIFY2(player.waitForLine("status: Playing --help  ........"),
             qPrintable(player.lines().join('\n')));
}

void TestDesktopPlayer::folderArgumentLeavesTheDiscPlaying()
{
    // What the desktop hands over for an inserted disc: its mount point.
    QTemporaryDir mountPoint;
    PlayerProcess player;
    QVERIFY(player.start({mountPoint.path()}, {"TAMREL_CD_DRIVES=" + discImage()}));
    QVERIFY2(player.waitForLine(Playing1), qPrintable(player.lines().join('\n')));
    QVERIFY(player.waitForLine("track: 01 of 3"));
    QVERIFY(waitForName(MprisService::ServiceName));
    QVERIFY(mpris().call("Next"));
    QVERIFY2(player.waitForLine("track: 02 of 3"), qPrintable(player.lines().join('\n')));
}

void TestDesktopPlayer::mediaKeysDriveTheDisc()
{
    PlayerProcess player;
    QVERIFY(player.start({}, {"TAMREL_CD_DRIVES=" + discImage()}));
    QVERIFY2(player.waitForLine(Playing1), qPrintable(player.lines().join('\n')));
    QVERIFY(waitForName(MprisService::ServiceName));
    MprisClient media = mpris();
    QCOMPARE(media.property("PlaybackStatus").toString(), QString("Playing"));
    QCOMPARE(media.property("Identity", MprisClient::RootInterface).toString(),
             QString("Tamrel VCD Player"));
    QVariantMap metadata = media.metadata();
    QCOMPARE(metadata.value("xesam:title").toString(), QString("Track 01 of 3"));
    const qint64 length = metadata.value("mpris:length").toLongLong();
    QVERIFY2(length > 3'800'000 && length < 4'300'000, qPrintable(QString::number(length)));

    QVERIFY(media.call("Next"));
    QVERIFY2(player.waitForLine(Playing2), qPrintable(player.lines().join('\n')));
    QVERIFY(player.waitForLine("track: 02 of 3"));
    QVERIFY(media.call("Pause"));
    QVERIFY(player.waitForLine(PausedText));
    QTRY_COMPARE(media.property("PlaybackStatus").toString(), QString("Paused"));
    metadata = media.metadata();
    QCOMPARE(metadata.value("xesam:title").toString(), QString("Track 02 of 3"));
    const QVariant track2 = metadata.value("mpris:trackid");

    // Positions for another track or past the end are ignored.
    const qint64 position = media.property("Position").toLongLong();
    QVERIFY(media.call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/x/track/1")),
                                       qlonglong(100000)}));
    QVERIFY(media.call("SetPosition", {track2, qlonglong(60'000'000)}));
    QTest::qWait(200); // a span in which the position may not move
    QCOMPARE(media.property("Position").toLongLong(), position);
    QVERIFY(media.call("SetPosition", {track2, qlonglong(1'000'000)}));
    QTRY_VERIFY(qAbs(media.property("Position").toLongLong() - 1'000'000) < 100'000);

    // A thousand presses in a row: answered, and the window agrees with the bus afterwards.
    QList<QDBusPendingCall> presses;
    for (int i = 0; i < 1000; ++i)
        presses << QDBusConnection::sessionBus().asyncCall(
            QDBusMessage::createMethodCall(MprisService::ServiceName, MprisService::ObjectPath,
                                           MprisClient::PlayerInterface, "PlayPause"));
    for (QDBusPendingCall& press : presses) {
        QTRY_VERIFY_WITH_TIMEOUT(press.isFinished(), 20000);
        QVERIFY(!press.isError());
    }
    // The status line comes to agree with the state of the last press.
    QString state;
    QString status;
    const auto agree = [&] {
        state = media.property("PlaybackStatus").toString();
        status = player.waitForLineStartingWith("status: ", 0);
        return state == "Paused" ? status == PausedText : status.startsWith("status: Playing ");
    };
    QTRY_VERIFY2_WITH_TIMEOUT(agree(), qPrintable(state + " / " + status), 10000);
    player.forget();
    QVERIFY(media.call("Pause"));
    QVERIFY(media.call("Play"));
    QTRY_COMPARE(media.property("PlaybackStatus").toString(), QString("Playing"));

    QVERIFY(media.call("Quit", {}, MprisClient::RootInterface));
    QVERIFY(player.waitForExit());
    QCOMPARE(player.process().exitCode(), 0);
    QVERIFY(player.lines().contains("status: Please wait, VCD Player is shut down ....."));
}

void TestDesktopPlayer::screenSaverHeldWhilePlaying()
{
    IdleServices services(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "idle"),
                          IdleServices::ScreenSaver);
    QVERIFY(services.isRegistered());
    PlayerProcess player;
    QVERIFY(player.start({}, {"TAMREL_CD_DRIVES=" + discImage()}));
    QVERIFY(player.waitForLine(Playing1));
    QTRY_COMPARE(services.calls(), QStringList{"Inhibit 1"});
    // Track 1 ends and track 2 follows: the screen saver stays held.
    QVERIFY2(player.waitForLine(Playing2), qPrintable(player.lines().join('\n')));
    QTest::qWait(500); // a span in which the screen saver may not be let go
    QCOMPARE(services.calls(), QStringList{"Inhibit 1"});

    QVERIFY(waitForName(MprisService::ServiceName));
    QVERIFY(mpris().call("Stop"));
    QTRY_COMPARE_WITH_TIMEOUT(services.calls(), (QStringList{"Inhibit 1", "UnInhibit 1"}), 5000);
    QVERIFY(mpris().call("Play"));
    QTRY_COMPARE(services.calls().size(), 3);
    QCOMPARE(services.calls().last(), QString("Inhibit 2"));
    QVERIFY(mpris().call("Quit", {}, MprisClient::RootInterface));
    QVERIFY(player.waitForExit());
    // Let go before the process ended.
    QCOMPARE(services.calls().mid(3), QStringList{"UnInhibit 2"});
}

void TestDesktopPlayer::secondPlayerTakesAnInstanceName()
{
    PlayerProcess first;
    PlayerProcess second;
    QVERIFY(first.start({}, {"TAMREL_CD_DRIVES="}));
    QVERIFY(waitForName(MprisService::ServiceName));
    QVERIFY(second.start({}, {"TAMREL_CD_DRIVES="}));
    const QString instance = MprisService::ServiceName + QString(".instance%1").arg(second.pid());
    QVERIFY(waitForName(instance));
    QCOMPARE(mpris(instance).property("Identity", MprisClient::RootInterface).toString(),
             QString("Tamrel VCD Player"));
    QCOMPARE(mpris(instance).property("PlaybackStatus").toString(), QString("Stopped"));
    QCOMPARE(mpris(instance).property("CanPlay").toBool(), false); // nothing to play
    QVERIFY(mpris(instance).call("PlayPause"));
}

void TestDesktopPlayer::noSessionBusIsQuiet_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("none advertised") << QString();
    QTest::newRow("a bus that is gone") << "unix:path=/nonexistent/tamrel-bus";
}

void TestDesktopPlayer::noSessionBusIsQuiet()
{
    QFETCH(QString, address);
    QTemporaryDir runtime;
    PlayerProcess player;
    const QString bus = address.isEmpty() ? QString("DBUS_SESSION_BUS_ADDRESS")
                                          : "DBUS_SESSION_BUS_ADDRESS=" + address;
    QVERIFY(player.start(
        {}, {"TAMREL_CD_DRIVES=" + discImage(), bus, "XDG_RUNTIME_DIR=" + runtime.path()}));
    QVERIFY(player.waitForLine(Playing1));
    // A span in which the name may not appear.
    QVERIFY(!waitForName(MprisService::ServiceName, 600));
    QVERIFY2(!player.errors().contains("bus", Qt::CaseInsensitive), qPrintable(player.errors()));
}

void TestDesktopPlayer::vanishingBusIsQuiet()
{
    PrivateBus bus;
    QVERIFY(bus.isRunning());
    PlayerProcess player;
    QVERIFY(player.start({}, {"TAMREL_CD_DRIVES=" + discImage(),
                              "TAMREL_MPV_OPTIONS=vo=null ao=null speed=4",
                              "DBUS_SESSION_BUS_ADDRESS=" + bus.address()}));
    QVERIFY(player.waitForLine(Playing1));
    QDBusConnection watcher = bus.connect("watcher");
    QTRY_VERIFY(namesOnBus(watcher, MprisService::ServiceName).size() == 1);
    bus.kill();
    // The disc plays on to its end.
    QVERIFY2(player.waitForLine("track: 03 of 3"), qPrintable(player.lines().join('\n')));
    QVERIFY(player.waitForLine("status: Tamrel VCD Player"));
    QCOMPARE(player.process().state(), QProcess::Running);
    QDBusConnection::disconnectFromBus("watcher");
}

QTEST_MAIN(TestDesktopPlayer)
#include "test_desktop_player.moc"

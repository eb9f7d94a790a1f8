#include "bus_support.h"
#include "desktop/desktop_session.h"
#include "desktop/mpris/mpris_metadata.h"
#include "desktop/mpris/mpris_service.h"
#include "desktop/session_bus.h"
#include "fake_transport.h"

#include <QDBusPendingCallWatcher>
#include <QTemporaryDir>
#include <QTest>

using State = MediaTransport::State;
using Track = MediaTransport::Track;
Q_DECLARE_METATYPE(MediaTransport::State)
Q_DECLARE_METATYPE(MediaTransport::Track)

namespace {

Track discTrack(int entry, int count, double length)
{
    return {entry, count,
            QStringLiteral("Track %1 of %2").arg(entry + 1, 2, 10, QChar('0')).arg(count),
            QString(), length};
}

// Records the PropertiesChanged signals of one object.
class PropertiesSpy : public QObject {
    Q_OBJECT
public:
    PropertiesSpy(QDBusConnection bus, const QString& service)
    {
        bus.connect(service, MprisService::ObjectPath, "org.freedesktop.DBus.Properties",
                    "PropertiesChanged", this, SLOT(onChanged(QString, QVariantMap, QStringList)));
    }
    QList<QPair<QString, QStringList>> signals_; // interface, changed names

public slots:
    void onChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        signals_ << qMakePair(interface, changed.keys());
    }
};

} // namespace

// The MPRIS service on a real bus (the test runs under dbus-run-session), over a transport
// the test scripts; a client on a connection of its own reads and calls it.
class TestMpris : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void metadataDescribesTheTrack_data();
    void metadataDescribesTheTrack();
    void methodsRunTransportCommands_data();
    void methodsRunTransportCommands();
    void changesAreAnnouncedOnce();
    void rateIsTheTempo();
    void secondPlayerTakesAnInstanceName();
    void burstOfPlayPauseIsAnsweredInOrder();
    void vanishingBusIsQuiet();
    void noBusRegistersNothing();

private:
    QDBusConnection client()
    {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    }
};

void TestMpris::initTestCase()
{
    if (!SessionBus::connect())
        QSKIP("no session bus (run under dbus-run-session)");
}

void TestMpris::metadataDescribesTheTrack_data()
{
    QTest::addColumn<Track>("track");
    QTest::addColumn<QVariantMap>("expected");
    const QString id = "/org/tamrel_vcd/TamrelVcdPlayer/track/";
    QTest::newRow("no track") << Track{}
                              << QVariantMap{{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(
                                                                   MprisMetadata::NoTrack))}};
    QTest::newRow("disc track") << discTrack(2, 12, 4.5)
                                << QVariantMap{{"mpris:trackid",
                                                QVariant::fromValue(QDBusObjectPath(id + "3"))},
                                               {"xesam:title", "Track 03 of 12"},
                                               {"xesam:trackNumber", 3},
                                               {"mpris:length", qint64(4500000)}};
    QTest::newRow("file, length unknown")
        << Track{0, 1, "My Song.mp3", "/music/my song.mp3", 0}
        << QVariantMap{{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(id + "1"))},
                       {"xesam:title", "My Song.mp3"},
                       {"xesam:url", "file:///music/my song.mp3"}};
}

void TestMpris::metadataDescribesTheTrack()
{
    QFETCH(Track, track);
    QFETCH(QVariantMap, expected);
    const QVariantMap metadata = MprisMetadata::metadata(track);
    QCOMPARE(metadata.keys(), expected.keys());
    for (const QString& key : expected.keys())
        QCOMPARE(metadata.value(key), expected.value(key));
}

void TestMpris::methodsRunTransportCommands_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QStringList>("expected");
    const QString player = MprisClient::PlayerInterface;
    const QString root = MprisClient::RootInterface;
    const auto track1 =
        QVariant::fromValue(QDBusObjectPath("/org/tamrel_vcd/TamrelVcdPlayer/track/1"));
    const auto foreign = QVariant::fromValue(QDBusObjectPath("/org/other/player/track/1"));
    QTest::newRow("Play, stopped")
        << State::Stopped << player << "Play" << QVariantList{} << QStringList{"play"};
    QTest::newRow("PlayPause, playing")
        << State::Playing << player << "PlayPause" << QVariantList{} << QStringList{"pause"};
    QTest::newRow("PlayPause, paused")
        << State::Paused << player << "PlayPause" << QVariantList{} << QStringList{"play"};
    QTest::newRow("Pause") << State::Playing << player << "Pause" << QVariantList{}
                           << QStringList{"pause"};
    QTest::newRow("Stop") << State::Playing << player << "Stop" << QVariantList{}
                          << QStringList{"stop"};
    QTest::newRow("Next") << State::Playing << player << "Next" << QVariantList{}
                          << QStringList{"next"};
    QTest::newRow("Previous") << State::Playing << player << "Previous" << QVariantList{}
                              << QStringList{};
    QTest::newRow("Seek forward") << State::Playing << player << "Seek"
                                  << QVariantList{qlonglong(2000000)} << QStringList{"seekTo 3"};
    QTest::newRow("Seek before the start")
        << State::Playing << player << "Seek" << QVariantList{qlonglong(-5000000)}
        << QStringList{"seekTo 0"};
    QTest::newRow("Seek past the end") << State::Playing << player << "Seek"
                                       << QVariantList{qlonglong(9000000)} << QStringList{"next"};
    QTest::newRow("Seek, stopped")
        << State::Stopped << player << "Seek" << QVariantList{qlonglong(1000000)} << QStringList{};
    QTest::newRow("SetPosition") << State::Playing << player << "SetPosition"
                                 << QVariantList{track1, qlonglong(2500000)}
                                 << QStringList{"seekTo 2.5"};
    QTest::newRow("SetPosition, foreign track")
        << State::Playing << player << "SetPosition" << QVariantList{foreign, qlonglong(2000000)}
        << QStringList{};
    QTest::newRow("SetPosition past the end")
        << State::Playing << player << "SetPosition" << QVariantList{track1, qlonglong(4000001)}
        << QStringList{};
    QTest::newRow("SetPosition, negative") << State::Playing << player << "SetPosition"
                                           << QVariantList{track1, qlonglong(-1)} << QStringList{};
    QTest::newRow("Raise") << State::Playing << root << "Raise" << QVariantList{}
                           << QStringList{"raise"};
    QTest::newRow("Quit") << State::Playing << root << "Quit" << QVariantList{}
                          << QStringList{"quit"};
}

void TestMpris::methodsRunTransportCommands()
{
    QFETCH(State, state);
    QFETCH(QString, interface);
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    QFETCH(QStringList, expected);
    FakeTransport transport;
    transport.setTrack(discTrack(0, 3, 4.0));
    transport.setState(state);
    transport.position = 1.0;
    MprisService service(transport, QDBusConnection::sessionBus());
    QCOMPARE(service.serviceName(), MprisService::ServiceName);
    transport.calls.clear();

    QVERIFY(MprisClient(client(), service.serviceName()).call(method, arguments, interface));
    // Quit runs from the event loop, after its answer.
    QTRY_COMPARE_WITH_TIMEOUT(transport.calls, expected, 10000);
}

void TestMpris::changesAreAnnouncedOnce()
{
    FakeTransport transport;
    MprisService service(transport, QDBusConnection::sessionBus());
    PropertiesSpy spy(client(), service.serviceName());
    MprisClient mpris(client(), service.serviceName());
    QCOMPARE(mpris.property("PlaybackStatus").toString(), QString("Stopped"));

    // A track change reports several changes; one signal carries them.
    transport.setTrack(discTrack(1, 3, 3.0));
    transport.setState(State::Playing);
    QTRY_COMPARE(spy.signals_.size(), 1);
    QTest::qWait(50); // a span in which no second signal may come
    QCOMPARE(spy.signals_.size(), 1);
    QCOMPARE(spy.signals_[0].first, MprisClient::PlayerInterface);
    QCOMPARE(spy.signals_[0].second, (QStringList{"CanSeek", "Metadata", "PlaybackStatus"}));
    QCOMPARE(mpris.property("PlaybackStatus").toString(), QString("Playing"));
    QCOMPARE(mpris.metadata().value("xesam:title").toString(), QString("Track 02 of 3"));

    emit transport.changed(); // nothing new: nothing announced
    QTest::qWait(50);         // a span in which no signal may come
    QCOMPARE(spy.signals_.size(), 1);

    QVERIFY(mpris.setProperty("Fullscreen", true, MprisClient::RootInterface));
    QTRY_COMPARE(spy.signals_.size(), 2);
    QCOMPARE(spy.signals_[1], qMakePair(MprisClient::RootInterface, QStringList{"Fullscreen"}));
}

void TestMpris::rateIsTheTempo()
{
    FakeTransport transport;
    MprisService service(transport, QDBusConnection::sessionBus());
    PropertiesSpy spy(client(), service.serviceName());
    MprisClient mpris(client(), service.serviceName());
    QCOMPARE(mpris.property("Rate").toDouble(), 1.0);
    QCOMPARE(mpris.property("MinimumRate").toDouble(), 0.5);
    QCOMPARE(mpris.property("MaximumRate").toDouble(), 1.5);
    // Outside the range (0 would mean a pause) nothing changes.
    for (double refused : {0.0, -1.0, 0.4, 2.0})
        QVERIFY(mpris.setProperty("Rate", refused));
    QVERIFY(mpris.setProperty("Rate", 0.9));
    QTRY_COMPARE(transport.calls, QStringList{"setRate 0.9"});
    QTRY_COMPARE(spy.signals_.size(), 1);
    QCOMPARE(spy.signals_[0].second, QStringList{"Rate"});
    QCOMPARE(mpris.property("Rate").toDouble(), 0.9);
}

void TestMpris::secondPlayerTakesAnInstanceName()
{
    FakeTransport transport;
    QDBusConnection second = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "second");
    QDBusConnection third = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "third");
    MprisService first(transport, QDBusConnection::sessionBus());
    MprisService other(transport, second);
    const QString instance =
        MprisService::ServiceName + QString(".instance%1").arg(QCoreApplication::applicationPid());
    QCOMPARE(first.serviceName(), MprisService::ServiceName);
    QCOMPARE(other.serviceName(), instance);
    // Both names taken (by this very process): the third stays off the bus, quietly.
    MprisService unlucky(transport, third);
    QVERIFY(unlucky.serviceName().isEmpty());
    QCOMPARE(namesOnBus(client(), MprisService::ServiceName).size(), 2);
    QCOMPARE(MprisClient(client(), instance).property("Identity", MprisClient::RootInterface),
             QVariant("Tamrel VCD Player"));
}

void TestMpris::burstOfPlayPauseIsAnsweredInOrder()
{
    FakeTransport transport;
    transport.setTrack(discTrack(0, 3, 4.0));
    transport.setState(State::Playing);
    MprisService service(transport, QDBusConnection::sessionBus());
    QDBusConnection bus = client();
    QList<QDBusPendingCall> pending;
    for (int i = 0; i < 1000; ++i)
        pending << bus.asyncCall(
            QDBusMessage::createMethodCall(service.serviceName(), MprisService::ObjectPath,
                                           MprisClient::PlayerInterface, "PlayPause"));
    for (QDBusPendingCall& call : pending) {
        QTRY_VERIFY_WITH_TIMEOUT(call.isFinished(), 10000);
        QVERIFY(!call.isError());
    }
    QCOMPARE(transport.calls.size(), 1000);
    QCOMPARE(transport.calls.count("pause"), 500);
    QCOMPARE(transport.state(), State::Playing);
    QTRY_COMPARE(MprisClient(bus, service.serviceName()).property("PlaybackStatus").toString(),
                 QString("Playing"));
}

void TestMpris::vanishingBusIsQuiet()
{
    PrivateBus bus;
    QVERIFY(bus.isRunning());
    QDBusConnection connection = bus.connect("vanishing");
    FakeTransport transport;
    auto service = std::make_unique<MprisService>(transport, connection);
    QCOMPARE(service->serviceName(), MprisService::ServiceName);
    bus.kill();
    QTRY_VERIFY(!QDBusConnection(connection).isConnected());
    transport.setState(State::Playing);
    QCoreApplication::processEvents(); // the announcement goes out, to nobody
    service.reset(); // without waiting on the dead bus (its cost: bench/bench_desktop_exit)
    QDBusConnection::disconnectFromBus("vanishing");
}

void TestMpris::noBusRegistersNothing()
{
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir emptyRuntime;
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", emptyRuntime.path().toUtf8());
    const bool advertised = SessionBus::isAdvertised();
    const bool connected = SessionBus::connect().has_value();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtime);
    QVERIFY(!advertised);
    QVERIFY(!connected);

    FakeTransport transport;
    DesktopSession session(transport, std::nullopt);
    QVERIFY(!session.mpris());
    QVERIFY(!session.inhibitor());
    transport.setState(State::Playing);
    session.beforeExit();
}

QTEST_MAIN(TestMpris)
#include "test_mpris.moc"

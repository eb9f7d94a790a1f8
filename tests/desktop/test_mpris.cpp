#include "bus_support.h"
#include "desktop/desktop_session.h"
#include "desktop/mpris/mpris_metadata.h"
#include "desktop/mpris/mpris_service.h"
#include "desktop/mpris/mpris_track_list_adaptor.h"
#include "desktop/session_bus.h"
#include "fake_transport.h"

#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QSignalSpy>
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
    QList<QPair<QString, QStringList>> invalidated;

public slots:
    void onChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalid)
    {
        signals_ << qMakePair(interface, changed.keys());
        invalidated << qMakePair(interface, invalid);
    }
};

const QString TrackListInterface = QStringLiteral("org.mpris.MediaPlayer2.TrackList");

// Ids as paths: "/org/tamrel_vcd/TamrelVcdPlayer/track/2/song/1"...
QStringList paths(const QList<QDBusObjectPath>& ids)
{
    QStringList list;
    for (const QDBusObjectPath& id : ids)
        list << id.path();
    return list;
}

QString songPath(int track, int song)
{
    return QStringLiteral("/org/tamrel_vcd/TamrelVcdPlayer/track/%1/song/%2").arg(track).arg(song);
}

// A client of the track list: its reads and calls, and the lists it is sent.
class TrackListClient : public QObject {
    Q_OBJECT
public:
    TrackListClient(QDBusConnection bus, const QString& service) : m_bus(bus), m_service(service)
    {
        bus.connect(service, MprisService::ObjectPath, TrackListInterface, "TrackListReplaced",
                    this, SLOT(onReplaced(QList<QDBusObjectPath>, QDBusObjectPath)));
    }
    QStringList tracks() const
    {
        return paths(qdbus_cast<QList<QDBusObjectPath>>(
            MprisClient(m_bus, m_service).property("Tracks", TrackListInterface)));
    }
    QList<QVariantMap> metadata(const QStringList& ids) const
    {
        QList<QDBusObjectPath> list;
        for (const QString& id : ids)
            list << QDBusObjectPath(id);
        QDBusMessage call = QDBusMessage::createMethodCall(m_service, MprisService::ObjectPath,
                                                           TrackListInterface, "GetTracksMetadata");
        call << QVariant::fromValue(list);
        const QDBusReply<QList<QVariantMap>> reply = m_bus.call(call, QDBus::BlockWithGui, 5000);
        return reply.isValid() ? reply.value() : QList<QVariantMap>{{{"error", true}}};
    }
    bool call(const QString& method, const QVariantList& arguments) const
    {
        return MprisClient(m_bus, m_service).call(method, arguments, TrackListInterface);
    }

    QList<QPair<QStringList, QString>> replaced; // the list, the current song

public slots:
    void onReplaced(const QList<QDBusObjectPath>& tracks, const QDBusObjectPath& current)
    {
        replaced << qMakePair(paths(tracks), current.path());
    }

private:
    QDBusConnection m_bus;
    QString m_service;
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
    void trackListHoldsTheSongs_data();
    void trackListHoldsTheSongs();
    void goToMovesToTheSong_data();
    void goToMovesToTheSong();
    void trackListIsReadOnlyOnDemand();
    void newMediumReplacesTheList();

private:
    QDBusConnection client()
    {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    }
};

void TestMpris::initTestCase()
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
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

void TestMpris::trackListHoldsTheSongs_data()
{
    QTest::addColumn<Track>("track");
    QTest::addColumn<std::vector<double>>("starts");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<qint64>>("lengths"); // microseconds; -1: none given

    QTest::newRow("disc track, three songs")
        << discTrack(1, 3, 10.0) << std::vector<double>{0, 3, 6.5}
        << QStringList{songPath(2, 1), songPath(2, 2), songPath(2, 3)}
        << QStringList{"Track 02 · song 1", "Track 02 · song 2", "Track 02 · song 3"}
        << QList<qint64>{3000000, 3500000, 3500000};
    QTest::newRow("disc track, three songs, length still unknown")
        << discTrack(11, 12, 0) << std::vector<double>{0, 3, 6}
        << QStringList{songPath(12, 1), songPath(12, 2), songPath(12, 3)}
        << QStringList{"Track 12 · song 1", "Track 12 · song 2", "Track 12 · song 3"}
        << QList<qint64>{3000000, 3000000, -1};
    QTest::newRow("file with songs")
        << Track{0, 2, "My Song.mpg", "/music/my song.mpg", 8.0} << std::vector<double>{0, 5}
        << QStringList{songPath(1, 1), songPath(1, 2)}
        << QStringList{"My Song.mpg · song 1", "My Song.mpg · song 2"}
        << QList<qint64>{5000000, 3000000};
    QTest::newRow("disc track, one song") << discTrack(0, 3, 4.0) << std::vector<double>{0}
                                          << QStringList{} << QStringList{} << QList<qint64>{};
    QTest::newRow("file") << Track{0, 1, "My Song.mp3", "/music/my song.mp3", 4.0}
                          << std::vector<double>{} << QStringList{} << QStringList{}
                          << QList<qint64>{};
    QTest::newRow("nothing in the player") << Track{} << std::vector<double>{0, 3} << QStringList{}
                                           << QStringList{} << QList<qint64>{};
}

void TestMpris::trackListHoldsTheSongs()
{
    QFETCH(Track, track);
    QFETCH(std::vector<double>, starts);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, titles);
    QFETCH(QList<qint64>, lengths);
    FakeTransport transport;
    transport.setTrack(track);
    transport.starts = starts;
    transport.setState(State::Playing);
    MprisService service(transport, QDBusConnection::sessionBus());
    TrackListClient client(this->client(), service.serviceName());
    MprisClient mpris(this->client(), service.serviceName());

    QCOMPARE(mpris.property("HasTrackList", MprisClient::RootInterface), QVariant(true));
    QCOMPARE(mpris.property("CanEditTracks", TrackListInterface), QVariant(false));
    QCOMPARE(client.tracks(), ids);
    const QList<QVariantMap> metadata = client.metadata(ids);
    QCOMPARE(metadata.size(), ids.size());
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QVariantMap& song = metadata[i];
        QCOMPARE(song.value("mpris:trackid").value<QDBusObjectPath>().path(), ids[i]);
        QCOMPARE(song.value("xesam:title").toString(), titles[i]);
        QCOMPARE(song.contains("mpris:length"), lengths[i] >= 0);
        if (lengths[i] >= 0)
            QCOMPARE(song.value("mpris:length").toLongLong(), lengths[i]);
    }
    // The list cannot be edited: asking is answered, and nothing changes.
    QVERIFY(client.call("AddTrack",
                        {"file:///music/other.mp3",
                         QVariant::fromValue(QDBusObjectPath(MprisMetadata::NoTrack)), true}));
    if (!ids.isEmpty())
        QVERIFY(client.call("RemoveTrack", {QVariant::fromValue(QDBusObjectPath(ids[0]))}));
    QCOMPARE(client.tracks(), ids);
    QVERIFY(transport.calls.isEmpty());
}

void TestMpris::goToMovesToTheSong_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("expected"); // the transport's calls
    QTest::newRow("song 2") << songPath(2, 2) << QStringList{"seekTo 3"};
    QTest::newRow("song 3") << songPath(2, 3) << QStringList{"seekTo 6.5"};
    QTest::newRow("song 1") << songPath(2, 1) << QStringList{"seekTo 0"};
    QTest::newRow("past the last song") << songPath(2, 4) << QStringList{};
    QTest::newRow("song 0") << songPath(2, 0) << QStringList{};
    QTest::newRow("another track's song") << songPath(1, 2) << QStringList{};
    QTest::newRow("spelt with a leading zero")
        << "/org/tamrel_vcd/TamrelVcdPlayer/track/2/song/02" << QStringList{};
    QTest::newRow("the track itself") << "/org/tamrel_vcd/TamrelVcdPlayer/track/2" << QStringList{};
    QTest::newRow("another player's") << "/org/other/player/track/2/song/2" << QStringList{};
    QTest::newRow("no track") << MprisMetadata::NoTrack << QStringList{};
}

void TestMpris::goToMovesToTheSong()
{
    QFETCH(QString, id);
    QFETCH(QStringList, expected);
    FakeTransport transport;
    transport.setTrack(discTrack(1, 3, 10.0));
    transport.starts = {0, 3, 6.5};
    transport.setState(State::Playing);
    transport.position = 8;
    MprisService service(transport, QDBusConnection::sessionBus());
    TrackListClient client(this->client(), service.serviceName());
    QSignalSpy seeked(&transport, &MediaTransport::seeked);

    QVERIFY(client.call("GoTo", {QVariant::fromValue(QDBusObjectPath(id))}));
    QCOMPARE(transport.calls, expected);
    QCOMPARE(seeked.size(), expected.size());
    // The song's metadata, for that id or none: unknown ids are left out quietly.
    const QList<QVariantMap> metadata = client.metadata({id, songPath(2, 1)});
    QCOMPARE(metadata.size(), expected.isEmpty() ? 1 : 2);
    QCOMPARE(metadata.last().value("mpris:trackid").value<QDBusObjectPath>().path(),
             songPath(2, 1));
    if (!expected.isEmpty())
        QCOMPARE(metadata.first().value("mpris:trackid").value<QDBusObjectPath>().path(), id);
}

void TestMpris::trackListIsReadOnlyOnDemand()
{
    FakeTransport transport;
    transport.setTrack(discTrack(0, 3, 9.0));
    transport.starts = {0, 3, 6};
    MprisService service(transport, QDBusConnection::sessionBus());
    auto* adaptor = service.findChild<MprisTrackListAdaptor*>();
    QVERIFY(adaptor);
    QSignalSpy replaced(adaptor, &MprisTrackListAdaptor::TrackListReplaced);
    MprisClient mpris(client(), service.serviceName());
    QCOMPARE(mpris.property("PlaybackStatus").toString(), QString("Stopped"));

    // Starting, and media loading and playing, read nothing while no client asks.
    transport.setState(State::Playing);
    transport.changeMedium(discTrack(1, 3, 9.0), {0, 4});
    transport.setState(State::Playing);
    QCoreApplication::processEvents();
    QCOMPARE(mpris.metadata().value("xesam:title").toString(), QString("Track 02 of 3"));
    QCOMPARE(transport.songReads, 0);
    QCOMPARE(replaced.size(), 0);

    // The first read finds the songs; later ones reuse them while the medium stays.
    TrackListClient tracks(client(), service.serviceName());
    QCOMPARE(tracks.tracks(), (QStringList{songPath(2, 1), songPath(2, 2)}));
    QCOMPARE(tracks.metadata({songPath(2, 2)}).size(), 1);
    QVERIFY(tracks.call("GoTo", {QVariant::fromValue(QDBusObjectPath(songPath(2, 2)))}));
    QCOMPARE(tracks.tracks().size(), 2);
    QCOMPARE(transport.songReads, 1);
}

void TestMpris::newMediumReplacesTheList()
{
    FakeTransport transport;
    transport.setTrack(discTrack(0, 3, 9.0));
    transport.starts = {0, 3, 6};
    transport.setState(State::Playing);
    MprisService service(transport, QDBusConnection::sessionBus());
    auto* adaptor = service.findChild<MprisTrackListAdaptor*>();
    QSignalSpy replaced(adaptor, &MprisTrackListAdaptor::TrackListReplaced);
    TrackListClient client(this->client(), service.serviceName());
    PropertiesSpy properties(this->client(), service.serviceName());
    QCOMPARE(client.tracks().size(), 3);
    QCOMPARE(transport.songReads, 1);

    // While the next medium opens the list is only marked stale; the disc is read once it
    // plays, and the client sent the list and the song that plays.
    transport.changeMedium(discTrack(1, 3, 12.0), {0, 4, 8});
    QCoreApplication::processEvents();
    QCOMPARE(transport.songReads, 1);
    QCOMPARE(replaced.size(), 0);
    QTRY_VERIFY(
        properties.invalidated.contains(qMakePair(TrackListInterface, QStringList{"Tracks"})));
    transport.position = 4.2;
    transport.setState(State::Playing);
    QTRY_COMPARE(client.replaced.size(), 1);
    QCOMPARE(client.replaced[0].first,
             (QStringList{songPath(2, 1), songPath(2, 2), songPath(2, 3)}));
    QCOMPARE(client.replaced[0].second, songPath(2, 2));
    QCOMPARE(transport.songReads, 2);

    // A medium replaced before its list went out: only the one that plays is listed.
    transport.changeMedium(discTrack(2, 3, 5.0), {0, 2});
    transport.setState(State::Playing);
    transport.changeMedium(Track{0, 1, "My Song.mp3", "/music/my song.mp3", 4.0}, {});
    QCoreApplication::processEvents();
    QCOMPARE(replaced.size(), 1);
    transport.setState(State::Playing);
    QTRY_COMPARE(client.replaced.size(), 2);
    QCOMPARE(client.replaced[1], qMakePair(QStringList{}, MprisMetadata::NoTrack));
    QCOMPARE(transport.songReads, 3);
}

QTEST_MAIN(TestMpris)
#include "test_mpris.moc"

// The track list of a karaoke disc's track as a client sees it, its songs found on the
// generated VCD 1.1 disc (three songs of 3 s in its first track) through the disc library.

#include "bus_support.h"
#include "desktop/mpris/mpris_service.h"
#include "desktop/session_bus.h"
#include "fake_transport.h"
#include "platform/disc/disc_library.h"
#include "platform/disc/disc_song_starts.h"
#include "test_media.h"

#include <QDBusMetaType>
#include <QDBusReply>
#include <QTest>

namespace {

const QString Track1 = QStringLiteral("img0:\\mpegav\\avseq01.dat");

// The transport of a player with the disc's first track in it.
class DiscTrackTransport : public FakeTransport {
public:
    explicit DiscTrackTransport(SongStarts& songs) : m_songs(songs) {}
    std::vector<double> songStarts() override
    {
        ++songReads;
        return m_songs.songStarts(Track1);
    }

    QStringList queuedSongs() override { return queued; }
    void playQueued(int place) override { calls << QStringLiteral("playQueued %1").arg(place); }
    QStringList queued;

private:
    SongStarts& m_songs;
};

// The disc in an image drive, its first track playing.
struct DiscTrackPlaying {
    DiscTrackPlaying()
    {
        library.setDrives({{"img0", TestMedia::disc("entries-vcd11.cue"), true}});
        transport.setTrack({0, 2, QStringLiteral("Track 01 of 2"), QString(), 9.0});
        transport.setState(MediaTransport::State::Playing);
    }
    DiscLibrary library;
    DiscSongStarts songs{library};
    DiscTrackTransport transport{songs};
};

} // namespace

class TestMprisDiscSongs : public QObject {
    Q_OBJECT
public slots:
    void onReplaced(const QList<QDBusObjectPath>& tracks, const QDBusObjectPath&)
    {
        m_replaced << tracks;
    }

private:
    QList<QList<QDBusObjectPath>> m_replaced;

private slots:
    void songsOfTheDiscTrack();
    void queuedSongsFollowTheTrackSongs();
};

void TestMprisDiscSongs::songsOfTheDiscTrack()
{
    if (!SessionBus::connect())
        QSKIP("no session bus (run under dbus-run-session)");
    qDBusRegisterMetaType<QList<QVariantMap>>();
    DiscTrackPlaying disc;
    DiscTrackTransport& transport = disc.transport;
    MprisService service(transport, QDBusConnection::sessionBus());
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    const QString interface = QStringLiteral("org.mpris.MediaPlayer2.TrackList");

    const auto tracks = qdbus_cast<QList<QDBusObjectPath>>(
        MprisClient(client, service.serviceName()).property("Tracks", interface));
    QCOMPARE(tracks.size(), 3);
    QDBusMessage call = QDBusMessage::createMethodCall(
        service.serviceName(), MprisService::ObjectPath, interface, "GetTracksMetadata");
    call << QVariant::fromValue(tracks);
    const QDBusReply<QList<QVariantMap>> metadata = client.call(call, QDBus::BlockWithGui, 5000);
    QVERIFY(metadata.isValid());
    QCOMPARE(metadata.value().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QVariantMap song = metadata.value()[i];
        QCOMPARE(song.value("xesam:title").toString(), QString("Track 01 · song %1").arg(i + 1));
        // Each song lasts 3 s; a song's first pack is due a little before its picture.
        const double seconds = song.value("mpris:length").toLongLong() / 1e6;
        QVERIFY2(std::abs(seconds - 3.0) <= 0.3, qPrintable(QString::number(seconds)));
    }

    QVERIFY(MprisClient(client, service.serviceName())
                .call("GoTo", {QVariant::fromValue(tracks[1])}, interface));
    QCOMPARE(transport.calls.size(), 1);
    QVERIFY2(std::abs(transport.position - 3.0) <= 0.3, qPrintable(transport.calls.join(' ')));
    QCOMPARE(transport.songReads, 1);
}

void TestMprisDiscSongs::queuedSongsFollowTheTrackSongs()
{
    if (!SessionBus::connect())
        QSKIP("no session bus (run under dbus-run-session)");
    qDBusRegisterMetaType<QList<QVariantMap>>();
    DiscTrackPlaying disc;
    DiscTrackTransport& transport = disc.transport;
    transport.queued = {QStringLiteral("07  AVSEQ07.DAT"), QStringLiteral("03  AVSEQ03.DAT")};
    MprisService service(transport, QDBusConnection::sessionBus());
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "queue");
    const QString interface = QStringLiteral("org.mpris.MediaPlayer2.TrackList");
    const MprisClient mpris(client, service.serviceName());

    const auto tracks = qdbus_cast<QList<QDBusObjectPath>>(mpris.property("Tracks", interface));
    QCOMPARE(tracks.size(), 5); // the track's three songs, then the queue
    QDBusMessage call = QDBusMessage::createMethodCall(
        service.serviceName(), MprisService::ObjectPath, interface, "GetTracksMetadata");
    call << QVariant::fromValue(tracks.mid(3)
                                << QDBusObjectPath("/org/tamrel_vcd/TamrelVcdPlayer/queue/9"));
    const QDBusReply<QList<QVariantMap>> metadata = client.call(call, QDBus::BlockWithGui, 5000);
    QVERIFY(metadata.isValid());
    QCOMPARE(metadata.value().size(), 2); // an id of nothing queued is left out
    QCOMPARE(metadata.value()[0].value("xesam:title").toString(), QString("07  AVSEQ07.DAT"));
    QCOMPARE(metadata.value()[1].value("xesam:title").toString(), QString("03  AVSEQ03.DAT"));

    QVERIFY(mpris.call("GoTo", {QVariant::fromValue(tracks[4])}, interface));
    QCOMPARE(transport.calls, QStringList{"playQueued 1"});

    // A client that follows the list hears of each change of the queue.
    QVERIFY(client.connect(service.serviceName(), MprisService::ObjectPath, interface,
                           "TrackListReplaced", this,
                           SLOT(onReplaced(QList<QDBusObjectPath>, QDBusObjectPath))));
    m_replaced.clear();
    transport.queued.removeFirst();
    emit transport.queueChanged();
    QTRY_COMPARE_WITH_TIMEOUT(m_replaced.size(), 1, 5000);
    QCOMPARE(m_replaced.first().size(), 4);
}

QTEST_MAIN(TestMprisDiscSongs)
#include "test_mpris_disc_songs.moc"

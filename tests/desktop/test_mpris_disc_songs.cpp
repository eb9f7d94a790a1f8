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

private:
    SongStarts& m_songs;
};

} // namespace

class TestMprisDiscSongs : public QObject {
    Q_OBJECT
private slots:
    void songsOfTheDiscTrack();
};

void TestMprisDiscSongs::songsOfTheDiscTrack()
{
    if (!SessionBus::connect())
        QSKIP("no session bus (run under dbus-run-session)");
    qDBusRegisterMetaType<QList<QVariantMap>>();
    DiscLibrary library;
    library.setDrives({{"img0", TestMedia::disc("entries-vcd11.cue"), true}});
    DiscSongStarts songs(library);
    DiscTrackTransport transport(songs);
    transport.setTrack({0, 2, QStringLiteral("Track 01 of 2"), QString(), 9.0});
    transport.setState(MediaTransport::State::Playing);
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

QTEST_MAIN(TestMprisDiscSongs)
#include "test_mpris_disc_songs.moc"

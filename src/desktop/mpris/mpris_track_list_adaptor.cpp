#include "desktop/mpris/mpris_track_list_adaptor.h"

#include "desktop/media_transport.h"
#include "desktop/mpris/mpris_metadata.h"
#include "desktop/mpris/mpris_service.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>
#include <algorithm>

namespace {

// A song whose start lies this little ahead is the one that plays: the player reports a
// position a little before a start it has just moved to.
constexpr double StartTolerance = 0.5;

const QString SongPart = QStringLiteral("/song/");
const QString QueuePath = QStringLiteral("/org/tamrel_vcd/TamrelVcdPlayer/queue/");

QString songTitle(const MediaTransport::Track& track, int number)
{
    if (track.localFile.isEmpty())
        return QStringLiteral("Track %1 · song %2")
            .arg(track.entry + 1, 2, 10, QLatin1Char('0'))
            .arg(number);
    return QStringLiteral("%1 · song %2").arg(track.title).arg(number);
}

} // namespace

MprisTrackListAdaptor::MprisTrackListAdaptor(QObject* exported, MediaTransport& transport,
                                             const QDBusConnection& bus)
    : QDBusAbstractAdaptor(exported), m_transport(transport), m_bus(bus)
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
    connect(&m_transport, &MediaTransport::mediumChanged, this,
            &MprisTrackListAdaptor::onMediumChanged);
    connect(&m_transport, &MediaTransport::changed, this, &MprisTrackListAdaptor::onChanged);
    connect(&m_transport, &MediaTransport::queueChanged, this,
            &MprisTrackListAdaptor::onQueueChanged);
}

QDBusObjectPath MprisTrackListAdaptor::queuedId(int place)
{
    return QDBusObjectPath(QueuePath + QString::number(place + 1));
}

int MprisTrackListAdaptor::queuedPlace(const QDBusObjectPath& id)
{
    if (!id.path().startsWith(QueuePath))
        return -1;
    bool ok = false;
    const int number = id.path().mid(QueuePath.size()).toInt(&ok);
    if (!ok || number < 1 || queuedId(number - 1) != id)
        return -1;
    return number - 1;
}

QDBusObjectPath MprisTrackListAdaptor::songId(const QDBusObjectPath& mediumId, int number)
{
    return QDBusObjectPath(mediumId.path() + SongPart + QString::number(number));
}

int MprisTrackListAdaptor::songNumber(const QDBusObjectPath& song, const QDBusObjectPath& mediumId)
{
    const QString prefix = mediumId.path() + SongPart;
    if (mediumId.path() == MprisMetadata::NoTrack || !song.path().startsWith(prefix))
        return 0;
    bool ok = false;
    const int number = song.path().mid(prefix.size()).toInt(&ok);
    // One spelling an id: "song/02" names no song.
    if (!ok || number < 1 || songId(mediumId, number) != song)
        return 0;
    return number;
}

const std::vector<double>& MprisTrackListAdaptor::starts()
{
    if (!m_starts) {
        m_starts = m_transport.track().entry < 0 ? std::vector<double>{} : m_transport.songStarts();
        // One song is no list.
        if (m_starts->size() < 2)
            m_starts->clear();
    }
    return *m_starts;
}

QList<QDBusObjectPath> MprisTrackListAdaptor::ids(const std::vector<double>& starts) const
{
    const QDBusObjectPath medium = MprisMetadata::trackId(m_transport.track());
    QList<QDBusObjectPath> list;
    for (std::size_t i = 0; i < starts.size(); ++i)
        list << songId(medium, int(i) + 1);
    // The queue follows: what plays after this medium.
    const qsizetype queued = m_transport.queuedSongs().size();
    for (int place = 0; place < queued; ++place)
        list << queuedId(place);
    return list;
}

QDBusObjectPath MprisTrackListAdaptor::currentSong(const std::vector<double>& starts) const
{
    const double position = m_transport.positionSeconds();
    const auto after = std::upper_bound(starts.begin(), starts.end(), position + StartTolerance);
    if (after == starts.begin())
        return QDBusObjectPath(MprisMetadata::NoTrack);
    return songId(MprisMetadata::trackId(m_transport.track()), int(after - starts.begin()));
}

QList<QDBusObjectPath> MprisTrackListAdaptor::tracks()
{
    m_clientAsked = true;
    return ids(starts());
}

QList<QVariantMap> MprisTrackListAdaptor::GetTracksMetadata(const QList<QDBusObjectPath>& trackIds)
{
    m_clientAsked = true;
    const MediaTransport::Track track = m_transport.track();
    const QDBusObjectPath medium = MprisMetadata::trackId(track);
    QList<QVariantMap> found;
    const QStringList queued = m_transport.queuedSongs();
    for (const QDBusObjectPath& id : trackIds) {
        const int place = queuedPlace(id);
        if (place >= 0) {
            if (place < queued.size())
                found << QVariantMap{{QStringLiteral("mpris:trackid"), QVariant::fromValue(id)},
                                     {QStringLiteral("xesam:title"), queued[place]}};
            continue;
        }
        // Ids of no song of this medium (another medium's, a stale one) are left out.
        const int number = songNumber(id, medium);
        if (number == 0 || std::size_t(number) > starts().size())
            continue;
        const std::vector<double>& songs = starts();
        const double start = songs[std::size_t(number) - 1];
        const double end =
            std::size_t(number) < songs.size() ? songs[std::size_t(number)] : track.lengthSeconds;
        QVariantMap metadata{{QStringLiteral("mpris:trackid"), QVariant::fromValue(id)},
                             {QStringLiteral("xesam:title"), songTitle(track, number)}};
        if (end > start)
            metadata.insert(QStringLiteral("mpris:length"),
                            MprisMetadata::microseconds(end - start));
        found << metadata;
    }
    return found;
}

void MprisTrackListAdaptor::GoTo(const QDBusObjectPath& trackId)
{
    m_clientAsked = true;
    const int place = queuedPlace(trackId);
    if (place >= 0) {
        if (place < m_transport.queuedSongs().size())
            m_transport.playQueued(place);
        return;
    }
    const int number = songNumber(trackId, MprisMetadata::trackId(m_transport.track()));
    if (number == 0 || std::size_t(number) > starts().size())
        return;
    // Page Down's step: the medium moves to the song's start, within what may be sought.
    m_transport.seekTo(starts()[std::size_t(number) - 1]);
}

void MprisTrackListAdaptor::onMediumChanged()
{
    m_starts.reset();
    // Whoever keeps the list reads it again when it wants it; nothing is read now.
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(MprisService::ObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(Interface) << QVariantMap()
           << QStringList{QStringLiteral("Tracks")};
    m_bus.send(signal);
    // A client that follows the list hears of the new one once the medium plays: reading the
    // disc then does not hold up its first picture. A list queued for the last medium is
    // dropped.
    m_replacePending = m_clientAsked;
    m_replaceQueued = false;
}

void MprisTrackListAdaptor::onChanged()
{
    if (!m_replacePending || m_transport.state() != MediaTransport::State::Playing)
        return;
    m_replacePending = false;
    m_replaceQueued = true;
    // After the player's own report has been handled.
    QTimer::singleShot(0, this, &MprisTrackListAdaptor::replaceList);
}

void MprisTrackListAdaptor::replaceList()
{
    if (!m_replaceQueued)
        return;
    m_replaceQueued = false;
    const std::vector<double>& songs = starts();
    emit TrackListReplaced(ids(songs), currentSong(songs));
}

void MprisTrackListAdaptor::onQueueChanged()
{
    // Only for a client that follows the list; the songs of the medium are known by then, or
    // read now as that client would read them.
    if (!m_clientAsked)
        return;
    const std::vector<double>& songs = starts();
    emit TrackListReplaced(ids(songs), currentSong(songs));
}

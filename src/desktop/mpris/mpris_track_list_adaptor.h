#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QVariantMap>
#include <optional>
#include <vector>

class MediaTransport;

// org.mpris.MediaPlayer2.TrackList: the songs inside the medium that plays, where a karaoke
// disc holds several in one track (a medium of one song, and any file, lists none), then the
// songs queued to play next. Going to a song moves to its start, as Page Down does; going to a
// queued one plays it now. The list cannot be edited from the desktop.
//
// Finding the songs reads the disc, so it is done only for a client that asks (the list, a
// song's metadata, going to a song), once a medium. A client that has asked is told of each
// new medium's songs once that medium plays, never while it opens.
class MprisTrackListAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.TrackList")
    Q_PROPERTY(QList<QDBusObjectPath> Tracks READ tracks)
    Q_PROPERTY(bool CanEditTracks READ canEditTracks)
public:
    static constexpr const char* Interface = "org.mpris.MediaPlayer2.TrackList";

    MprisTrackListAdaptor(QObject* exported, MediaTransport& transport, const QDBusConnection& bus);

    QList<QDBusObjectPath> tracks();
    bool canEditTracks() const { return false; }

    // A song's place in the list: 1 for the first song; 0 for an id of no song of the
    // medium with this id (`mediumId`, the player's track id).
    static int songNumber(const QDBusObjectPath& song, const QDBusObjectPath& mediumId);
    static QDBusObjectPath songId(const QDBusObjectPath& mediumId, int number);
    // The queued song at `place` (0 first), and back: -1 for an id of no queued song.
    static QDBusObjectPath queuedId(int place);
    static int queuedPlace(const QDBusObjectPath& id);

public slots:
    QList<QVariantMap> GetTracksMetadata(const QList<QDBusObjectPath>& trackIds);
    void AddTrack(const QString&, const QDBusObjectPath&, bool) {}
    void RemoveTrack(const QDBusObjectPath&) {}
    void GoTo(const QDBusObjectPath& trackId);

signals:
    void TrackListReplaced(const QList<QDBusObjectPath>& tracks,
                           const QDBusObjectPath& currentTrack);
    void TrackAdded(const QVariantMap& metadata, const QDBusObjectPath& afterTrack);
    void TrackRemoved(const QDBusObjectPath& trackId);
    void TrackMetadataChanged(const QDBusObjectPath& trackId, const QVariantMap& metadata);

private:
    // The medium's song starts, read the first time they are wanted.
    const std::vector<double>& starts();
    QList<QDBusObjectPath> ids(const std::vector<double>& starts) const;
    QDBusObjectPath currentSong(const std::vector<double>& starts) const;
    void onMediumChanged();
    void onChanged();
    void replaceList();
    void onQueueChanged();

    MediaTransport& m_transport;
    QDBusConnection m_bus;
    std::optional<std::vector<double>> m_starts; // of the medium in the player
    bool m_clientAsked = false;                  // a client has used the list
    bool m_replacePending = false;               // a new medium, not yet playing
    bool m_replaceQueued = false;
};

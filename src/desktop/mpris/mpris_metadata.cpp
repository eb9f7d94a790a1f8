#include "desktop/mpris/mpris_metadata.h"

#include <QUrl>
#include <cmath>

namespace MprisMetadata {

QString playbackStatus(MediaTransport::State state)
{
    switch (state) {
    case MediaTransport::State::Playing:
        return QStringLiteral("Playing");
    case MediaTransport::State::Paused:
        return QStringLiteral("Paused");
    case MediaTransport::State::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QDBusObjectPath trackId(const MediaTransport::Track& track)
{
    if (track.entry < 0)
        return QDBusObjectPath(NoTrack);
    return QDBusObjectPath(
        QStringLiteral("/org/tamrel_vcd/TamrelVcdPlayer/track/%1").arg(track.entry + 1));
}

QVariantMap metadata(const MediaTransport::Track& track)
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId(track)));
    if (track.entry < 0)
        return map;
    map.insert(QStringLiteral("xesam:title"), track.title);
    if (track.lengthSeconds > 0)
        map.insert(QStringLiteral("mpris:length"), microseconds(track.lengthSeconds));
    if (track.localFile.isEmpty())
        map.insert(QStringLiteral("xesam:trackNumber"), track.entry + 1);
    else
        map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(track.localFile).toString());
    return map;
}

qint64 microseconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    return qint64(std::llround(seconds * 1e6));
}

double seconds(qint64 microseconds)
{
    return double(microseconds) / 1e6;
}

} // namespace MprisMetadata

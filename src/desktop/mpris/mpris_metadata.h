#pragma once

#include "desktop/media_transport.h"

#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

// How the player's state and medium read in the MPRIS vocabulary.
namespace MprisMetadata {

inline const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString playbackStatus(MediaTransport::State state);
// One id per play-list entry: "/org/tamrel_vcd/TamrelVcdPlayer/track/3" for entry 2.
QDBusObjectPath trackId(const MediaTransport::Track& track);
// mpris:trackid, xesam:title, mpris:length (once known), xesam:url (files),
// xesam:trackNumber (disc tracks).
QVariantMap metadata(const MediaTransport::Track& track);
qint64 microseconds(double seconds);
double seconds(qint64 microseconds);

} // namespace MprisMetadata

#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// Which song a medium is, so that what the singer chose for it comes back: a disc track by the
// disc's serial number and the track's file ("vcd:1a2b3c4d:avseq03.dat"), whatever drive it is
// in; a file by its absolute path.
namespace SongIdentity {
// Empty when the song cannot be told (no medium, a disc without a serial number).
QString of(const QString& path, const std::function<qint32(const QString& driveId)>& serialOf);
} // namespace SongIdentity

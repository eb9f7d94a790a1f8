#pragma once

#include "platform/disc/read/sector_source.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Disc images read as their bare sector files: a .bin without a cue sheet, a cue sheet of
// 2336-byte sectors and a cdrdao .toc, which libcdio 2.1 misreads (it takes 2336-byte sectors
// for 2352-byte ones, and resolves a .toc's data files against the working folder and shifts
// the tracks after a pregap file). The image is its data files back to back, one sector after
// the other from sector 0, as disc authoring tools write them.
namespace RawImage {

// The disc in these files; the sector size (2352, 2336 or 2048 bytes) is the one at which
// sector 16 holds a volume descriptor. Nothing when no size does or a file cannot be read.
std::unique_ptr<SectorSource> open(const QStringList& dataFiles);

// The data files of a cue sheet whose tracks have 2336-byte sectors, relative to its folder;
// nothing for any other cue sheet (libcdio reads those).
std::optional<QStringList> cueSheetFiles(const QString& cuePath);

// The data files of a .toc in track order, relative to its folder; nothing when it has none
// or uses anything beyond whole data files (zero-filled gaps, parts of files).
std::optional<QStringList> tocFiles(const QString& tocPath);

} // namespace RawImage

#pragma once

#include "platform/disc/read/iso9660_directory.h"
#include "platform/disc/read/sector_source.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace DiscReader {

// Opens the disc behind a drive's source: a device node, a .cue/.bin, .nrg or .toc image
// (libcdio) or a plain .iso (libiso9660). Nothing when there is no readable disc. Each call
// opens a handle of its own, so a source may be used by one thread at a time.
std::unique_ptr<SectorSource> open(const QString& source);

// Names of the plain files in a folder of the disc, without version suffixes.
std::optional<QStringList> listFiles(SectorSource& disc, const QStringList& folder);
std::optional<QStringList> listFiles(SectorSource& disc, const Iso9660::VolumeDescriptor& pvd,
                                     const QStringList& folder);

// The file at a path of the disc; nothing for a folder or a name that is not there.
std::optional<IsoEntry> findFile(SectorSource& disc, const QStringList& path);
std::optional<IsoEntry> findFile(SectorSource& disc, const Iso9660::VolumeDescriptor& pvd,
                                 const QStringList& path);

// The disc's volume serial number, 0 when it has no readable ISO 9660 volume.
qint32 serial(SectorSource& disc);

// CD drive device nodes as libcdio finds them (/dev/cdrom, /dev/sr0...).
QStringList deviceNodes();

// Tray of a device node; the caller closes every handle of its own on the drive first (the
// kernel refuses to eject a drive that is open more than once).
bool ejectTray(const QString& device);
bool closeTray(const QString& device);

// A Nero image keeps its table of tracks in chunks at its end, found through a footer ("NERO"
// and a 32-bit offset, or "NER5" and a 64-bit one). libcdio trusts that offset and the chunk
// sizes (an offset past the end makes it ask for an allocation of exabytes), so an image is
// handed to it only when the table lies within the file and ends with its END! chunk.
bool neroChunksInside(QIODevice& image);
bool neroChunksInside(const QString& path);

} // namespace DiscReader

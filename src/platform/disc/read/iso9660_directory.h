#pragma once

#include "platform/disc/read/sector_source.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Our own reading of ISO 9660 directories. libcdio's lookups compare names exactly (they find
// "/MPEGAV" but not "/MpegAV", "AVSEQ01.DAT;1" but not "AVSEQ01.DAT"), while disc paths name
// folders and files without regard to case and without version suffixes.

struct IsoEntry {
    std::string name;       // as recorded, without the ";1" version and a bare trailing "."
    std::uint32_t extent{}; // first sector
    std::uint32_t size{};   // bytes, as recorded
    bool directory{};
    bool form2{}; // XA attribute: the file's sectors are Mode 2 Form 2
};

namespace Iso9660 {

using VolumeDescriptor = std::array<unsigned char, DataSectorSize>;

// The Primary Volume Descriptor (sector 16), or nothing when the disc has none.
std::optional<VolumeDescriptor> readVolumeDescriptor(SectorSource& source);

// Windows NT's volume serial number of the disc: four byte-wise sums over the descriptor in
// steps of four, read as a signed 32-bit value.
std::int32_t volumeSerial(const VolumeDescriptor& pvd);

std::optional<IsoEntry> rootDirectory(const VolumeDescriptor& pvd);

// The entries of a directory extent in recorded order, without "." and "..". Malformed records
// are skipped up to the next sector, so a damaged directory yields what can still be read.
std::vector<IsoEntry> parseDirectory(const unsigned char* data, std::size_t size);

// Reads and parses a directory; nothing when its sectors cannot be read.
std::optional<std::vector<IsoEntry>> readDirectory(SectorSource& source, const IsoEntry& dir);

// Follows path components from the root, each matched without regard to case; an empty path
// gives the root.
std::optional<IsoEntry> find(SectorSource& source, const std::vector<std::string>& path);
// The same from a volume descriptor already read.
std::optional<IsoEntry> find(SectorSource& source, const VolumeDescriptor& pvd,
                             const std::vector<std::string>& path);

// ASCII comparison without regard to case.
bool sameName(std::string_view a, std::string_view b);

} // namespace Iso9660

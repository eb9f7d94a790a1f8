#pragma once

#include <cstdint>

// User data per sector: Mode 1 and Mode 2 Form 1 sectors carry 2048 bytes, the Mode 2 Form 2
// sectors of Video CD movie tracks 2324.
inline constexpr std::uint32_t DataSectorSize = 2048;
inline constexpr std::uint32_t Form2SectorSize = 2324;

enum class SectorKind { Data, Form2 };

constexpr std::uint32_t sectorSize(SectorKind kind)
{
    return kind == SectorKind::Form2 ? Form2SectorSize : DataSectorSize;
}

// Random access to the sectors of one disc. The bounds are checked here, once, because the
// libraries behind it report success for reads past the end of a disc.
class SectorSource {
public:
    virtual ~SectorSource() = default;
    // Sectors on the disc; 0 when nothing can be read.
    virtual std::uint32_t sectorCount() const = 0;
    // Whether Form 2 sectors can be read whole (not from a plain .iso, which has no subheaders).
    virtual bool hasForm2() const = 0;
    // Reads `count` sectors starting at `first` into out (count × sectorSize(kind) bytes).
    // False when any of them lies outside the disc or cannot be read.
    bool read(SectorKind kind, std::uint32_t first, std::uint32_t count, unsigned char* out);

protected:
    virtual bool readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                             unsigned char* out) = 0;
};

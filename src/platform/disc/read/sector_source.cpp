#include "platform/disc/read/sector_source.h"

bool SectorSource::read(SectorKind kind, std::uint32_t first, std::uint32_t count,
                        unsigned char* out)
{
    if (count == 0)
        return true;
    const std::uint64_t end = std::uint64_t{first} + count;
    if (end > sectorCount())
        return false;
    if (kind == SectorKind::Form2 && !hasForm2())
        return false;
    return readSectors(kind, first, count, out);
}

#pragma once

#include "platform/disc/read/sector_source.h"

#include <cstdint>
#include <vector>

// A disc image held in memory, for fuzzing and tests: plain 2048-byte sectors (an .iso) or raw
// 2352-byte sectors (a .bin). A trailing partial sector is not part of the disc.
class MemorySectorSource : public SectorSource {
public:
    enum class Layout { Iso2048, Raw2352 };

    MemorySectorSource(std::vector<unsigned char> bytes, Layout layout);

    std::uint32_t sectorCount() const override;
    bool hasForm2() const override { return m_layout == Layout::Raw2352; }

protected:
    bool readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                     unsigned char* out) override;

private:
    std::vector<unsigned char> m_bytes;
    Layout m_layout;
};

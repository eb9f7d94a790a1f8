#include "platform/disc/read/memory_sector_source.h"

#include <cstring>
#include <utility>

namespace {
constexpr std::size_t RawSectorSize = 2352;
// Sync pattern (12) and header (4); the header's last byte is the sector's mode.
constexpr std::size_t RawHeaderSize = 16;
// Mode 2 sectors put an 8-byte subheader before their data.
constexpr std::size_t SubheaderSize = 8;
} // namespace

MemorySectorSource::MemorySectorSource(std::vector<unsigned char> bytes, Layout layout)
    : m_bytes(std::move(bytes)), m_layout(layout)
{
}

std::uint32_t MemorySectorSource::sectorCount() const
{
    const std::size_t unit = m_layout == Layout::Raw2352 ? RawSectorSize : DataSectorSize;
    const std::size_t count = m_bytes.size() / unit;
    return count > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(count);
}

bool MemorySectorSource::readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                                     unsigned char* out)
{
    const std::size_t size = sectorSize(kind);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t sector = std::size_t{first} + i;
        if (m_layout == Layout::Iso2048) {
            std::memcpy(out + i * size, m_bytes.data() + sector * DataSectorSize, size);
            continue;
        }
        const unsigned char* raw = m_bytes.data() + sector * RawSectorSize;
        const bool mode1 = raw[RawHeaderSize - 1] == 1;
        if (mode1 && kind == SectorKind::Form2)
            return false;
        const std::size_t data = RawHeaderSize + (mode1 ? 0 : SubheaderSize);
        std::memcpy(out + i * size, raw + data, size);
    }
    return true;
}

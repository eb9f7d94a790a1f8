#include "platform/disc/read/disc_file_reader.h"

#include <algorithm>
#include <cstring>

namespace {
// 32 sectors: about 74 KB of a movie track per disc access.
constexpr std::uint32_t ChunkSectors = 32;
// Unreadable chunks in a row before the rest of the file is given up: a scratch across the
// track is skipped, a disc that reads nothing any more ends the file within seconds.
constexpr int MaxUnreadableChunks = 8;
} // namespace

DiscFileReader::DiscFileReader(std::unique_ptr<SectorSource> source, const IsoEntry& file)
    : m_source(std::move(source)),
      m_kind(file.form2 && m_source->hasForm2() ? SectorKind::Form2 : SectorKind::Data),
      m_extent(file.extent)
{
    // The directory counts a Form 2 file in 2048-byte units of its extent, but each of its
    // sectors holds 2324 bytes.
    const std::uint32_t recorded =
        file.size / DataSectorSize + (file.size % DataSectorSize ? 1 : 0);
    const std::uint32_t total = m_source->sectorCount();
    m_sectors = m_extent < total ? std::min(recorded, total - m_extent) : 0;
    const std::uint64_t readable = std::uint64_t{m_sectors} * sectorSize(m_kind);
    m_size = m_kind == SectorKind::Form2 ? readable : std::min<std::uint64_t>(file.size, readable);
}

bool DiscFileReader::fill(std::uint32_t sector)
{
    // Chunks start at multiples of their size, so an unreadable one is known by its number.
    const std::uint32_t first = sector - sector % ChunkSectors;
    if (m_chunkSectors > 0 && first == m_chunkFirst)
        return true;
    m_chunkSectors = 0;
    if (m_unreadableInARow >= MaxUnreadableChunks)
        return false;
    const std::uint32_t count = std::min(ChunkSectors, m_sectors - first);
    m_chunk.resize(std::size_t{count} * sectorSize(m_kind));
    const std::uint32_t index = first / ChunkSectors;
    if (m_unreadable.contains(index) ||
        !m_source->read(m_kind, m_extent + first, count, m_chunk.data())) {
        // Zeros, which the player skips like any damage in a stream, rather than a failure it
        // would take for the end of the file and ask for again and again; the drive is not
        // asked for this chunk again.
        std::fill(m_chunk.begin(), m_chunk.end(), 0);
        if (m_unreadable.insert(index).second)
            ++m_unreadableInARow;
    } else {
        m_unreadableInARow = 0;
    }
    m_chunkFirst = first;
    m_chunkSectors = count;
    return true;
}

std::int64_t DiscFileReader::read(std::uint64_t offset, unsigned char* out, std::size_t max)
{
    if (offset >= m_size || max == 0)
        return 0;
    const std::uint32_t unit = sectorSize(m_kind);
    const auto sector = static_cast<std::uint32_t>(offset / unit);
    if (!fill(sector))
        return -1;
    const std::uint64_t chunkStart = std::uint64_t{m_chunkFirst} * unit;
    const std::uint64_t chunkEnd = std::min(chunkStart + m_chunk.size(), m_size);
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(max, chunkEnd - offset));
    std::memcpy(out, m_chunk.data() + (offset - chunkStart), count);
    return static_cast<std::int64_t>(count);
}

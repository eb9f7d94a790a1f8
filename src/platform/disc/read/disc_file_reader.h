#pragma once

#include "platform/disc/read/iso9660_directory.h"
#include "platform/disc/read/sector_source.h"

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

// One file of a disc as a random-access byte stream. A Form 2 file (a Video CD track) reads
// as its sectors' 2324-byte payloads back to back; every other file as 2048-byte sectors.
// The length is bounded by the end of the disc, whatever the directory claims. A chunk of
// sectors that cannot be read (a scratch) is asked for once and reads as zeros.
class DiscFileReader {
public:
    DiscFileReader(std::unique_ptr<SectorSource> source, const IsoEntry& file);

    std::uint64_t size() const { return m_size; }
    // Copies up to `max` bytes from `offset` into out: the number copied, 0 at or after the end,
    // -1 once several chunks in a row could not be read.
    std::int64_t read(std::uint64_t offset, unsigned char* out, std::size_t max);

private:
    bool fill(std::uint32_t sector);

    std::unique_ptr<SectorSource> m_source;
    SectorKind m_kind;
    std::uint32_t m_extent;
    std::uint32_t m_sectors; // readable sectors of the file
    std::uint64_t m_size;
    // The last chunk read, so small sequential reads cost one disc access per chunk.
    std::vector<unsigned char> m_chunk;
    std::uint32_t m_chunkFirst = 0; // sector of the file
    std::uint32_t m_chunkSectors = 0;
    std::set<std::uint32_t> m_unreadable; // numbers of the chunks the disc could not read
    int m_unreadableInARow = 0;           // failed reads since the last one that worked
};

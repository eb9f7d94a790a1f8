// The file reader's bounds: a file of any recorded extent and size on an image of any length,
// read in pieces of any size from any offsets. Checks that no read passes the file's end.
//
// Input: flags (1), extent (4), size (4), piece size (2), start offset (4), then the image.

#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/memory_sector_source.h"

#include <cstring>
#include <memory>

namespace {
std::uint32_t take32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    constexpr std::size_t Header = 15;
    if (size < Header)
        return 0;
    const bool raw = data[0] & 1;
    const bool form2 = data[0] & 2;
    std::uint32_t extent = take32(data + 1);
    const std::uint32_t recorded = take32(data + 5);
    const std::size_t piece = 1 + (std::size_t{data[9]} | std::size_t{data[10]} << 8);
    const std::uint32_t start = take32(data + 11);
    // Mostly extents on or near the image, sometimes anywhere.
    const std::size_t sectors = (size - Header) / (raw ? 2352 : 2048);
    if (!(data[0] & 4))
        extent %= std::uint32_t(sectors + 4);

    DiscFileReader file(
        std::make_unique<MemorySectorSource>(std::vector<unsigned char>(data + Header, data + size),
                                             raw ? MemorySectorSource::Layout::Raw2352
                                                 : MemorySectorSource::Layout::Iso2048),
        IsoEntry{"F", extent, recorded, false, form2});
    const std::uint64_t length = file.size();
    if (length > std::uint64_t{sectors} * 2324)
        __builtin_trap();

    std::vector<unsigned char> buffer(piece + 16);
    const unsigned char guard = 0xA5;
    std::memset(buffer.data() + piece, guard, 16);
    std::uint64_t offset = length ? start % (length + 8) : start % 8;
    for (int reads = 0; reads < 4096; ++reads) {
        const std::int64_t n = file.read(offset, buffer.data(), piece);
        if (n < -1 || n > std::int64_t(piece) || (n > 0 && offset + std::uint64_t(n) > length))
            __builtin_trap();
        for (std::size_t i = piece; i < piece + 16; ++i)
            if (buffer[i] != guard)
                __builtin_trap();
        if (n <= 0)
            break;
        offset += std::uint64_t(n);
    }
    return 0;
}

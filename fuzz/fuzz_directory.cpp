// Directory records from untrusted discs: parses the input as a directory extent, then as the
// sectors after a volume descriptor and walks every folder and file found there, reading each
// file to its end in both sector layouts.

#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/iso9660_directory.h"
#include "platform/disc/read/memory_sector_source.h"

#include <cstring>
#include <memory>

namespace {

constexpr std::size_t Sector = 2048;
constexpr std::size_t RawSector = 2352;

// 16 empty sectors, a descriptor whose root lies at sector 17 with `rootSize` bytes, then
// the input; in raw Mode 2 sectors when `raw`.
std::vector<unsigned char> image(const unsigned char* data, std::size_t size, bool raw,
                                 std::uint32_t rootSize)
{
    std::vector<unsigned char> user(17 * Sector + size);
    unsigned char* pvd = user.data() + 16 * Sector;
    pvd[0] = 1;
    std::memcpy(pvd + 1, "CD001", 5);
    unsigned char* root = pvd + 156;
    root[0] = 34;
    root[2] = 17;
    std::memcpy(root + 10, &rootSize, 4); // little-endian hosts only, as the fuzzers run
    root[25] = 2;
    root[32] = 1;
    std::memcpy(user.data() + 17 * Sector, data, size);
    if (!raw)
        return user;
    const std::size_t sectors = (user.size() + Sector - 1) / Sector;
    std::vector<unsigned char> out(sectors * RawSector);
    for (std::size_t s = 0; s < sectors; ++s) {
        out[s * RawSector + 15] = 2;
        const std::size_t n = std::min(Sector, user.size() - s * Sector);
        std::memcpy(out.data() + s * RawSector + 24, user.data() + s * Sector, n);
    }
    return out;
}

void walk(const std::vector<unsigned char>& bytes, MemorySectorSource::Layout layout,
          SectorSource& disc, const IsoEntry& dir, int depth)
{
    const auto entries = Iso9660::readDirectory(disc, dir);
    if (!entries || depth > 3)
        return;
    for (const IsoEntry& entry : *entries) {
        if (entry.directory) {
            walk(bytes, layout, disc, entry, depth + 1);
            continue;
        }
        DiscFileReader file(std::make_unique<MemorySectorSource>(bytes, layout), entry);
        unsigned char buffer[4096];
        std::uint64_t offset = 0;
        for (std::int64_t n; (n = file.read(offset, buffer, sizeof buffer)) > 0;)
            offset += std::uint64_t(n);
        if (offset > file.size())
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    Iso9660::parseDirectory(data, size);
    if (size < 3)
        return 0;
    const bool raw = data[0] & 1;
    const std::uint32_t rootSize = std::uint32_t{data[1]} << 8 | data[2] << 16;
    const auto layout =
        raw ? MemorySectorSource::Layout::Raw2352 : MemorySectorSource::Layout::Iso2048;
    const std::vector<unsigned char> bytes = image(data + 3, size - 3, raw, rootSize);
    MemorySectorSource disc(bytes, layout);
    const auto pvd = Iso9660::readVolumeDescriptor(disc);
    if (!pvd)
        __builtin_trap(); // the harness built one
    Iso9660::volumeSerial(*pvd);
    if (const auto root = Iso9660::rootDirectory(*pvd))
        walk(bytes, layout, disc, *root, 0);
    Iso9660::find(disc, {"MPEGAV", "AVSEQ01.DAT"});
    return 0;
}

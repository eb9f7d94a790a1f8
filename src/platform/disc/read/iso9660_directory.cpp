#include "platform/disc/read/iso9660_directory.h"

#include <algorithm>
#include <cstring>

namespace Iso9660 {

namespace {

constexpr std::uint32_t VolumeDescriptorSector = 16;
constexpr std::size_t RootRecordOffset = 156;
constexpr std::size_t RecordHeaderSize = 33; // fixed part, before the name
constexpr unsigned char DirectoryFlag = 0x02;
constexpr std::size_t XaRecordSize = 14;
constexpr unsigned XaForm2Attribute = 0x1000;
// Video CD directories span a sector or two; a recorded size beyond this is damage.
constexpr std::uint32_t MaxDirectorySectors = 512;

std::uint32_t littleEndian32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::string plainName(const unsigned char* raw, std::size_t length)
{
    std::string name(reinterpret_cast<const char*>(raw), length);
    const std::size_t version = name.rfind(';');
    if (version != std::string::npos)
        name.resize(version);
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    return name;
}

// One record at `record` of `length` bytes, already known to hold its name; nothing for the
// "." and ".." entries (names \0 and \1).
std::optional<IsoEntry> parseRecord(const unsigned char* record, std::size_t length)
{
    const std::size_t nameLength = record[32];
    const unsigned char* rawName = record + RecordHeaderSize;
    if (nameLength == 1 && (rawName[0] == 0 || rawName[0] == 1))
        return std::nullopt;
    IsoEntry entry;
    entry.extent = littleEndian32(record + 2);
    entry.size = littleEndian32(record + 10);
    entry.directory = (record[25] & DirectoryFlag) != 0;
    entry.name = plainName(rawName, nameLength);
    if (entry.name.empty())
        return std::nullopt;
    // The system use area, where CD-ROM XA keeps its attributes, starts at an even offset.
    const std::size_t xa = RecordHeaderSize + nameLength + (nameLength % 2 == 0 ? 1 : 0);
    if (xa + XaRecordSize <= length && record[xa + 6] == 'X' && record[xa + 7] == 'A') {
        const unsigned attributes = unsigned{record[xa + 4]} << 8 | record[xa + 5];
        entry.form2 = (attributes & XaForm2Attribute) != 0;
    }
    return entry;
}

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::optional<VolumeDescriptor> readVolumeDescriptor(SectorSource& source)
{
    VolumeDescriptor pvd;
    if (!source.read(SectorKind::Data, VolumeDescriptorSector, 1, pvd.data()))
        return std::nullopt;
    if (pvd[0] != 1 || std::memcmp(pvd.data() + 1, "CD001", 5) != 0)
        return std::nullopt;
    return pvd;
}

std::int32_t volumeSerial(const VolumeDescriptor& pvd)
{
    std::uint8_t sums[4] = {};
    for (std::size_t i = 0; i < pvd.size(); ++i)
        sums[i % 4] = static_cast<std::uint8_t>(sums[i % 4] + pvd[i]);
    const std::uint32_t serial = std::uint32_t{sums[0]} << 24 | std::uint32_t{sums[1]} << 16 |
                                 std::uint32_t{sums[2]} << 8 | sums[3];
    return static_cast<std::int32_t>(serial);
}

std::optional<IsoEntry> rootDirectory(const VolumeDescriptor& pvd)
{
    const unsigned char* record = pvd.data() + RootRecordOffset;
    if (record[0] < RecordHeaderSize + 1)
        return std::nullopt;
    IsoEntry root;
    root.extent = littleEndian32(record + 2);
    root.size = littleEndian32(record + 10);
    root.directory = true;
    return root;
}

std::vector<IsoEntry> parseDirectory(const unsigned char* data, std::size_t size)
{
    std::vector<IsoEntry> entries;
    std::size_t pos = 0;
    // Records never cross a sector boundary; a zero length byte pads to the next sector.
    const auto nextSector = [&pos] { pos = (pos / DataSectorSize + 1) * DataSectorSize; };
    while (pos < size) {
        const std::size_t length = data[pos];
        const std::size_t room = std::min(size, (pos / DataSectorSize + 1) * DataSectorSize) - pos;
        if (length < RecordHeaderSize + 1 || length > room) {
            nextSector();
            continue;
        }
        const unsigned char* record = data + pos;
        if (RecordHeaderSize + record[32] > length) {
            nextSector();
            continue;
        }
        if (std::optional<IsoEntry> entry = parseRecord(record, length))
            entries.push_back(std::move(*entry));
        pos += length;
    }
    return entries;
}

std::optional<std::vector<IsoEntry>> readDirectory(SectorSource& source, const IsoEntry& dir)
{
    if (!dir.directory)
        return std::nullopt;
    const std::uint32_t total = source.sectorCount();
    if (dir.extent >= total)
        return std::nullopt;
    std::uint32_t sectors = dir.size / DataSectorSize + (dir.size % DataSectorSize ? 1 : 0);
    sectors = std::min({sectors, MaxDirectorySectors, total - dir.extent});
    std::vector<unsigned char> data(std::size_t{sectors} * DataSectorSize);
    if (!source.read(SectorKind::Data, dir.extent, sectors, data.data()))
        return std::nullopt;
    return parseDirectory(data.data(), std::min<std::size_t>(dir.size, data.size()));
}

std::optional<IsoEntry> find(SectorSource& source, const std::vector<std::string>& path)
{
    const std::optional<VolumeDescriptor> pvd = readVolumeDescriptor(source);
    return pvd ? find(source, *pvd, path) : std::nullopt;
}

std::optional<IsoEntry> find(SectorSource& source, const VolumeDescriptor& pvd,
                             const std::vector<std::string>& path)
{
    std::optional<IsoEntry> current = rootDirectory(pvd);
    for (const std::string& component : path) {
        if (!current)
            return std::nullopt;
        const std::optional<std::vector<IsoEntry>> entries = readDirectory(source, *current);
        if (!entries)
            return std::nullopt;
        const auto match = std::find_if(entries->begin(), entries->end(), [&](const IsoEntry& e) {
            return sameName(e.name, component);
        });
        if (match == entries->end())
            return std::nullopt;
        current = *match;
    }
    return current;
}

} // namespace Iso9660

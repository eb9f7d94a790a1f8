// Whole disc images with damage anywhere, read as the player reads an opened image: the image
// file goes into an image drive of the disc library, whose discs open through DiscReader (our
// own reader of bare .bin files, libiso9660 for a .iso). Walks the directory tree, then reads
// every file of MPEGAV and MPEG2 to its end in pieces of many sizes. Checks the bounds: no
// file is larger than the disc from its first sector on, no read passes a file's end, a file
// reads to its end or fails, and what it reads are its sectors' data.
//
// Input: an image file (2352- or 2336-byte sectors, or 2048-byte sectors of an .iso). The
// corpus starts from the images scripts/make-test-discs.sh makes; the mutator below damages
// mostly their first sectors, where the volume descriptor and the directories lie.

#include "fuzz_support.h"
#include "platform/disc/disc_library.h"
#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/disc_reader.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <random>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(unsigned char* data, std::size_t size, std::size_t maxSize);

namespace {

using Fuzz::require;

// Up to here lie the system area, the volume descriptors, the path tables and the directories
// of every generated disc.
constexpr std::size_t MetadataBytes = 64 * 2352;
constexpr std::size_t MaxFilesPerFolder = 16;
constexpr std::size_t MaxDirectoryEntries = 64;
constexpr int MaxDepth = 4;

QString imagePath(const char* suffix)
{
    return Fuzz::scratchFolder() + "/disc." + suffix;
}

std::uint64_t hashOf(const unsigned char* data, std::size_t size)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (std::size_t i = 0; i < size; i += 97)
        h = (h ^ data[i]) * 1099511628211ULL;
    return h ^ size;
}

// The sectors of a file as the disc holds them: the bytes a stream of it must read.
std::optional<std::vector<unsigned char>> sectorData(const QString& source, const IsoEntry& file,
                                                     std::uint64_t size)
{
    const std::unique_ptr<SectorSource> disc = DiscReader::open(source);
    if (!disc)
        return std::nullopt;
    const SectorKind kind = file.form2 && disc->hasForm2() ? SectorKind::Form2 : SectorKind::Data;
    const std::uint32_t unit = sectorSize(kind);
    const auto sectors = static_cast<std::uint32_t>((size + unit - 1) / unit);
    std::vector<unsigned char> bytes(std::size_t{sectors} * unit);
    if (!disc->read(kind, file.extent, sectors, bytes.data()))
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

void readToEnd(const DiscLibrary& library, const QString& source, const QString& discPath,
               const QStringList& components, std::mt19937_64& pieces)
{
    const std::unique_ptr<SectorSource> disc = DiscReader::open(source);
    const std::optional<IsoEntry> file =
        disc ? DiscReader::findFile(*disc, components) : std::nullopt;
    const std::unique_ptr<DiscStream> stream = library.openFile(discPath);
    require((stream != nullptr) == file.has_value(), "a file the disc lists opens");
    if (!stream)
        return;
    const std::uint64_t unit = file->form2 && disc->hasForm2() ? Form2SectorSize : DataSectorSize;
    const std::uint64_t room =
        file->extent < disc->sectorCount() ? (disc->sectorCount() - file->extent) * unit : 0;
    require(stream->size() >= 0 && std::uint64_t(stream->size()) <= room,
            "a file is never larger than the disc from its first sector on");

    std::vector<unsigned char> content;
    constexpr std::size_t Guard = 16;
    constexpr unsigned char Untouched = 0x5a;
    std::vector<unsigned char> buffer;
    qint64 offset = 0;
    qint64 n = 0;
    do {
        const std::size_t piece = std::array{std::size_t{1},
                                             std::size_t{2047},
                                             std::size_t{2324},
                                             std::size_t{32768},
                                             std::size_t{262144},
                                             std::size_t{1} + pieces() % 100000}[pieces() % 6];
        buffer.assign(piece + Guard, Untouched);
        n = stream->read(offset, reinterpret_cast<char*>(buffer.data()), qint64(piece));
        require(n >= -1 && n <= qint64(piece), "a read copies at most what was asked");
        require(n <= 0 || offset + n <= stream->size(), "no read passes the end of the file");
        require(std::all_of(buffer.end() - Guard, buffer.end(),
                            [](unsigned char c) { return c == Untouched; }),
                "a read writes nothing past what was asked");
        if (n > 0) {
            content.insert(content.end(), buffer.begin(), buffer.begin() + n);
            offset += n;
        }
    } while (n > 0);
    require(n == -1 || offset == stream->size(), "a file reads to its end or fails");
    if (n == 0) {
        require(stream->read(offset + 1 + qint64(pieces() % 5000),
                             reinterpret_cast<char*>(buffer.data()), 1) == 0,
                "nothing reads past the end");
        const auto expected = sectorData(source, *file, std::uint64_t(stream->size()));
        require(!expected || content == *expected, "a file reads as its sectors' data");
    }
}

// Every folder and file of the tree, to a depth and a count: a file's size is bounded by the
// disc from its first sector on, whatever its directory record says.
void walk(const QString& source, SectorSource& disc, const IsoEntry& folder, int depth,
          std::size_t& entries)
{
    const std::optional<std::vector<IsoEntry>> found = Iso9660::readDirectory(disc, folder);
    if (!found || depth > MaxDepth)
        return;
    for (const IsoEntry& entry : *found) {
        if (++entries > MaxDirectoryEntries)
            return;
        if (entry.directory) {
            walk(source, disc, entry, depth + 1, entries);
            continue;
        }
        std::unique_ptr<SectorSource> own = DiscReader::open(source);
        if (!own)
            continue;
        const std::uint32_t total = own->sectorCount();
        const DiscFileReader file(std::move(own), entry);
        const std::uint64_t room =
            entry.extent < total ? std::uint64_t{total - entry.extent} * Form2SectorSize : 0;
        require(file.size() <= room,
                "a file is never larger than the disc from its first sector on");
        require(entry.form2 || file.size() <= entry.size,
                "a data file is at most its recorded size");
    }
}

void readDisc(const QString& source, std::uint64_t seed)
{
    DiscLibrary library;
    library.setDrives({CdDrive{QStringLiteral("img0"), source, true}});
    library.serial(QStringLiteral("IMG0")); // as detection asks first
    if (const std::unique_ptr<SectorSource> disc = DiscReader::open(source)) {
        const auto pvd = Iso9660::readVolumeDescriptor(*disc);
        std::size_t entries = 0;
        if (const auto root = pvd ? Iso9660::rootDirectory(*pvd) : std::nullopt)
            walk(source, *disc, *root, 0, entries);
    }
    std::mt19937_64 pieces(seed);
    for (const QString& folder : {QStringLiteral("MPEGAV"), QStringLiteral("MPEG2")}) {
        const std::optional<QStringList> names = library.listFiles("IMG0:\\" + folder);
        if (!names)
            continue;
        for (const QString& name : names->mid(0, MaxFilesPerFolder))
            readToEnd(library, source, "IMG0:\\" + folder + '\\' + name, {folder, name}, pieces);
    }
}

// libFuzzer's own mutations on `size` bytes at `at`, the length kept.
void mutateInPlace(unsigned char* at, std::size_t size)
{
    std::vector<unsigned char> window(at, at + size);
    const std::size_t kept = LLVMFuzzerMutate(window.data(), window.size(), window.size());
    std::copy_n(window.begin(), std::min(kept, size), at);
}

} // namespace

// Damage as discs and image files suffer it: a file cut short anywhere, bytes changed
// anywhere, and, most of the time, changes to the first sectors: extents and sizes set past
// the end of the disc or to zero, names, flags and XA attributes altered.
extern "C" std::size_t LLVMFuzzerCustomMutator(unsigned char* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    if (size < 4)
        return LLVMFuzzerMutate(data, size, maxSize);
    const std::size_t metadata = std::min(size, MetadataBytes);
    switch (random() % 8) {
    case 0:
        return 1 + random() % size;
    case 1: {
        const std::size_t window = std::min<std::size_t>(size, 512);
        mutateInPlace(data + random() % (size - window + 1), window);
        return size;
    }
    case 2:
    case 3: {
        // ISO 9660 keeps each number twice, little-endian first; the reader takes that one.
        const auto raw = std::uint32_t(size / 2352);
        const auto plain = std::uint32_t(size / 2048);
        const std::array<std::uint32_t, 9> values{
            0, 1, raw - 1, raw, raw + 1, plain, plain * 2048, 0x7fffffff, 0xffffffff};
        const std::uint32_t value = values[random() % values.size()];
        const std::size_t at = (random() % (metadata - 3)) & ~std::size_t{1};
        for (std::size_t i = 0; i < 4; ++i)
            data[at + i] = static_cast<unsigned char>(value >> (8 * i));
        return size;
    }
    default: {
        const std::size_t window = std::min<std::size_t>(metadata, 2048);
        mutateInPlace(data + random() % (metadata - window + 1), window);
        return size;
    }
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // One file under both names, so each input is written once.
    Fuzz::writeFile(imagePath("bin"), "", 0);
    QFile::link(imagePath("bin"), imagePath("iso"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (!Fuzz::writeFile(imagePath("bin"), reinterpret_cast<const char*>(data), size))
        return 0;
    const std::uint64_t seed = hashOf(data, size);
    readDisc(imagePath("bin"), seed);
    readDisc(imagePath("iso"), seed);
    return 0;
}

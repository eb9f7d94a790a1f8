// The cue sheets and cdrdao .toc files the disc-image reader reads itself, and the bare sector
// files they name. Checks that a sheet's files are names written in it, that line ends and
// indentation do not change what is read, and, with the named files made in the scratch
// folder, that the image of them back to back has every sector where it should be.
//
// Input: one byte of choices (cue sheet or .toc, the sector layout and sizes of the files
// made), then the sheet's bytes.

#include "fuzz_support.h"
#include "platform/disc/read/raw_image_source.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using Fuzz::require;

constexpr qsizetype MaxSheetBytes = 64 * 1024;
constexpr std::uint32_t PvdSector = 16;

std::optional<QStringList> readSheet(const QString& path, const QByteArray& text, bool toc)
{
    if (!Fuzz::writeFile(path, text.constData(), std::size_t(text.size())))
        return std::nullopt;
    return toc ? RawImage::tocFiles(path) : RawImage::cueSheetFiles(path);
}

QByteArray indented(const QByteArray& text)
{
    QByteArray out = " \t" + text;
    return out.replace("\n", "\n \t");
}

// How the files of an image lay their sectors out, and where a sector's user data starts.
struct Layout {
    std::uint32_t sectorBytes;
    std::uint32_t dataOffset;
};
constexpr std::array Layouts{Layout{2352, 24}, Layout{2336, 8}, Layout{2048, 0}};

// Sector n of the image holds n in its first four data bytes; sector 16 a volume descriptor.
void writeSector(std::vector<char>& file, const Layout& layout, std::uint32_t n)
{
    const std::size_t start = file.size();
    file.resize(start + layout.sectorBytes, 0);
    char* sector = file.data() + start;
    if (layout.sectorBytes == 2352)
        sector[15] = 2; // Mode 2
    char* data = sector + layout.dataOffset;
    if (n == PvdSector)
        std::memcpy(data, "\1CD001", 6);
    else
        std::memcpy(data, &n, sizeof n);
}

// Makes the files a sheet names in the scratch folder, the first holding the volume
// descriptor: how many sectors they hold together, or nothing when one of them cannot be made
// there (outside the folder, the sheet itself, a folder, one named twice).
std::optional<std::uint32_t> makeFiles(const QStringList& files, const QString& sheet,
                                       const Layout& layout, unsigned sizes)
{
    const QString folder = Fuzz::scratchFolder() + '/';
    QStringList made;
    std::uint32_t sectors = 0;
    for (const QString& file : files) {
        const QString clean = QDir::cleanPath(file);
        if (!clean.startsWith(folder) || clean == sheet || made.contains(clean) ||
            QFileInfo::exists(clean))
            return std::nullopt;
        const std::uint32_t count = sectors == 0 ? PvdSector + 1 + sizes % 4 : 1 + sizes % 3;
        std::vector<char> bytes;
        for (std::uint32_t i = 0; i < count; ++i)
            writeSector(bytes, layout, sectors + i);
        // Made by the name as written: "a.img/" names no file.
        if (!Fuzz::writeFile(file, bytes.data(), bytes.size()))
            return std::nullopt;
        made << clean;
        sectors += count;
        sizes /= 4;
    }
    return sectors;
}

void removeFiles(const QStringList& files, const QString& sheet)
{
    for (const QString& file : files) {
        const QString clean = QDir::cleanPath(file);
        if (clean.startsWith(Fuzz::scratchFolder() + '/') && clean != sheet)
            QFile::remove(clean);
    }
}

void checkImage(SectorSource& disc, const Layout& layout, std::uint32_t sectors)
{
    require(disc.sectorCount() == sectors, "the image has the sectors of its files");
    require(disc.hasForm2() == (layout.sectorBytes != 2048), "Form 2 where sectors have room");
    std::vector<unsigned char> sector(Form2SectorSize);
    for (std::uint32_t n = 0; n < sectors; ++n) {
        for (const SectorKind kind : {SectorKind::Data, SectorKind::Form2}) {
            if (kind == SectorKind::Form2 && !disc.hasForm2())
                continue;
            require(disc.read(kind, n, 1, sector.data()), "every sector of the image reads");
            std::uint32_t mark;
            std::memcpy(&mark, sector.data(), sizeof mark);
            require(n == PvdSector || mark == n, "a sector comes from where it lies");
        }
    }
    require(!disc.read(SectorKind::Data, sectors, 1, sector.data()), "nothing past the end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool toc = data[0] & 1;
    const Layout& layout = Layouts[(data[0] >> 1) % Layouts.size()];
    const unsigned sizes = data[0] >> 3;
    const QByteArray text(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QString sheet = Fuzz::scratchFolder() + (toc ? "/sheet.toc" : "/sheet.cue");

    const std::optional<QStringList> files = readSheet(sheet, text, toc);
    if (text.size() > MaxSheetBytes || text.contains('\0'))
        require(!files, "a sheet is a page of text");
    const QByteArray crlf = QByteArray(text).replace("\n", "\r\n");
    if (crlf.size() <= MaxSheetBytes)
        require(readSheet(sheet, crlf, toc) == files, "line ends do not matter");
    const QByteArray indent = indented(text);
    if (indent.size() <= MaxSheetBytes)
        require(readSheet(sheet, indent, toc) == files, "indentation does not matter");
    if (!files)
        return 0;
    require(!files->isEmpty(), "a sheet that is read names files");
    const QString written = QString::fromUtf8(text);
    const QString folder = Fuzz::scratchFolder() + '/';
    for (const QString& file : *files) {
        require(QFileInfo(file).isAbsolute(), "files are found from the sheet's folder");
        const QString name = file.startsWith(folder) ? file.mid(folder.size()) : file;
        require(!name.isEmpty() && (written.contains(name) || written.contains(file)),
                "every file is named in the sheet");
    }

    if (const std::optional<std::uint32_t> sectors = makeFiles(*files, sheet, layout, sizes)) {
        const std::unique_ptr<SectorSource> disc = RawImage::open(*files);
        require(disc != nullptr, "an image of whole sectors with a volume descriptor opens");
        checkImage(*disc, layout, *sectors);
    } else {
        RawImage::open(*files); // whatever they are, they open or not, quietly
    }
    removeFiles(*files, sheet);
    return 0;
}

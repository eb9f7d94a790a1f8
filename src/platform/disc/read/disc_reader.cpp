#include "platform/disc/read/disc_reader.h"

#include "platform/disc/read/disc_image.h"
#include "platform/disc/read/raw_image_source.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QtEndian>
#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace {

Q_LOGGING_CATEGORY(discLog, "tamrel.disc", QtWarningMsg)

struct CdioDeleter {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioDeleter>;

struct IsoDeleter {
    void operator()(iso9660_t* iso) const { iso9660_close(iso); }
};
using IsoPtr = std::unique_ptr<iso9660_t, IsoDeleter>;

// Mode 2 sectors as libcdio returns them: 8-byte subheader, 2324 data bytes, 4-byte EDC.
constexpr std::size_t Mode2RawSize = M2RAW_SECTOR_SIZE;
constexpr std::size_t SubheaderSize = 8;

// libcdio's own assertions are all it still reports (see initLibcdio); its default handler
// would abort the program on them, where a failed read is enough.
void logToCategory(cdio_log_level_t level, const char message[])
{
    if (level >= CDIO_LOG_ASSERT)
        qCWarning(discLog, "libcdio: %s", message);
}

// cdio_init fills libcdio's driver table, which cdio_open would otherwise do lazily from
// whichever thread comes first.
//
// libcdio's log function guards against recursion with a plain static flag and asserts when
// it finds it set, so two threads that log at once (mpv reading a damaged disc while the
// GUI thread opens another image) abort the program. A missing disc or a damaged image is an
// ordinary outcome that the caller reports anyway, so everything below libcdio's assertion
// level is dropped before that check.
void initLibcdio()
{
    static std::once_flag once;
    std::call_once(once, [] {
        cdio_loglevel_default = CDIO_LOG_ASSERT;
        cdio_log_set_handler(logToCategory);
        cdio_init();
    });
}

class CdioSectorSource : public SectorSource {
public:
    explicit CdioSectorSource(CdioPtr cdio) : m_cdio(std::move(cdio))
    {
        const lsn_t end = cdio_get_disc_last_lsn(m_cdio.get());
        m_sectors = end > 0 ? static_cast<std::uint32_t>(end) : 0;
    }
    std::uint32_t sectorCount() const override { return m_sectors; }
    bool hasForm2() const override { return true; }

protected:
    bool readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                     unsigned char* out) override
    {
        const auto lsn = static_cast<lsn_t>(first);
        if (kind == SectorKind::Data)
            return cdio_read_data_sectors(m_cdio.get(), out, lsn, DataSectorSize, count) ==
                   DRIVER_OP_SUCCESS;
        m_raw.resize(count * Mode2RawSize);
        if (cdio_read_mode2_sectors(m_cdio.get(), m_raw.data(), lsn, true, count) !=
            DRIVER_OP_SUCCESS)
            return false;
        for (std::uint32_t i = 0; i < count; ++i)
            std::memcpy(out + std::size_t{i} * Form2SectorSize,
                        m_raw.data() + i * Mode2RawSize + SubheaderSize, Form2SectorSize);
        return true;
    }

private:
    CdioPtr m_cdio;
    std::uint32_t m_sectors = 0;
    std::vector<unsigned char> m_raw;
};

// A plain .iso has 2048-byte sectors and no subheaders, so no Form 2 reads.
class IsoSectorSource : public SectorSource {
public:
    IsoSectorSource(IsoPtr iso, std::uint64_t bytes)
        : m_iso(std::move(iso)), m_sectors(static_cast<std::uint32_t>(
                                     std::min<std::uint64_t>(bytes / DataSectorSize, UINT32_MAX)))
    {
    }
    std::uint32_t sectorCount() const override { return m_sectors; }
    bool hasForm2() const override { return false; }

protected:
    bool readSectors(SectorKind, std::uint32_t first, std::uint32_t count,
                     unsigned char* out) override
    {
        const long expected = static_cast<long>(count) * long{DataSectorSize};
        return iso9660_iso_seek_read(m_iso.get(), out, static_cast<lsn_t>(first), count) ==
               expected;
    }

private:
    IsoPtr m_iso;
    std::uint32_t m_sectors;
};

std::vector<std::string> toStd(const QStringList& components)
{
    std::vector<std::string> out;
    out.reserve(components.size());
    for (const QString& c : components)
        out.push_back(c.toLatin1().toStdString());
    return out;
}

bool isRegularFile(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

std::unique_ptr<SectorSource> openIso(const QString& source)
{
    const QByteArray path = QFile::encodeName(source);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    IsoPtr iso(iso9660_open(path.constData()));
    if (!iso)
        return nullptr;
    return std::make_unique<IsoSectorSource>(std::move(iso),
                                             static_cast<std::uint64_t>(info.st_size));
}

// libcdio reads cue sheets and cdrdao TOC files with strtok(), whose place in the line is one
// static of the C library for the whole process. Two threads reading sheets at once (mpv's
// thread opening a stream while the window's thread looks at the drive) go on in each other's
// lines: the sheets are misread, and sscanf() in the cue reader then finds another character
// than the one it took, which makes glibc give the string a pushback buffer nobody frees. So
// one sheet is read at a time; devices, Nero images and plain .iso files need no such turn.
std::mutex sheetReading;

std::unique_ptr<SectorSource> openCdio(const QString& source, driver_id_t driver)
{
    std::unique_lock turn(sheetReading, std::defer_lock);
    if (driver == DRIVER_BINCUE || driver == DRIVER_CDRDAO)
        turn.lock();
    CdioPtr cdio(cdio_open(QFile::encodeName(source).constData(), driver));
    if (!cdio)
        return nullptr;
    return std::make_unique<CdioSectorSource>(std::move(cdio));
}

// Far more than the few hundred bytes of any real table; libcdio reads all of it at once.
constexpr qint64 MaxTableSize = 16 * 1024 * 1024;
constexpr qint64 ChunkHeaderSize = 8;

struct Footer {
    quint64 tableOffset;
    qint64 size;
};

std::optional<Footer> readFooter(QIODevice& image, qint64 fileSize)
{
    constexpr qint64 Longest = 12;
    if (fileSize < Longest || !image.seek(fileSize - Longest))
        return std::nullopt;
    const QByteArray tail = image.read(Longest);
    if (tail.size() != Longest)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(tail.constData());
    if (tail.startsWith("NER5"))
        return Footer{qFromBigEndian<quint64>(bytes + 4), 12};
    if (tail.mid(4, 4) == "NERO")
        return Footer{qFromBigEndian<quint32>(bytes + 8), 8};
    return std::nullopt;
}

bool endsWithEndChunk(const QByteArray& table)
{
    qint64 at = 0;
    while (at + ChunkHeaderSize <= table.size()) {
        if (table.mid(at, 4) == "END!")
            return true;
        const quint32 length =
            qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(table.constData()) + at + 4);
        if (length > quint64(table.size() - at - ChunkHeaderSize))
            return false;
        at += ChunkHeaderSize + length;
    }
    return false;
}

} // namespace

namespace DiscReader {

std::unique_ptr<SectorSource> open(const QString& source)
{
    if (source.isEmpty())
        return nullptr;
    initLibcdio();
    const QString suffix = QFileInfo(source).suffix().toLower();
    // An image that is a folder, a pipe or a device is no image; a pipe would block the open.
    if (DiscImage::isImagePath(source) && !isRegularFile(source))
        return nullptr;
    if (suffix == QLatin1String("iso"))
        return openIso(source);
    if (suffix == QLatin1String("toc")) {
        const std::optional<QStringList> files = RawImage::tocFiles(source);
        return files ? RawImage::open(*files) : openCdio(source, DRIVER_CDRDAO);
    }
    if (suffix == QLatin1String("cue")) {
        const std::optional<QStringList> files = RawImage::cueSheetFiles(source);
        return files ? RawImage::open(*files) : openCdio(source, DRIVER_BINCUE);
    }
    if (suffix == QLatin1String("bin")) {
        // libcdio opens a bin only through the cue sheet of the same name.
        const QString disc = DiscImage::discSource(source);
        return disc.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive) ? RawImage::open({disc})
                                                                         : open(disc);
    }
    if (suffix == QLatin1String("nrg"))
        return neroChunksInside(source) ? openCdio(source, DRIVER_NRG) : nullptr;
    return openCdio(source, DRIVER_DEVICE);
}

std::optional<QStringList> listFiles(SectorSource& disc, const QStringList& folder)
{
    const std::optional<Iso9660::VolumeDescriptor> pvd = Iso9660::readVolumeDescriptor(disc);
    return pvd ? listFiles(disc, *pvd, folder) : std::nullopt;
}

std::optional<QStringList> listFiles(SectorSource& disc, const Iso9660::VolumeDescriptor& pvd,
                                     const QStringList& folder)
{
    const std::optional<IsoEntry> dir = Iso9660::find(disc, pvd, toStd(folder));
    if (!dir || !dir->directory)
        return std::nullopt;
    const std::optional<std::vector<IsoEntry>> entries = Iso9660::readDirectory(disc, *dir);
    if (!entries)
        return std::nullopt;
    QStringList names;
    for (const IsoEntry& entry : *entries)
        if (!entry.directory)
            names << QString::fromLatin1(entry.name.data(), qsizetype(entry.name.size()));
    return names;
}

std::optional<IsoEntry> findFile(SectorSource& disc, const QStringList& path)
{
    const std::optional<Iso9660::VolumeDescriptor> pvd = Iso9660::readVolumeDescriptor(disc);
    return pvd ? findFile(disc, *pvd, path) : std::nullopt;
}

std::optional<IsoEntry> findFile(SectorSource& disc, const Iso9660::VolumeDescriptor& pvd,
                                 const QStringList& path)
{
    if (path.isEmpty())
        return std::nullopt;
    std::optional<IsoEntry> entry = Iso9660::find(disc, pvd, toStd(path));
    if (!entry || entry->directory)
        return std::nullopt;
    return entry;
}

qint32 serial(SectorSource& disc)
{
    const std::optional<Iso9660::VolumeDescriptor> pvd = Iso9660::readVolumeDescriptor(disc);
    return pvd ? Iso9660::volumeSerial(*pvd) : 0;
}

QStringList deviceNodes()
{
    initLibcdio();
    QStringList nodes;
    char** list = cdio_get_devices(DRIVER_DEVICE);
    if (!list)
        return nodes;
    for (char** device = list; *device; ++device)
        nodes << QFile::decodeName(*device);
    cdio_free_device_list(list);
    return nodes;
}

bool ejectTray(const QString& device)
{
    initLibcdio();
    return cdio_eject_media_drive(QFile::encodeName(device).constData()) == DRIVER_OP_SUCCESS;
}

bool closeTray(const QString& device)
{
    initLibcdio();
    driver_id_t driver = DRIVER_DEVICE;
    return cdio_close_tray(QFile::encodeName(device).constData(), &driver) == DRIVER_OP_SUCCESS;
}

bool neroChunksInside(QIODevice& image)
{
    const qint64 fileSize = image.size();
    const std::optional<Footer> footer = readFooter(image, fileSize);
    if (!footer)
        return false;
    const qint64 tableEnd = fileSize - footer->size;
    if (footer->tableOffset >= quint64(tableEnd))
        return false;
    const qint64 tableSize = tableEnd - qint64(footer->tableOffset);
    if (tableSize > MaxTableSize || !image.seek(qint64(footer->tableOffset)))
        return false;
    const QByteArray table = image.read(tableSize);
    return table.size() == tableSize && endsWithEndChunk(table);
}

bool neroChunksInside(const QString& path)
{
    QFile image(path);
    return image.open(QIODevice::ReadOnly) && neroChunksInside(image);
}

} // namespace DiscReader

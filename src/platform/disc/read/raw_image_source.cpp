#include "platform/disc/read/raw_image_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::uint32_t RawSectorSize = 2352;
constexpr std::uint32_t SubheaderSectorSize = 2336; // a raw sector without sync and header
constexpr std::size_t RawHeaderSize = 16;           // sync pattern and header; byte 15 is the mode
constexpr std::size_t SubheaderSize = 8;
constexpr std::uint32_t VolumeDescriptorSector = 16;
// A cue sheet or .toc is a page of text; anything longer is not one.
constexpr qint64 MaxSheetBytes = 64 * 1024;

// A file descriptor closed with its owner.
class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(FileHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The data files back to back as one run of bytes.
class ConcatenatedFiles {
public:
    bool append(const QString& path)
    {
        // O_NONBLOCK: a pipe named like a data file must not block the open.
        FileHandle file(
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode))
            return false;
        m_parts.push_back({std::move(file), m_size, static_cast<std::uint64_t>(info.st_size)});
        m_size += static_cast<std::uint64_t>(info.st_size);
        return true;
    }
    std::uint64_t size() const { return m_size; }

    // Exactly `length` bytes from `offset`, or false.
    bool read(std::uint64_t offset, unsigned char* out, std::size_t length) const
    {
        if (offset + length > m_size)
            return false;
        for (const Part& part : m_parts) {
            if (length == 0)
                break;
            if (offset >= part.start + part.size)
                continue;
            const std::uint64_t within = offset - part.start;
            const std::size_t chunk =
                static_cast<std::size_t>(std::min<std::uint64_t>(length, part.size - within));
            if (!readFully(part.file.fd(), within, out, chunk))
                return false;
            out += chunk;
            offset += chunk;
            length -= chunk;
        }
        return length == 0;
    }

private:
    struct Part {
        FileHandle file;
        std::uint64_t start;
        std::uint64_t size;
    };

    static bool readFully(int fd, std::uint64_t offset, unsigned char* out, std::size_t length)
    {
        while (length > 0) {
            const ssize_t n = ::pread(fd, out, length, static_cast<off_t>(offset));
            if (n <= 0)
                return false; // an error, or the file shrank since it was opened
            out += n;
            offset += static_cast<std::uint64_t>(n);
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

    std::vector<Part> m_parts;
    std::uint64_t m_size = 0;
};

// Where a sector's user data starts: raw sectors carry their mode in the header, and Mode 2
// puts a subheader before the data.
std::size_t dataOffset(std::uint32_t sectorBytes, const unsigned char* sector)
{
    if (sectorBytes == RawSectorSize)
        return RawHeaderSize + (sector[RawHeaderSize - 1] == 1 ? 0 : SubheaderSize);
    return sectorBytes == SubheaderSectorSize ? SubheaderSize : 0;
}

class RawImageSectorSource : public SectorSource {
public:
    RawImageSectorSource(ConcatenatedFiles files, std::uint32_t sectorBytes)
        : m_files(std::move(files)), m_sectorBytes(sectorBytes),
          m_sectors(static_cast<std::uint32_t>(
              std::min<std::uint64_t>(m_files.size() / sectorBytes, UINT32_MAX)))
    {
    }
    std::uint32_t sectorCount() const override { return m_sectors; }
    bool hasForm2() const override { return m_sectorBytes != DataSectorSize; }

protected:
    bool readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                     unsigned char* out) override
    {
        m_raw.resize(std::size_t{count} * m_sectorBytes);
        if (!m_files.read(std::uint64_t{first} * m_sectorBytes, m_raw.data(), m_raw.size()))
            return false;
        const std::size_t size = sectorSize(kind);
        for (std::uint32_t i = 0; i < count; ++i) {
            const unsigned char* sector = m_raw.data() + std::size_t{i} * m_sectorBytes;
            const std::size_t data = dataOffset(m_sectorBytes, sector);
            if (data + size > m_sectorBytes)
                return false; // a Form 2 read of a Mode 1 sector
            std::memcpy(out + std::size_t{i} * size, sector + data, size);
        }
        return true;
    }

private:
    ConcatenatedFiles m_files;
    std::uint32_t m_sectorBytes;
    std::uint32_t m_sectors;
    std::vector<unsigned char> m_raw;
};

bool holdsVolumeDescriptor(const ConcatenatedFiles& files, std::uint32_t sectorBytes)
{
    std::vector<unsigned char> sector(sectorBytes);
    if (!files.read(std::uint64_t{VolumeDescriptorSector} * sectorBytes, sector.data(),
                    sector.size()))
        return false;
    const std::size_t data = dataOffset(sectorBytes, sector.data());
    return data + 6 <= sectorBytes && std::memcmp(sector.data() + data, "\1CD001", 6) == 0;
}

std::optional<QStringList> sheetLines(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.read(MaxSheetBytes + 1);
    if (text.size() > MaxSheetBytes || text.contains('\0'))
        return std::nullopt;
    return QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("[\r\n]+")),
                                         Qt::SkipEmptyParts);
}

// A quoted name, or the first word when it is not quoted.
QString fileNameArgument(const QString& rest)
{
    static const QRegularExpression name(QStringLiteral("^\\s*(?:\"([^\"]*)\"|(\\S+))"));
    const QRegularExpressionMatch match = name.match(rest);
    return match.hasMatch() ? match.captured(1) + match.captured(2) : QString();
}

QString besideSheet(const QString& sheet, const QString& name)
{
    return QFileInfo(name).isAbsolute() ? name : QFileInfo(sheet).dir().filePath(name);
}

// Bytes a sector of a cdrdao track mode takes in its data file.
std::optional<std::uint32_t> tocSectorBytes(const QString& mode)
{
    static const QHash<QString, std::uint32_t> sizes{
        {"AUDIO", RawSectorSize},        {"MODE1", DataSectorSize},
        {"MODE1_RAW", RawSectorSize},    {"MODE2", SubheaderSectorSize},
        {"MODE2_FORM1", DataSectorSize}, {"MODE2_FORM_MIX", SubheaderSectorSize},
        {"MODE2_RAW", RawSectorSize},
    };
    const auto found = sizes.find(mode.toUpper());
    return found != sizes.end() ? std::optional(*found) : std::nullopt;
}

} // namespace

namespace RawImage {

std::unique_ptr<SectorSource> open(const QStringList& dataFiles)
{
    ConcatenatedFiles files;
    for (const QString& path : dataFiles)
        if (!files.append(path))
            return nullptr;
    for (const std::uint32_t bytes : {RawSectorSize, SubheaderSectorSize, DataSectorSize})
        if (holdsVolumeDescriptor(files, bytes))
            return std::make_unique<RawImageSectorSource>(std::move(files), bytes);
    return nullptr;
}

std::optional<QStringList> cueSheetFiles(const QString& cuePath)
{
    const std::optional<QStringList> lines = sheetLines(cuePath);
    if (!lines)
        return std::nullopt;
    static const QRegularExpression command(QStringLiteral("^\\s*(\\S+)\\s*(.*)$"));
    static const QRegularExpression subheaderTrack(QStringLiteral("^\\d+\\s+MODE[12]/2336\\b"),
                                                   QRegularExpression::CaseInsensitiveOption);
    QStringList files;
    bool subheaderSectors = false;
    for (const QString& line : *lines) {
        const QRegularExpressionMatch match = command.match(line);
        const QString keyword = match.captured(1).toUpper();
        if (keyword == QLatin1String("FILE")) {
            const QString name = fileNameArgument(match.captured(2));
            if (name.isEmpty())
                return std::nullopt;
            files << besideSheet(cuePath, name);
        } else if (keyword == QLatin1String("TRACK")) {
            subheaderSectors |= subheaderTrack.match(match.captured(2)).hasMatch();
        }
    }
    if (!subheaderSectors || files.isEmpty())
        return std::nullopt;
    return files;
}

std::optional<QStringList> tocFiles(const QString& tocPath)
{
    const std::optional<QStringList> lines = sheetLines(tocPath);
    if (!lines)
        return std::nullopt;
    static const QRegularExpression command(QStringLiteral("^\\s*(\\S+)\\s*(.*?)\\s*$"));
    static const QRegularExpression wholeFile(QStringLiteral("^(?:\"([^\"]+)\"|(\\S+))$"));
    static const QSet<QString> gaps{"FILE", "AUDIOFILE", "ZERO", "SILENCE", "PREGAP"};
    QStringList files;
    QSet<std::uint32_t> sectorSizes;
    for (QString line : *lines) {
        line = line.section(QStringLiteral("//"), 0, 0);
        const QRegularExpressionMatch match = command.match(line);
        if (!match.hasMatch())
            continue;
        const QString keyword = match.captured(1).toUpper();
        const QString rest = match.captured(2);
        if (gaps.contains(keyword))
            return std::nullopt;
        if (keyword == QLatin1String("TRACK")) {
            const std::optional<std::uint32_t> bytes = tocSectorBytes(rest.section(' ', 0, 0));
            if (!bytes)
                return std::nullopt;
            sectorSizes.insert(*bytes);
        } else if (keyword == QLatin1String("DATAFILE")) {
            // A length or offset after the name would take part of the file only.
            const QRegularExpressionMatch whole = wholeFile.match(rest);
            if (!whole.hasMatch())
                return std::nullopt;
            files << besideSheet(tocPath, whole.captured(1) + whole.captured(2));
        }
    }
    // One sector size throughout, or sector numbers no longer follow from byte offsets.
    if (files.isEmpty() || sectorSizes.size() > 1)
        return std::nullopt;
    return files;
}

} // namespace RawImage

#include "platform/disc/video_cd_control_files.h"

#include "platform/disc/disc_library.h"

#include <algorithm>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr qint64 SectorSize = 2048;
constexpr qint64 LotSize = 32 * SectorSize;
constexpr qint64 PsdSize = 256 * 1024;

// Up to `limit` bytes of a file of the disc; nothing when it is missing or unreadable.
std::optional<Bytes> readFile(const DiscLibrary& discs, const QString& path, qint64 limit)
{
    const std::unique_ptr<DiscStream> stream = discs.openFile(path);
    if (!stream)
        return std::nullopt;
    Bytes bytes(std::size_t(std::min(stream->size(), limit)));
    qint64 done = 0;
    while (done < qint64(bytes.size())) {
        const qint64 got = stream->read(done, reinterpret_cast<char*>(bytes.data()) + done,
                                        qint64(bytes.size()) - done);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(std::size_t(done));
    return bytes;
}

void note(QStringList& problems, const std::vector<std::string>& found, const char* file)
{
    for (const std::string& problem : found)
        problems << QStringLiteral("%1: %2").arg(QLatin1String(file),
                                                 QString::fromStdString(problem));
}

} // namespace

VideoCdControlFiles readVideoCdControlFiles(const DiscLibrary& discs, const QString& driveId)
{
    VideoCdControlFiles control;
    const QString root = driveId.toUpper() + QStringLiteral(":\\");
    const auto read = [&](const QString& path, qint64 limit) {
        return readFile(discs, root + path, limit);
    };

    std::optional<Bytes> info = read(QStringLiteral("SVCD\\INFO.SVD"), SectorSize);
    control.superVideoCd = info.has_value();
    if (!info)
        info = read(QStringLiteral("VCD\\INFO.VCD"), SectorSize);
    const QString folder =
        control.superVideoCd ? QStringLiteral("SVCD\\") : QStringLiteral("VCD\\");
    const QString suffix = control.superVideoCd ? QStringLiteral(".SVD") : QStringLiteral(".VCD");

    if (info) {
        control.info = VideoCdControl::parseInfo(*info);
        if (control.info)
            note(control.problems, control.info->problems, "INFO");
        else
            control.problems << QStringLiteral("INFO: not an INFO file");
    } else {
        control.problems << QStringLiteral("INFO: missing");
    }

    if (const std::optional<Bytes> entries = read(folder + "ENTRIES" + suffix, SectorSize)) {
        control.entries = VideoCdControl::parseEntries(*entries);
        if (control.entries)
            note(control.problems, control.entries->problems, "ENTRIES");
        else
            control.problems << QStringLiteral("ENTRIES: not an ENTRIES file");
    }

    // A VCD 2.0 keeps its extended lists in EXT; a player that can read them uses them.
    std::optional<Bytes> lot, psd;
    if (!control.superVideoCd && control.info && control.info->extendedPbc) {
        lot = read(QStringLiteral("EXT\\LOT_X.VCD"), LotSize);
        psd = read(QStringLiteral("EXT\\PSD_X.VCD"), PsdSize);
    }
    if (!lot || !psd) {
        lot = read(folder + "LOT" + suffix, LotSize);
        psd = read(folder + "PSD" + suffix, PsdSize);
    }
    if (lot && psd) {
        const VideoCdControl::Lot table = VideoCdControl::parseLot(*lot);
        note(control.problems, table.problems, "LOT");
        const int multiplier =
            control.info && control.info->offsetMultiplier > 0 ? control.info->offsetMultiplier : 8;
        control.psd = VideoCdControl::parsePsd(*psd, table, multiplier);
        note(control.problems, control.psd.problems, "PSD");
    }
    return control;
}

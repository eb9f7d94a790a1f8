#include "platform/disc/disc_song_starts.h"

#include "platform/disc/disc_library.h"
#include "platform/disc/disc_path.h"
#include "platform/disc/read/mpeg_pack_clock.h"
#include "platform/disc/video_cd_control_files.h"

#include <algorithm>
#include <vector>

SongStarts::~SongStarts() = default;

namespace {

constexpr qint64 Form2Payload = 2324;
constexpr qint64 DataPayload = 2048;
// How far past an entry's sector its pack may start (an empty sector first), and how far into
// the track its first pack.
constexpr qint64 EntrySearchSectors = 4;
constexpr qint64 StartSearchSectors = 64;
// A song closer than this to the one before is the same song marked twice.
constexpr double ShortestSong = 0.5;

std::optional<double> clockAt(DiscStream& stream, qint64 offset, qint64 length)
{
    std::vector<std::uint8_t> bytes(std::size_t(std::max<qint64>(0, length)));
    const qint64 got = stream.read(offset, reinterpret_cast<char*>(bytes.data()), length);
    if (got <= 0)
        return std::nullopt;
    return MpegPackClock::first(std::span(bytes).first(std::size_t(got)));
}

} // namespace

std::vector<double> DiscSongStarts::songStarts(const QString& trackPath)
{
    const std::optional<DiscPath> path = DiscPath::parse(trackPath);
    if (!path)
        return {};
    const QString drive = path->driveId.toLower();
    const qint32 serial = m_discs.serial(drive);
    Disc& disc = m_drives[drive];
    if (disc.serial != serial || serial == 0) {
        disc = Disc{serial, readVideoCdControlFiles(m_discs, drive).entries, {}};
    }
    if (!disc.entries)
        return {};
    const QString key = trackPath.toUpper();
    const auto known = disc.tracks.constFind(key);
    if (known != disc.tracks.constEnd())
        return *known;
    const std::vector<double> starts = read(trackPath, *disc.entries);
    disc.tracks.insert(key, starts);
    return starts;
}

std::vector<double> DiscSongStarts::read(const QString& trackPath,
                                         const VideoCdControl::Entries& entries)
{
    const std::unique_ptr<DiscStream> stream = m_discs.openFile(trackPath);
    if (!stream || stream->size() <= 0)
        return {};
    // A Video CD track reads as its sectors' Form 2 payloads; a copy on a data disc as 2048
    // bytes a sector.
    const qint64 payload = stream->size() % Form2Payload == 0 ? Form2Payload : DataPayload;
    const qint64 sectors = stream->size() / payload;
    const std::optional<double> origin = clockAt(*stream, 0, StartSearchSectors * payload);
    if (!origin)
        return {};
    std::vector<double> starts{0.0};
    for (const VideoCdControl::Entry& entry : entries.entries) {
        const qint64 sector = qint64(entry.address.lba()) - qint64(stream->firstSector());
        if (!entry.valid || sector < 0 || sector >= sectors)
            continue;
        const std::optional<double> clock =
            clockAt(*stream, sector * payload, EntrySearchSectors * payload);
        if (clock && *clock - *origin >= starts.back() + ShortestSong)
            starts.push_back(*clock - *origin);
    }
    if (starts.size() < 2)
        return {};
    return starts;
}

#include "platform/disc_library.h"

#include "platform/disc_file_reader.h"
#include "platform/disc_path.h"
#include "platform/disc_reader.h"

#include <algorithm>

namespace {
// A drive's state in one word, so that a stream opening on another thread sees a tray
// movement either wholly or not at all: bit 0 says whether the disc is in, the bits above
// count the times our handles on the drive were cut off.
constexpr quint64 InsertedBit = 1;
constexpr quint64 GenerationStep = 2;
} // namespace

struct DriveSlot {
    explicit DriveSlot(CdDrive d) : drive(std::move(d)) {}

    const CdDrive drive;
    std::atomic<quint64> state{InsertedBit};
    // Guards `streams` and every change of `state`; held only for moments, never for a read.
    std::mutex streamsMutex;
    std::vector<DiscStream*> streams;
};

DiscStream::DiscStream(std::shared_ptr<DriveSlot> slot, quint64 state,
                       std::unique_ptr<DiscFileReader> reader)
    : m_slot(std::move(slot)), m_state(state), m_size(static_cast<qint64>(reader->size())),
      m_reader(std::move(reader))
{
}

DiscStream::~DiscStream()
{
    const std::lock_guard lock(m_slot->streamsMutex);
    std::erase(m_slot->streams, this);
}

bool DiscStream::alive() const
{
    return m_reader && !m_cancelled && m_slot->state == m_state;
}

qint64 DiscStream::read(qint64 offset, char* out, qint64 maxSize)
{
    if (offset < 0 || maxSize < 0 || !alive()) {
        m_reader.reset(); // our handle on the drive goes at once, so its tray can move
        return -1;
    }
    const qint64 count =
        m_reader->read(static_cast<std::uint64_t>(offset), reinterpret_cast<unsigned char*>(out),
                       static_cast<std::size_t>(maxSize));
    // Cut off while reading: what was read may come from a disc on its way out.
    if (!alive()) {
        m_reader.reset();
        return -1;
    }
    return count;
}

DiscLibrary::DiscLibrary(DiscOpener openDisc)
    : m_openDisc(openDisc ? std::move(openDisc) : DiscOpener(DiscReader::open))
{
}

DiscLibrary::~DiscLibrary() = default;

void DiscLibrary::setDrives(const QList<CdDrive>& drives)
{
    const std::lock_guard lock(m_mutex);
    std::vector<std::shared_ptr<DriveSlot>> updated;
    for (const CdDrive& drive : drives) {
        const auto known = std::find_if(m_slots.begin(), m_slots.end(),
                                        [&](const auto& s) { return s->drive == drive; });
        updated.push_back(known != m_slots.end() ? *known : std::make_shared<DriveSlot>(drive));
    }
    m_slots = std::move(updated);
}

QList<CdDrive> DiscLibrary::drives() const
{
    const std::lock_guard lock(m_mutex);
    QList<CdDrive> out;
    for (const auto& s : m_slots)
        out << s->drive;
    return out;
}

std::optional<CdDrive> DiscLibrary::drive(const QString& id) const
{
    const std::shared_ptr<DriveSlot> found = slot(id);
    return found ? std::optional(found->drive) : std::nullopt;
}

std::shared_ptr<DriveSlot> DiscLibrary::slot(const QString& id) const
{
    const std::lock_guard lock(m_mutex);
    for (const auto& s : m_slots)
        if (s->drive.id.compare(id, Qt::CaseInsensitive) == 0)
            return s;
    return nullptr;
}

std::unique_ptr<SectorSource> DiscLibrary::openDisc(const DriveSlot& slot) const
{
    if (!(slot.state & InsertedBit))
        return nullptr;
    return m_openDisc(slot.drive.source);
}

std::optional<QStringList> DiscLibrary::listFiles(const QString& discFolder) const
{
    const std::optional<DiscPath> path = DiscPath::parse(discFolder);
    const std::shared_ptr<DriveSlot> drive = path ? slot(path->driveId) : nullptr;
    const std::unique_ptr<SectorSource> disc = drive ? openDisc(*drive) : nullptr;
    if (!disc)
        return std::nullopt;
    std::optional<QStringList> names = DiscReader::listFiles(*disc, path->components);
    // A backslash in a name would split it into two components of the file's disc path, which
    // then names no file.
    if (names)
        names->removeIf([](const QString& name) { return name.contains('\\'); });
    return names;
}

std::unique_ptr<DiscStream> DiscLibrary::openFile(const QString& discPath) const
{
    const std::optional<DiscPath> path = DiscPath::parse(discPath);
    const std::shared_ptr<DriveSlot> drive = path ? slot(path->driveId) : nullptr;
    if (!drive)
        return nullptr;
    // The state is read once, before the disc is opened: a tray that moves from now on
    // either shows in this value or makes the registration below fail.
    const quint64 state = drive->state;
    if (!(state & InsertedBit))
        return nullptr;
    std::unique_ptr<SectorSource> disc = m_openDisc(drive->drive.source);
    if (!disc)
        return nullptr;
    const std::optional<IsoEntry> file = DiscReader::findFile(*disc, path->components);
    if (!file)
        return nullptr;
    std::unique_ptr<DiscStream> stream(
        new DiscStream(drive, state, std::make_unique<DiscFileReader>(std::move(disc), *file)));
    const std::lock_guard lock(drive->streamsMutex);
    if (drive->state != state)
        return nullptr; // the tray moved while we opened
    drive->streams.push_back(stream.get());
    return stream;
}

qint32 DiscLibrary::serial(const QString& id) const
{
    const std::shared_ptr<DriveSlot> drive = slot(id);
    const std::unique_ptr<SectorSource> disc = drive ? openDisc(*drive) : nullptr;
    return disc ? DiscReader::serial(*disc) : 0;
}

void DiscLibrary::changeState(DriveSlot& slot, std::optional<bool> inserted)
{
    const std::lock_guard lock(slot.streamsMutex);
    const quint64 old = slot.state;
    const bool in = inserted.value_or(old & InsertedBit);
    slot.state = ((old & ~InsertedBit) + GenerationStep) | (in ? InsertedBit : 0);
    for (DiscStream* stream : slot.streams)
        stream->cancel();
}

void DiscLibrary::releaseDrive(const QString& id)
{
    if (const std::shared_ptr<DriveSlot> drive = slot(id))
        changeState(*drive, std::nullopt);
}

void DiscLibrary::setDiscInserted(const QString& id, bool inserted)
{
    if (const std::shared_ptr<DriveSlot> drive = slot(id))
        changeState(*drive, inserted);
}

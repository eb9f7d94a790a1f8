#include "platform/disc/disc_library.h"

#include "platform/disc/disc_path.h"
#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/disc_reader.h"
#include "platform/disc/stream_read_thread.h"

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
    // Guards `streams`, `serial` and every change of `state`; held only for moments, never
    // for a read.
    std::mutex streamsMutex;
    std::vector<DiscStream*> streams;
    // The disc's serial as last read, in the state it was read in. The program asks for it
    // each time a track starts, on the GUI thread, where a read would wait for a seek.
    struct KnownSerial {
        quint64 state;
        qint32 serial;
    };
    std::optional<KnownSerial> serial;
};

namespace {

// The volume descriptor of the disc in a drive (none without a disc), its serial noted for the
// drive's state; a disc that can no longer be read has no serial.
std::optional<Iso9660::VolumeDescriptor> readVolume(DriveSlot& slot, quint64 state,
                                                    SectorSource* disc)
{
    std::optional<Iso9660::VolumeDescriptor> pvd =
        disc ? Iso9660::readVolumeDescriptor(*disc) : std::nullopt;
    const std::lock_guard lock(slot.streamsMutex);
    if (slot.state != state)
        return pvd;
    slot.serial = pvd ? std::optional(DriveSlot::KnownSerial{state, Iso9660::volumeSerial(*pvd)})
                      : std::nullopt;
    return pvd;
}

} // namespace

DiscStream::DiscStream(std::shared_ptr<DriveSlot> slot, quint64 state, quint32 firstSector,
                       std::unique_ptr<DiscFileReader> reader,
                       std::shared_ptr<ReadThreadCount> readThreads)
    : m_slot(std::move(slot)), m_state(state), m_size(static_cast<qint64>(reader->size())),
      m_firstSector(firstSector),
      m_reads(std::make_unique<StreamReadThread>(std::move(reader), std::move(readThreads)))
{
}

DiscStream::~DiscStream()
{
    const std::lock_guard lock(m_slot->streamsMutex);
    std::erase(m_slot->streams, this);
}

void DiscStream::cancel()
{
    m_cancelled = true;
    m_reads->interrupt();
}

bool DiscStream::alive() const
{
    return !m_cancelled && m_slot->state == m_state;
}

qint64 DiscStream::read(qint64 offset, char* out, qint64 maxSize)
{
    if (offset < 0 || maxSize < 0 || !alive()) {
        // Our handle on the drive goes as soon as the read thread is free, so its tray can move.
        m_reads->interrupt();
        return -1;
    }
    const qint64 count = m_reads->read(offset, out, maxSize);
    // Cut off while reading: what was read may come from a disc on its way out.
    if (!alive()) {
        m_reads->interrupt();
        return -1;
    }
    return count;
}

DiscLibrary::DiscLibrary(DiscOpener openDisc)
    : m_openDisc(openDisc ? std::move(openDisc) : DiscOpener(DiscReader::open)),
      m_readThreads(std::make_shared<ReadThreadCount>())
{
}

DiscLibrary::~DiscLibrary()
{
    for (const std::shared_ptr<DriveSlot>& slot : m_slots)
        changeState(*slot, std::nullopt);
    m_readThreads->waitForNone();
}

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
    if (!drive)
        return std::nullopt;
    const quint64 state = drive->state;
    const std::unique_ptr<SectorSource> disc = openDisc(*drive);
    const std::optional<Iso9660::VolumeDescriptor> pvd = readVolume(*drive, state, disc.get());
    if (!pvd)
        return std::nullopt;
    std::optional<QStringList> names = DiscReader::listFiles(*disc, *pvd, path->components);
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
    const std::optional<Iso9660::VolumeDescriptor> pvd = readVolume(*drive, state, disc.get());
    const std::optional<IsoEntry> file =
        pvd ? DiscReader::findFile(*disc, *pvd, path->components) : std::nullopt;
    if (!file)
        return nullptr;
    std::unique_ptr<DiscStream> stream(
        new DiscStream(drive, state, file->extent,
                       std::make_unique<DiscFileReader>(std::move(disc), *file), m_readThreads));
    const std::lock_guard lock(drive->streamsMutex);
    if (drive->state != state)
        return nullptr; // the tray moved while we opened
    drive->streams.push_back(stream.get());
    return stream;
}

qint32 DiscLibrary::serial(const QString& id) const
{
    const std::shared_ptr<DriveSlot> drive = slot(id);
    if (!drive)
        return 0;
    {
        const std::lock_guard lock(drive->streamsMutex);
        if (drive->serial && drive->serial->state == drive->state)
            return drive->serial->serial;
    }
    const quint64 state = drive->state;
    const std::unique_ptr<SectorSource> disc = openDisc(*drive);
    const std::optional<Iso9660::VolumeDescriptor> pvd = readVolume(*drive, state, disc.get());
    return pvd ? Iso9660::volumeSerial(*pvd) : 0;
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

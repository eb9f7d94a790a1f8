#include "platform/disc_library.h"

#include "platform/disc_file_reader.h"
#include "platform/disc_reader.h"

#include <algorithm>
#include <atomic>

struct DriveSlot {
    explicit DriveSlot(CdDrive d) : drive(std::move(d)) {}

    const CdDrive drive;
    std::atomic<bool> inserted{true};
    // Bumped whenever our handles on the drive are cut off; streams of an older one are dead.
    std::atomic<quint64> generation{0};
    std::mutex streamsMutex;
    std::vector<DiscStream*> streams;
};

DiscStream::DiscStream(std::shared_ptr<DriveSlot> slot, quint64 generation,
                       std::unique_ptr<DiscFileReader> reader)
    : m_slot(std::move(slot)), m_generation(generation),
      m_size(static_cast<qint64>(reader->size())), m_reader(std::move(reader))
{
}

DiscStream::~DiscStream()
{
    const std::lock_guard lock(m_slot->streamsMutex);
    std::erase(m_slot->streams, this);
}

void DiscStream::close()
{
    const std::lock_guard lock(m_mutex);
    m_reader.reset();
}

qint64 DiscStream::read(qint64 offset, char* out, qint64 maxSize)
{
    if (offset < 0 || maxSize < 0)
        return -1;
    const std::lock_guard lock(m_mutex);
    if (!m_reader || m_slot->generation != m_generation) {
        m_reader.reset();
        return -1;
    }
    return m_reader->read(static_cast<std::uint64_t>(offset), reinterpret_cast<unsigned char*>(out),
                          static_cast<std::size_t>(maxSize));
}

DiscLibrary& DiscLibrary::instance()
{
    static DiscLibrary library;
    return library;
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

std::shared_ptr<DriveSlot> DiscLibrary::slot(const QString& id, bool discoverUnknown)
{
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& s : m_slots)
            if (s->drive.id.compare(id, Qt::CaseInsensitive) == 0)
                return s;
    }
    if (!discoverUnknown)
        return nullptr;
    // Adds what the machine has, keeping the drives registered so far.
    const QList<CdDrive> found = LinuxCdDrives().discover();
    {
        const std::lock_guard lock(m_mutex);
        for (const CdDrive& drive : found)
            if (std::none_of(m_slots.begin(), m_slots.end(), [&](const auto& s) {
                    return s->drive.id.compare(drive.id, Qt::CaseInsensitive) == 0;
                }))
                m_slots.push_back(std::make_shared<DriveSlot>(drive));
    }
    return slot(id, false);
}

std::optional<QStringList> DiscLibrary::listFiles(const QString& discFolder)
{
    const std::optional<DiscPath> path = DiscPath::parse(discFolder);
    if (!path)
        return std::nullopt;
    const std::shared_ptr<DriveSlot> drive = slot(path->driveId, true);
    if (!drive || !drive->inserted)
        return std::nullopt;
    const std::unique_ptr<SectorSource> disc = DiscReader::open(drive->drive.source);
    if (!disc)
        return std::nullopt;
    return DiscReader::listFiles(*disc, path->components);
}

std::unique_ptr<DiscStream> DiscLibrary::openFile(const QString& discPath)
{
    const std::optional<DiscPath> path = DiscPath::parse(discPath);
    if (!path)
        return nullptr;
    const std::shared_ptr<DriveSlot> drive = slot(path->driveId, true);
    if (!drive || !drive->inserted)
        return nullptr;
    const quint64 generation = drive->generation;
    std::unique_ptr<SectorSource> disc = DiscReader::open(drive->drive.source);
    if (!disc)
        return nullptr;
    const std::optional<IsoEntry> file = DiscReader::findFile(*disc, path->components);
    if (!file)
        return nullptr;
    std::unique_ptr<DiscStream> stream(new DiscStream(
        drive, generation, std::make_unique<DiscFileReader>(std::move(disc), *file)));
    {
        const std::lock_guard lock(drive->streamsMutex);
        // A release that ran while we opened did not see this stream, so it must not live on.
        if (drive->generation == generation) {
            drive->streams.push_back(stream.get());
            return stream;
        }
    }
    return nullptr;
}

qint32 DiscLibrary::serial(const QString& id)
{
    const std::shared_ptr<DriveSlot> drive = slot(id, true);
    if (!drive || !drive->inserted)
        return 0;
    const std::unique_ptr<SectorSource> disc = DiscReader::open(drive->drive.source);
    return disc ? DiscReader::serial(*disc) : 0;
}

void DiscLibrary::releaseDrive(const QString& id)
{
    const std::shared_ptr<DriveSlot> drive = slot(id, false);
    if (!drive)
        return;
    ++drive->generation;
    const std::lock_guard lock(drive->streamsMutex);
    for (DiscStream* stream : drive->streams)
        stream->close();
}

void DiscLibrary::setDiscInserted(const QString& id, bool inserted)
{
    const std::shared_ptr<DriveSlot> drive = slot(id, false);
    if (!drive)
        return;
    drive->inserted = inserted;
    releaseDrive(id);
}

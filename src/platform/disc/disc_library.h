#pragma once

#include "platform/disc/cd_drive.h"

#include <QList>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class DiscFileReader;
class SectorSource;
class StreamReadThread;
struct DriveSlot;
struct ReadThreadCount;

// A file of a disc opened for reading, with a handle of its own. Read by one thread at a time
// (mpv's stream thread); any other thread may cut it off at any time without waiting for a
// read in progress, which then fails at once, as does every later one.
class DiscStream {
public:
    ~DiscStream();
    DiscStream(const DiscStream&) = delete;
    DiscStream& operator=(const DiscStream&) = delete;

    qint64 size() const { return m_size; }
    // The disc sector the file starts at, as its directory records it.
    quint32 firstSector() const { return m_firstSector; }
    // Copies up to maxSize bytes from offset: the number copied, 0 at the end, -1 when the disc
    // cannot be read (taken out, tray opened, damaged) or the stream was cancelled.
    qint64 read(qint64 offset, char* out, qint64 maxSize);
    // From any thread; never blocks. The read in progress and every later one fail.
    void cancel();

private:
    friend class DiscLibrary;
    DiscStream(std::shared_ptr<DriveSlot> slot, quint64 state, quint32 firstSector,
               std::unique_ptr<DiscFileReader> reader,
               std::shared_ptr<ReadThreadCount> readThreads);
    bool alive() const;

    std::shared_ptr<DriveSlot> m_slot;
    const quint64 m_state; // the drive's state when opened; any change cuts the stream off
    const qint64 m_size;
    const quint32 m_firstSector;
    std::atomic<bool> m_cancelled{false};
    std::unique_ptr<StreamReadThread> m_reads;
};

// The CD drives behind disc paths: drive identifiers (any case) to the discs they hold, so
// "SR0:\Mpegav" can be listed and played from any thread. Built once at start-up and handed
// to whoever reads discs; it never looks for drives itself.
class DiscLibrary {
public:
    using DiscOpener = std::function<std::unique_ptr<SectorSource>(const QString& source)>;

    // Discs are opened with `openDisc` (tests wrap it); by default DiscReader::open.
    explicit DiscLibrary(DiscOpener openDisc = {});
    // Cuts off the streams still open and waits for reads that a drive is still busy with.
    ~DiscLibrary();
    DiscLibrary(const DiscLibrary&) = delete;
    DiscLibrary& operator=(const DiscLibrary&) = delete;

    // Replaces the known drives. A drive whose identifier keeps its source keeps its state
    // (an image drive's tray, open streams).
    void setDrives(const QList<CdDrive>& drives);
    QList<CdDrive> drives() const;
    std::optional<CdDrive> drive(const QString& id) const;

    // Plain files of a disc folder ("SR0:\Mpegav"), names without version suffixes; only those
    // a disc path can name.
    std::optional<QStringList> listFiles(const QString& discFolder) const;
    // A file of a disc ("SR0:\Mpegav\AVSEQ01.DAT", names without regard to case).
    std::unique_ptr<DiscStream> openFile(const QString& discPath) const;
    // Volume serial number of the disc in a drive; 0 without a readable disc. The disc is read
    // only when it has not been read since the drive's tray last moved: opening a file or
    // listing a folder notes the serial of the disc read.
    qint32 serial(const QString& id) const;

    // Cuts off every stream of ours on the drive, without waiting for reads in progress.
    void releaseDrive(const QString& id);
    // The disc of an image drive goes out (tray opened) or back in; streams are cut off.
    void setDiscInserted(const QString& id, bool inserted);

private:
    std::shared_ptr<DriveSlot> slot(const QString& id) const;
    std::unique_ptr<SectorSource> openDisc(const DriveSlot& slot) const;
    void changeState(DriveSlot& slot, std::optional<bool> inserted);

    DiscOpener m_openDisc;
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<DriveSlot>> m_slots;
    // The streams' read threads, which may run on after their streams for a slow read.
    std::shared_ptr<ReadThreadCount> m_readThreads;
};

#pragma once

#include "platform/cd_drives.h"

#include <QStringList>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class DiscFileReader;
struct DriveSlot;

// A file of a disc opened for reading, with a handle of its own. Used by one thread at a time
// (mpv's stream thread); the drive's owner may cut it off from another thread at any time,
// after which every read fails.
class DiscStream {
public:
    ~DiscStream();
    DiscStream(const DiscStream&) = delete;
    DiscStream& operator=(const DiscStream&) = delete;

    qint64 size() const { return m_size; }
    // Copies up to maxSize bytes from offset: the number copied, 0 at the end, -1 when the disc
    // cannot be read (taken out, tray opened, damaged).
    qint64 read(qint64 offset, char* out, qint64 maxSize);

private:
    friend class DiscLibrary;
    DiscStream(std::shared_ptr<DriveSlot> slot, quint64 generation,
               std::unique_ptr<DiscFileReader> reader);
    void close();

    std::shared_ptr<DriveSlot> m_slot;
    quint64 m_generation;
    qint64 m_size;
    std::mutex m_mutex;
    std::unique_ptr<DiscFileReader> m_reader;
};

// The process-wide map from drive identifiers (any case) to the drives behind disc paths, so
// "SR0:\Mpegav" can be listed and played from any thread. Drive discovery fills it; an
// identifier it does not know triggers a discovery of the machine's drives, which adds the
// drives not registered yet.
class DiscLibrary {
public:
    static DiscLibrary& instance();

    // Replaces the known drives. A drive whose identifier keeps its source keeps its state
    // (an image drive's tray, open streams).
    void setDrives(const QList<CdDrive>& drives);

    // Plain files of a disc folder ("SR0:\Mpegav"), names without version suffixes.
    std::optional<QStringList> listFiles(const QString& discFolder);
    // A file of a disc ("SR0:\Mpegav\AVSEQ01.DAT", names without regard to case).
    std::unique_ptr<DiscStream> openFile(const QString& discPath);
    // Volume serial number of the disc in a drive; 0 without a readable disc.
    qint32 serial(const QString& id);

    // Closes every handle of ours on the drive: open streams fail from now on.
    void releaseDrive(const QString& id);
    // The disc of an image drive goes out (tray opened) or back in.
    void setDiscInserted(const QString& id, bool inserted);

private:
    DiscLibrary() = default;
    std::shared_ptr<DriveSlot> slot(const QString& id, bool discoverUnknown);

    std::mutex m_mutex;
    std::vector<std::shared_ptr<DriveSlot>> m_slots;
};

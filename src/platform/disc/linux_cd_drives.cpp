#include "platform/disc/linux_cd_drives.h"

#include "platform/disc/disc_library.h"
#include "platform/disc/read/disc_image.h"
#include "platform/disc/read/disc_reader.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CdDrives::~CdDrives() = default;

std::optional<QString> CdDrives::insertImage(const QString&)
{
    return std::nullopt;
}

void CdDrives::mediaChanged(const QString&, bool) {}

LinuxCdDrives::LinuxCdDrives(DiscLibrary& library, DriveDiscovery discovery)
    : m_library(library), m_discovery(std::move(discovery))
{
    drives();
}

QList<CdDrive> LinuxCdDrives::drives()
{
    const QList<CdDrive> found = m_opened.arrange(m_discovery.discover());
    m_library.setDrives(found);
    return found;
}

qint32 LinuxCdDrives::SerNum(const QString& id) const
{
    return m_library.serial(id);
}

bool LinuxCdDrives::canOpen(const QString& id) const
{
    const std::optional<CdDrive> drive = m_library.drive(id);
    if (!drive)
        return false;
    // O_NONBLOCK: a drive without a disc still opens, as it should.
    const int fd =
        ::open(QFile::encodeName(drive->source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool usable =
        ::fstat(fd, &info) == 0 &&
        (drive->isImage ? S_ISREG(info.st_mode) : S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode));
    ::close(fd);
    return usable;
}

bool LinuxCdDrives::openTray(const QString& id)
{
    const std::optional<CdDrive> drive = m_library.drive(id);
    if (!drive)
        return false;
    if (drive->isImage) {
        m_library.setDiscInserted(drive->id, false);
        return true;
    }
    // Streams drop their handles at their next read; the kernel ejects a drive only when no
    // one else holds it open.
    m_library.releaseDrive(drive->id);
    return DiscReader::ejectTray(drive->source);
}

bool LinuxCdDrives::closeTray(const QString& id)
{
    const std::optional<CdDrive> drive = m_library.drive(id);
    if (!drive)
        return false;
    if (drive->isImage) {
        m_library.setDiscInserted(drive->id, true);
        return true;
    }
    m_library.releaseDrive(drive->id);
    return DiscReader::closeTray(drive->source);
}

std::optional<QString> LinuxCdDrives::insertImage(const QString& path)
{
    if (!DiscImage::isImagePath(path))
        return std::nullopt;
    const CdDrive drive = m_opened.insert(DiscImage::discSource(path), m_discovery.discover());
    // Streams still reading the disc that goes out are cut off, like a tray that opens.
    m_library.releaseDrive(drive.id);
    drives();
    m_library.setDiscInserted(drive.id, true);
    return drive.id;
}

void LinuxCdDrives::mediaChanged(const QString& id, bool present)
{
    const std::optional<CdDrive> drive = m_library.drive(id);
    if (!drive)
        return;
    if (drive->isImage)
        m_library.setDiscInserted(drive->id, present);
    else
        m_library.releaseDrive(drive->id);
}

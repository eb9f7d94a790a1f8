#include "platform/cd_drives.h"

#include "platform/disc_library.h"
#include "platform/disc_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CdDrives::~CdDrives() = default;

namespace {

const char* const DriveListVariable = "TAMREL_CD_DRIVES";

bool isDriveId(const QString& name)
{
    static const QRegularExpression id(QStringLiteral("^[A-Za-z][A-Za-z0-9]*$"));
    return id.match(name).hasMatch();
}

bool isImage(const QString& path)
{
    static const QStringList suffixes{"cue", "bin", "nrg", "toc", "iso"};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

// "sr2" before "sr10".
bool byKernelOrder(const QString& a, const QString& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

LinuxCdDrives::LinuxCdDrives(QString sysBlockDir, QString devDir)
    : m_sysBlockDir(std::move(sysBlockDir)), m_devDir(std::move(devDir))
{
}

QList<CdDrive> LinuxCdDrives::parseDriveList(const QString& list)
{
    QList<CdDrive> drives;
    QSet<QString> ids;
    int images = 0;
    for (const QString& entry : list.split(':', Qt::SkipEmptyParts)) {
        CdDrive drive{QString(), entry, isImage(entry)};
        drive.id =
            drive.isImage ? QStringLiteral("img%1").arg(images++) : QFileInfo(entry).fileName();
        if (!isDriveId(drive.id) || ids.contains(drive.id.toLower()))
            continue;
        ids.insert(drive.id.toLower());
        drives << drive;
    }
    return drives;
}

QList<CdDrive> LinuxCdDrives::discover() const
{
    if (qEnvironmentVariableIsSet(DriveListVariable))
        return parseDriveList(qEnvironmentVariable(DriveListVariable));

    QStringList names =
        QDir(m_sysBlockDir)
            .entryList({QStringLiteral("sr*")},
                       QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), byKernelOrder);
    QList<CdDrive> drives;
    for (const QString& name : names)
        if (isDriveId(name))
            drives << CdDrive{name, m_devDir + '/' + name, false};
    if (!drives.isEmpty())
        return drives;

    QSet<QString> ids;
    for (const QString& node : DiscReader::deviceNodes()) {
        const QString id = QFileInfo(node).fileName();
        if (isDriveId(id) && !ids.contains(id.toLower())) {
            ids.insert(id.toLower());
            drives << CdDrive{id, node, false};
        }
    }
    return drives;
}

QList<CdDrive> LinuxCdDrives::drives() const
{
    const QList<CdDrive> found = discover();
    DiscLibrary::instance().setDrives(found);
    return found;
}

std::optional<CdDrive> LinuxCdDrives::find(const QString& id) const
{
    for (const CdDrive& drive : drives())
        if (drive.id.compare(id, Qt::CaseInsensitive) == 0)
            return drive;
    return std::nullopt;
}

qint32 LinuxCdDrives::SerNum(const QString& id) const
{
    const std::optional<CdDrive> drive = find(id);
    return drive ? DiscLibrary::instance().serial(drive->id) : 0;
}

bool LinuxCdDrives::canOpen(const QString& id) const
{
    const std::optional<CdDrive> drive = find(id);
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
    const std::optional<CdDrive> drive = find(id);
    if (!drive)
        return false;
    if (drive->isImage) {
        DiscLibrary::instance().setDiscInserted(drive->id, false);
        return true;
    }
    DiscLibrary::instance().releaseDrive(drive->id);
    return DiscReader::ejectTray(drive->source);
}

bool LinuxCdDrives::closeTray(const QString& id)
{
    const std::optional<CdDrive> drive = find(id);
    if (!drive)
        return false;
    if (drive->isImage) {
        DiscLibrary::instance().setDiscInserted(drive->id, true);
        return true;
    }
    DiscLibrary::instance().releaseDrive(drive->id);
    return DiscReader::closeTray(drive->source);
}

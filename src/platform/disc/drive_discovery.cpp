#include "platform/disc/drive_discovery.h"

#include "platform/disc/disc_path.h"
#include "platform/disc/read/disc_image.h"
#include "platform/disc/read/disc_reader.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

const char* const DriveListVariable = "TAMREL_CD_DRIVES";

// "sr2" before "sr10".
bool byKernelOrder(const QString& a, const QString& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

DriveDiscovery DriveDiscovery::fromEnvironment(QString sysBlockDir, QString devDir)
{
    std::optional<QString> list;
    if (qEnvironmentVariableIsSet(DriveListVariable))
        list = qEnvironmentVariable(DriveListVariable);
    return DriveDiscovery(std::move(list), std::move(sysBlockDir), std::move(devDir));
}

DriveDiscovery::DriveDiscovery(std::optional<QString> driveList, QString sysBlockDir,
                               QString devDir)
    : m_driveList(std::move(driveList)), m_sysBlockDir(std::move(sysBlockDir)),
      m_devDir(std::move(devDir))
{
}

bool DriveDiscovery::isImageFile(const QString& path)
{
    return DiscImage::isImagePath(path);
}

QList<CdDrive> DriveDiscovery::parseDriveList(const QString& list)
{
    QList<CdDrive> drives;
    QSet<QString> ids;
    int images = 0;
    for (const QString& entry : list.split(':', Qt::SkipEmptyParts)) {
        CdDrive drive{QString(), entry, isImageFile(entry)};
        drive.id =
            drive.isImage ? QStringLiteral("img%1").arg(images++) : QFileInfo(entry).fileName();
        if (!DiscPath::isDriveId(drive.id) || ids.contains(drive.id.toLower()))
            continue;
        ids.insert(drive.id.toLower());
        drives << drive;
    }
    return drives;
}

QList<CdDrive> DriveDiscovery::discover() const
{
    if (m_driveList)
        return parseDriveList(*m_driveList);

    QStringList names =
        QDir(m_sysBlockDir)
            .entryList({QStringLiteral("sr*")},
                       QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), byKernelOrder);
    QList<CdDrive> drives;
    for (const QString& name : names)
        if (DiscPath::isDriveId(name))
            drives << CdDrive{name, m_devDir + '/' + name, false};
    if (!drives.isEmpty())
        return drives;

    QSet<QString> ids;
    for (const QString& node : DiscReader::deviceNodes()) {
        const QString id = QFileInfo(node).fileName();
        if (DiscPath::isDriveId(id) && !ids.contains(id.toLower())) {
            ids.insert(id.toLower());
            drives << CdDrive{id, node, false};
        }
    }
    return drives;
}

#include "platform/files/media_paths.h"

#include "platform/disc/disc_path.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

namespace MediaPaths {

bool isDiscPath(const QString& path)
{
    return DiscPath::isDiscPath(path);
}

QString separatorFor(const QString& folder)
{
    return isDiscPath(folder) ? QStringLiteral("\\") : QStringLiteral("/");
}

QString join(const QString& folder, const QString& name)
{
    return folder + separatorFor(folder) + name;
}

Split splitFilePath(const QString& path)
{
    if (isDiscPath(path)) {
        const qsizetype cut = path.lastIndexOf('\\');
        return {path.left(cut), path.mid(cut + 1)};
    }
    const QFileInfo info(path);
    return {info.absolutePath(), info.fileName()};
}

std::optional<QString> discPathOnMountedCd(const QString& path, const Mount& mount)
{
    // The whole name: "$" would also take a trailing newline ("sr0\n").
    static const QRegularExpression cdDevice(
        QRegularExpression::anchoredPattern(QStringLiteral("sr[0-9]+")));
    const QString drive = QFileInfo(mount.device).fileName();
    const QString type = mount.fileSystemType.toLower();
    if (!path.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive) ||
        (type != QLatin1String("iso9660") && type != QLatin1String("udf")) ||
        !cdDevice.match(drive).hasMatch())
        return std::nullopt;
    const QString relative = QDir(mount.rootPath).relativeFilePath(QDir::cleanPath(path));
    const QStringList components = relative.split('/', Qt::SkipEmptyParts);
    // Nothing outside the volume ("..", "../x"; a name may start with ".."), nor for a name
    // with a backslash, which would split into two components of the disc path.
    if (components.isEmpty() || components.first() == QLatin1String("..") ||
        relative.contains('\\'))
        return std::nullopt;
    return DiscPath{drive.toUpper(), components}.toString();
}

std::optional<QString> discPathOnMountedCd(const QString& path)
{
    if (isDiscPath(path) || !path.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive))
        return std::nullopt;
    const QStorageInfo volume(path);
    if (!volume.isValid())
        return std::nullopt;
    return discPathOnMountedCd(path, Mount{volume.rootPath(),
                                           QString::fromLatin1(volume.fileSystemType()),
                                           QString::fromLocal8Bit(volume.device())});
}

} // namespace MediaPaths

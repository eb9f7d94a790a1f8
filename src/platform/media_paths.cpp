#include "platform/media_paths.h"

#include "platform/disc_library.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

namespace MediaPaths {

bool isDiscPath(const QString& path)
{
    static const QRegularExpression discRoot(QStringLiteral("^[A-Za-z][A-Za-z0-9]*:\\\\"));
    return discRoot.match(path).hasMatch();
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

std::optional<QStringList> listFiles(const QString& folder)
{
    if (isDiscPath(folder))
        return DiscLibrary::instance().listFiles(folder);
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return std::nullopt;
    QDir dir(folder);
    if (!dir.isReadable())
        return std::nullopt;
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

} // namespace MediaPaths

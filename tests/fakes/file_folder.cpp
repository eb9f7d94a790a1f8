#include "file_folder.h"

#include <QFile>

FileFolder::FileFolder(const QStringList& names)
{
    add(names);
}

bool FileFolder::touch(const QString& folder, const QStringList& names)
{
    bool all = true;
    for (const QString& name : names) {
        QFile file(folder + '/' + name);
        all = file.open(QIODevice::WriteOnly) && all;
    }
    return all;
}

QStringList FileFolder::numbered(const QString& stem, int count, const QString& suffix, int width)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << stem + QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0')) + suffix;
    return names;
}

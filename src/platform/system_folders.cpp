#include "platform/system_folders.h"

#include <QDir>
#include <QStandardPaths>

QString LinuxSystemFolders::GetSpecialFolder(int id) const
{
    QString path;
    if (id == Desktop)
        path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    else if (id == Documents)
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QString LinuxSystemFolders::GetWindowsDir() const
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (path.isEmpty() || !QDir().mkpath(path))
        return {};
    return path;
}

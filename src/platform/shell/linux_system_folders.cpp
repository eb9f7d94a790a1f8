#include "platform/shell/linux_system_folders.h"

#include "platform/shell/os_version.h"

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

bool LinuxSystemFolders::createSpecialFolder(int id) const
{
    // XDG names the folders (user-dirs.dirs, else ~/Desktop and ~/Documents); nowhere else.
    const QString path = GetSpecialFolder(id);
    return !path.isEmpty() && QDir().mkpath(path);
}

QString LinuxSystemFolders::GetWindowsDir() const
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (path.isEmpty() || !QDir().mkpath(path))
        return {};
    return path;
}

QString LinuxSystemFolders::GetOSVersion() const
{
    // Linux answers no query of that family, so its caption is empty and capture is offered.
    return osVersionCaption(std::nullopt);
}

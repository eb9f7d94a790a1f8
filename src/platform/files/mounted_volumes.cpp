#include "platform/files/mounted_volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace MountedVolumes {

namespace {

bool inSystemArea(const QString& root)
{
    for (const char* area : {"/proc", "/sys", "/dev", "/run/user"})
        if (root == QLatin1String(area) || root.startsWith(QLatin1String(area) + '/'))
            return true;
    return false;
}

} // namespace

bool isPseudoFileSystem(const QByteArray& type)
{
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",    "tmpfs",           "devtmpfs",    "devpts",
        "overlay",    "cgroup",   "cgroup2",         "securityfs",  "debugfs",
        "tracefs",    "configfs", "fusectl",         "mqueue",      "hugetlbfs",
        "pstore",     "bpf",      "autofs",          "binfmt_misc", "efivarfs",
        "rpc_pipefs", "nsfs",     "ramfs",           "selinuxfs",   "squashfs",
        "rootfs",     "nfsd",     "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs"};
    return pseudo.contains(type.toLower());
}

QList<DriveEntry> drives()
{
    QList<DriveEntry> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        if (!volume.isValid() || !volume.isReady() || root == QLatin1String("/") ||
            isPseudoFileSystem(volume.fileSystemType()) || !QFileInfo(root).isDir())
            continue; // bind-mounted single files (containers) are no drives either
        const bool seen = std::any_of(volumes.cbegin(), volumes.cend(),
                                      [&](const DriveEntry& d) { return d.root == root; });
        if (inSystemArea(root) || seen)
            continue;
        const QString name = volume.name();
        volumes.append({root, name.isEmpty() ? root : name + QStringLiteral(" (") + root + ')'});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.root < b.root; });
    return QList<DriveEntry>{{QStringLiteral("/"), QStringLiteral("/")}} + volumes;
}

QString driveOf(const QString& path, const QStringList& roots)
{
    QString best = QStringLiteral("/");
    for (const QString& root : roots) {
        const bool contains = root == QLatin1String("/") || path == root ||
                              path.startsWith(root.endsWith('/') ? root : root + '/');
        if (contains && root.size() > best.size())
            best = root;
    }
    return best;
}

bool driveUsable(const QString& root)
{
    const QFileInfo info(root);
    if (root.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    const QStorageInfo volume(root);
    // An unmounted volume's folder belongs to the volume around it.
    return volume.isValid() && volume.isReady() &&
           QDir::cleanPath(volume.rootPath()) == QDir::cleanPath(root);
}

} // namespace MountedVolumes

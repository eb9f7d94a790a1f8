#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A drive to pick folders from: a mounted volume's root folder and the text shown for it.
struct DriveEntry {
    QString root;
    QString label;
};

// The mounted volumes that hold the user's files, as drives.
namespace MountedVolumes {

// "/" first, then the mounted volumes that hold files (no pseudo file systems, nothing of the
// system's own areas), by root.
QList<DriveEntry> drives();
// A file system of the kernel or the desktop rather than of files (proc, tmpfs, ...).
bool isPseudoFileSystem(const QByteArray& type);
// The drive a path is on: the longest root that contains it, else "/".
QString driveOf(const QString& path, const QStringList& roots);
// Whether a drive's root can be opened now: a mounted, ready, readable volume root.
bool driveUsable(const QString& root);

} // namespace MountedVolumes

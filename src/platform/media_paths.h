#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The one place that tells ordinary folders from disc folders. Ordinary folders are POSIX
// paths joined with "/"; disc folders name the disc in a CD drive ("SR0:\Mpegav") and join
// with "\".
namespace MediaPaths {

struct Split {
    QString folder;
    QString name;
};

bool isDiscPath(const QString& path);
QString separatorFor(const QString& folder);
// Folder + separator + name, even when the folder already ends in a separator.
QString join(const QString& folder, const QString& name);
Split splitFilePath(const QString& path);
// A mounted volume as the system reports it.
struct Mount {
    QString rootPath;       // "/media/cdrom"
    QString fileSystemType; // "iso9660"
    QString device;         // "/dev/sr0"
};

// The disc path of a Video CD movie file (.dat) on a mounted CD ("/media/cdrom/MPEGAV/
// AVSEQ01.DAT" on /dev/sr0 is "SR0:\MPEGAV\AVSEQ01.DAT"): the kernel cannot read its Form 2
// sectors, so such files are played through the disc reader. Nothing for any other file.
std::optional<QString> discPathOnMountedCd(const QString& path, const Mount& mount);
std::optional<QString> discPathOnMountedCd(const QString& path);

// Names of the plain files in a folder, or nothing when it does not exist or can't be read.
std::optional<QStringList> listFiles(const QString& folder);

} // namespace MediaPaths

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Joining and splitting the paths the play list hands to the player. Ordinary folders are
// POSIX paths joined with "/"; disc folders name the disc in a CD drive (DiscPath) and join
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
// sectors, so such files are played through the disc reader. Nothing for any other file, nor
// for a name with a backslash, which a disc path cannot hold.
std::optional<QString> discPathOnMountedCd(const QString& path, const Mount& mount);
std::optional<QString> discPathOnMountedCd(const QString& path);

} // namespace MediaPaths

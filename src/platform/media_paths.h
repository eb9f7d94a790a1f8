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
// Names of the plain files in a folder, or nothing when it does not exist or can't be read.
std::optional<QStringList> listFiles(const QString& folder);

} // namespace MediaPaths

#include "platform/files/media_folder_lister.h"

#include "platform/disc/disc_library.h"
#include "platform/disc/disc_path.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

FolderLister::~FolderLister() = default;

std::optional<QStringList> MediaFolderLister::listFiles(const QString& folder) const
{
    if (DiscPath::isDiscPath(folder))
        return m_discs ? m_discs->listFiles(folder) : std::nullopt;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable() || !QDir(folder).isReadable())
        return std::nullopt;
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

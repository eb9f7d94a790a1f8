#pragma once

#include "platform/files/folder_lister.h"

class DiscLibrary;

// Ordinary folders from the file system; disc folders ("SR0:\Mpegav") from the discs in the
// library's drives (none without a library).
class MediaFolderLister : public FolderLister {
public:
    explicit MediaFolderLister(const DiscLibrary* discs = nullptr) : m_discs(discs) {}
    std::optional<QStringList> listFiles(const QString& folder) const override;

private:
    const DiscLibrary* m_discs;
};

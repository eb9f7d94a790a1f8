#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class DiscLibrary;

// Lists the plain files of a folder for the play list.
class FolderLister {
public:
    virtual ~FolderLister();
    // Names of the plain files in a folder, or nothing when it does not exist or can't be read.
    virtual std::optional<QStringList> listFiles(const QString& folder) const = 0;
};

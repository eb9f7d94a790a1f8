#pragma once

#include <QString>
#include <QStringList>

class FolderLister;

// The play list: a folder, a file pattern and a current entry over the folder's matching
// files in ascending name order (compared without regard to case). Entries are read when
// the folder or the pattern is set and not re-read otherwise.
class PlayList {
public:
    static constexpr const char* DefaultPattern = "*.dat";

    // Folders are listed by `lister`, which must outlive the list.
    explicit PlayList(const FolderLister& lister) : m_lister(&lister) {}
    const FolderLister& lister() const { return *m_lister; }

    // Fails (returns false, list unchanged) when the folder does not exist or cannot be read.
    bool setPath(const QString& folder);
    QString Path() const { return m_folder; }

    // One or more wildcards separated by ";", matched without regard to case.
    void setPattern(const QString& pattern);
    QString Pattern() const { return m_pattern; }

    // Makes the list hold exactly this one file of its folder, as a path handed over on the
    // command line does. Fails when the path has no file name.
    bool setSingleFile(const QString& filePath);

    int ListCount() const { return int(m_entries.size()); }
    int ListIndex() const { return m_index; }
    // Fails outside -1..count-1; -1 clears the current entry.
    bool setListIndex(int index);
    QString FileName() const;
    QString entry(int index) const { return m_entries.value(index); }
    const QStringList& entries() const { return m_entries; }

    // Folder joined with the current file name: the path handed to the player.
    QString fullPath() const;

    static bool matchesPattern(const QString& pattern, const QString& fileName);

private:
    void reload();

    const FolderLister* m_lister;
    QString m_folder;
    QString m_pattern = DefaultPattern;
    QStringList m_entries;
    int m_index = -1;
};

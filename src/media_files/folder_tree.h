#pragma once

#include <QString>
#include <QTreeWidget>

// The chooser's tree of folders, "/" at its top and each item's path in Qt::UserRole. A
// folder's sub-folders are read when it is opened, never in the background, so a folder of
// many thousand files costs one quick directory scan and nothing afterwards.
class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Opens the tree down to `folder` (a clean absolute path) and makes it current, scrolled
    // into view; this is no pick.
    void showFolder(const QString& folder);
    // Scrolls the current folder into view, sideways to where its name starts.
    void scrollToCurrent();

signals:
    // The user made a folder current.
    void folderPicked(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillItem(QTreeWidgetItem* item);
    QTreeWidgetItem* itemFor(const QString& folder);
    void onCurrentItemChanged(QTreeWidgetItem* item);

    bool m_syncing = false; // the program, not the user, is changing the tree
};

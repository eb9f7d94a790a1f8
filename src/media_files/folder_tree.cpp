#include "media_files/folder_tree.h"

#include "platform/files/media_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSet>
#include <algorithm>

namespace {

// Visible sub-folder names, case-insensitively sorted; empty when unreadable.
QStringList subFolders(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable())
        return {};
    QStringList names;
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

// A tree row for a folder, its path kept with it. Whether it has sub-folders is only known
// once it is opened, so it offers to open until then.
QTreeWidgetItem* newFolderItem(const QString& parentPath, const QString& name)
{
    const QString path = parentPath == QLatin1String("/") ? QLatin1Char('/') + name
                                                          : MediaPaths::join(parentPath, name);
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, Qt::UserRole, path);
    item->setToolTip(0, path); // the whole name, however deep and long
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

} // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    // Deep folders stay readable: a narrow indent, and a row as wide as its name, scrolled to
    // sideways (each row's tooltip also gives the whole path).
    setIndentation(12);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* root = new QTreeWidgetItem(this, QStringList{QDir::rootPath()});
    root->setData(0, Qt::UserRole, QDir::rootPath());
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::fillItem);
    connect(this, &QTreeWidget::currentItemChanged, this, &FolderTree::onCurrentItemChanged);
}

void FolderTree::fillItem(QTreeWidgetItem* item)
{
    // Read on every opening, as folders come and go. Rows that stay are kept as they are (with
    // what is open below them); only rows of vanished folders go and new folders come in.
    const QString folder = item->data(0, Qt::UserRole).toString();
    const QScopedValueRollback<bool> quiet(m_syncing, true);
    const QStringList names = subFolders(folder);
    if (item->childCount() == 0) {
        QList<QTreeWidgetItem*> children;
        children.reserve(names.size());
        for (const QString& name : names)
            children << newFolderItem(folder, name);
        item->addChildren(children);
    } else {
        const QSet<QString> present(names.cbegin(), names.cend());
        for (int row = item->childCount() - 1; row >= 0; --row) {
            QTreeWidgetItem* child = item->child(row);
            if (!present.contains(child->text(0)) &&
                !QFileInfo(child->data(0, Qt::UserRole).toString()).isDir())
                delete item->takeChild(row);
        }
        QSet<QString> shown;
        for (int row = 0; row < item->childCount(); ++row)
            shown.insert(item->child(row)->text(0));
        int row = 0;
        for (const QString& name : names) {
            while (row < item->childCount() && !present.contains(item->child(row)->text(0)))
                ++row; // a hidden folder reached directly: it keeps its place
            if (!shown.contains(name))
                item->insertChild(row, newFolderItem(folder, name));
            ++row;
        }
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* FolderTree::itemFor(const QString& folder)
{
    QTreeWidgetItem* item = topLevelItem(0);
    for (const QString& name : folder.split('/', Qt::SkipEmptyParts)) {
        if (!item->isExpanded())
            item->setExpanded(true); // fills it
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0) == name)
                next = item->child(i);
        if (!next) { // a hidden folder, or one made since: it gets its own row
            next = newFolderItem(item->data(0, Qt::UserRole).toString(), name);
            item->addChild(next);
        }
        item = next;
    }
    return item;
}

void FolderTree::showFolder(const QString& folder)
{
    const QScopedValueRollback<bool> quiet(m_syncing, true);
    QTreeWidgetItem* item = itemFor(folder);
    item->setExpanded(true); // its sub-folders are the next places to go
    setCurrentItem(item);
    scrollToCurrent();
}

void FolderTree::scrollToCurrent()
{
    QTreeWidgetItem* item = currentItem();
    if (!item)
        return;
    scrollToItem(item, QAbstractItemView::PositionAtCenter); // sub-folders in view too
    // Sideways to where the folder's name starts, its branch sign just in view.
    doItemsLayout();
    QScrollBar* across = horizontalScrollBar();
    across->setValue(across->value() + visualItemRect(item).left() - indentation());
}

void FolderTree::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    scrollToCurrent(); // the tree has its size only now
}

void FolderTree::onCurrentItemChanged(QTreeWidgetItem* item)
{
    if (!m_syncing && item)
        emit folderPicked(item->data(0, Qt::UserRole).toString());
}

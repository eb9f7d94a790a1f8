#include "media_files/folder_chooser.h"

#include "platform/disc/read/disc_image.h"
#include "platform/files/media_paths.h"
#include "platform/player/media_player.h"
#include "platform/settings/settings_store.h"
#include "playback/play_list.h"
#include "settings/settings_keys.h"
#include "widgets/escape_key.h"
#include "widgets/twips.h"
#include "widgets/wrapping_button.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QWindow>

namespace {

QString cleanFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
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

// Every way out of a play or save command closes the chooser and brings the main window back,
// each once; a failed step just returns early and leaves the rest to this.
class FolderChooser::Finish {
public:
    explicit Finish(FolderChooser& chooser) : m_chooser(chooser) {}
    ~Finish()
    {
        close();
        showMainWindow();
    }
    Finish(const Finish&) = delete;
    Finish& operator=(const Finish&) = delete;

    void close()
    {
        if (!m_closed) {
            m_closed = true;
            m_chooser.close();
        }
    }
    void showMainWindow()
    {
        if (!m_shown) {
            m_shown = true;
            if (m_chooser.m_target.showMainWindow)
                m_chooser.m_target.showMainWindow();
        }
    }

private:
    FolderChooser& m_chooser;
    bool m_closed = false;
    bool m_shown = false;
};

FolderChooser::FolderChooser(ChooserTarget target, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_target(std::move(target))
{
    setObjectName("frmfolder");
    setWindowTitle(QStringLiteral("Folder"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    setFixedSize(Twips::toPixels(ClientWidthTwips), Twips::toPixels(ClientHeightTwips));
    // The control sizes were laid out for 8-point text; larger desktop fonts would be cut off.
    QFont compact = font();
    if (compact.pointSizeF() > 8)
        compact.setPointSizeF(8);
    setFont(compact);
    createControls();

    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->geometry().topLeft() +
             QPoint(Twips::toPixels(LeftTwips), Twips::toPixels(TopTwips)));
}

FolderChooser::~FolderChooser()
{
    // Children outlive this part of the object: nothing they report may reach it any more.
    Drive1->removeEventFilter(this);
    Drive1->disconnect(this);
    Dir1->disconnect(this);
}

void FolderChooser::createControls()
{
    Drive1 = new QComboBox(this);
    Drive1->setObjectName("Drive1");
    Twips::place(Drive1, 0, 0, 2175, 315);
    Drive1->installEventFilter(this);
    connect(Drive1, &QComboBox::currentIndexChanged, this, &FolderChooser::Drive1_Change);

    // Sub-folders are read when a folder is opened in the tree, never in the background, so a
    // folder of many thousand files costs one quick directory scan and nothing afterwards.
    Dir1 = new QTreeWidget(this);
    Dir1->setObjectName("Dir1");
    Dir1->setHeaderHidden(true);
    Dir1->setColumnCount(1);
    Dir1->setUniformRowHeights(true);
    // Deep folders stay readable: a narrow indent, and a row as wide as its name, scrolled to
    // sideways (each row's tooltip also gives the whole path).
    Dir1->setIndentation(12);
    Dir1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Dir1->header()->setStretchLastSection(false);
    Dir1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Twips::place(Dir1, 0, 360, 2175, 2340);
    auto* root = new QTreeWidgetItem(Dir1, QStringList{QDir::rootPath()});
    root->setData(0, Qt::UserRole, QDir::rootPath());
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    connect(Dir1, &QTreeWidget::itemExpanded, this, &FolderChooser::fillTreeItem);
    connect(Dir1, &QTreeWidget::currentItemChanged, this, &FolderChooser::Dir1_Click);

    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Twips::place(Text1, 0, 2760, 2175, 375);
    connect(Text1, &QLineEdit::returnPressed, this, &FolderChooser::goToTypedPath);

    FileFolder = new QListWidget(this);
    FileFolder->setObjectName("FileFolder");
    FileFolder->setUniformItemSizes(true); // keeps very long lists cheap to lay out
    FileFolder->setSelectionMode(QAbstractItemView::SingleSelection);
    Twips::place(FileFolder, 2280, 0, 3015, 2820);
    connect(FileFolder, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        FileFolder->setCurrentItem(item);
        cmdOkFile_Click();
    });

    lblShowDoubleclick = new QLabel(QStringLiteral("Double-click to play selected file "), this);
    lblShowDoubleclick->setObjectName("lblShowDoubleclick");
    Twips::place(lblShowDoubleclick, 2400, 2880, 2415, 255);

    const auto addOption = [this](const char* name, const QString& caption, const char* pattern,
                                  QRect twips) {
        auto* option = new QRadioButton(caption, this);
        option->setObjectName(QLatin1String(name));
        Twips::place(option, twips.x(), twips.y(), twips.width(), twips.height());
        connect(option, &QRadioButton::toggled, this, [this, pattern](bool checked) {
            if (checked)
                setPattern(QLatin1String(pattern));
        });
        return option;
    };
    optAllmedia = addOption("optAllmedia", QStringLiteral("All Media"), AllMediaPattern,
                            {240, 3480, 1095, 255});
    optVCD =
        addOption("optVCD", QStringLiteral("Video CD"), VideoCdPattern, {1560, 3480, 975, 255});
    optAVI = addOption("optAVI", QStringLiteral("AVI"), AviPattern, {3000, 3480, 735, 255});
    optMP3 = addOption("optMP3", QStringLiteral("MP3"), Mp3Pattern, {4080, 3480, 855, 255});
    // Beneath the media types: images are discs, not files for the play list.
    optImages = addOption("optImages", QStringLiteral("Disc images"), DiscImagePattern,
                          {240, 3750, 1335, 255});
    {
        const QSignalBlocker quiet(optAllmedia); // the list starts with this pattern anyway
        optAllmedia->setChecked(true);
    }

    const auto addButton = [this](const char* name, const QString& caption, int left,
                                  void (FolderChooser::*handler)()) {
        auto* button = new WrappingButton(caption, this);
        button->setObjectName(QLatin1String(name));
        Twips::place(button, left, 4080, 1095, 495);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    cmdOKdirectory = addButton("cmdOKdirectory", QStringLiteral("Play this folder"), 120,
                               &FolderChooser::cmdOKdirectory_Click);
    cmdOkFile = addButton("cmdOkFile", QStringLiteral("Play seleced file"), 1440,
                          &FolderChooser::cmdOkFile_Click);
    cmdSaveDefault = addButton("cmdSaveDefault", QStringLiteral("Save as Default"), 2760,
                               &FolderChooser::cmdSaveDefault_Click);
    cmdCancel =
        addButton("cmdCancel", QStringLiteral("Cancel"), 4080, &FolderChooser::cmdCancel_Click);
    closeOnEscape(this, [this] { cmdCancel_Click(); });
}

void FolderChooser::Form_Load()
{
    setDrives(mountedDrives());
    const QString stored = m_target.settings.Get(QLatin1String(SettingsKeys::Dir));
    Text1->setText(stored);
    if (stored.isEmpty() || !setFolder(stored))
        setFolder(QDir::currentPath());
    showDriveOfFolder();
    UpdateButtons();
}

bool FolderChooser::setFolder(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return false;
    m_folder = cleanFolder(path);
    showFolderInTree();

    FileFolder->clear();
    FileFolder->addItems(matchingFiles(m_folder, m_pattern));
    Text1->setText(m_folder);
    if (FileFolder->count() > 0)
        FileFolder->setCurrentRow(0);
    showDriveOfFolder();
    UpdateButtons();
    return true;
}

void FolderChooser::goToTypedPath()
{
    QString path = Text1->text().trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    const QFileInfo typed(path);
    // A file goes to its folder with the file selected; anything else that is no folder stays
    // in the box, selected, to be corrected.
    const bool file = typed.isFile();
    if (!setFolder(file ? typed.absolutePath() : path)) {
        Text1->selectAll();
        return;
    }
    if (file) {
        const QList<QListWidgetItem*> found =
            FileFolder->findItems(typed.fileName(), Qt::MatchExactly);
        if (!found.isEmpty())
            FileFolder->setCurrentItem(found.front());
    }
}

void FolderChooser::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    FileFolder->clear();
    FileFolder->addItems(matchingFiles(m_folder, m_pattern));
    UpdateButtons();
}

void FolderChooser::UpdateButtons()
{
    const bool hasFiles = FileFolder->count() >= 1;
    const QList<QWidget*> followers = {cmdOKdirectory, cmdOkFile, cmdSaveDefault,
                                       lblShowDoubleclick};
    for (QWidget* control : followers)
        control->setEnabled(hasFiles);
    cmdCancel->setEnabled(true);
}

QStringList FolderChooser::matchingFiles(const QString& folder, const QString& pattern) const
{
    // The play list itself does the listing, so an index names the same file in both.
    PlayList files(m_target.list.lister());
    files.setPattern(pattern);
    if (folder.isEmpty() || !files.setPath(folder))
        return {};
    return files.entries();
}

QStringList FolderChooser::subFolders(const QString& folder)
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

void FolderChooser::fillTreeItem(QTreeWidgetItem* item)
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

QTreeWidgetItem* FolderChooser::treeItemFor(const QString& folder)
{
    QTreeWidgetItem* item = Dir1->topLevelItem(0);
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

void FolderChooser::showFolderInTree()
{
    const QScopedValueRollback<bool> quiet(m_syncing, true);
    QTreeWidgetItem* item = treeItemFor(m_folder);
    item->setExpanded(true); // its sub-folders are the next places to go
    Dir1->setCurrentItem(item);
    scrollTreeToCurrent();
}

void FolderChooser::scrollTreeToCurrent()
{
    QTreeWidgetItem* item = Dir1->currentItem();
    if (!item)
        return;
    Dir1->scrollToItem(item, QAbstractItemView::PositionAtCenter); // sub-folders in view too
    // Sideways to where the folder's name starts, its branch sign just in view.
    Dir1->doItemsLayout();
    QScrollBar* across = Dir1->horizontalScrollBar();
    across->setValue(across->value() + Dir1->visualItemRect(item).left() - Dir1->indentation());
}

void FolderChooser::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    scrollTreeToCurrent(); // the tree has its size only now
}

void FolderChooser::Dir1_Click(QTreeWidgetItem* item)
{
    if (m_syncing || !item)
        return;
    // A folder picked in the tree becomes the current folder at once, buttons included:
    // otherwise they would describe the folder left behind. A folder gone meanwhile is not
    // taken and the tree goes back to the current one.
    if (!setFolder(item->data(0, Qt::UserRole).toString()))
        showFolderInTree();
}

// Drive list

bool FolderChooser::isPseudoFileSystem(const QByteArray& type)
{
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",    "tmpfs",           "devtmpfs",    "devpts",
        "overlay",    "cgroup",   "cgroup2",         "securityfs",  "debugfs",
        "tracefs",    "configfs", "fusectl",         "mqueue",      "hugetlbfs",
        "pstore",     "bpf",      "autofs",          "binfmt_misc", "efivarfs",
        "rpc_pipefs", "nsfs",     "ramfs",           "selinuxfs",   "squashfs",
        "rootfs",     "nfsd",     "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs"};
    return pseudo.contains(type.toLower());
}

QList<DriveEntry> FolderChooser::mountedDrives()
{
    QList<DriveEntry> drives{{QStringLiteral("/"), QStringLiteral("/")}};
    QList<DriveEntry> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        if (!volume.isValid() || !volume.isReady() || root == QLatin1String("/") ||
            isPseudoFileSystem(volume.fileSystemType()) || !QFileInfo(root).isDir())
            continue; // bind-mounted single files (containers) are no drives either
        bool systemArea = false;
        for (const char* area : {"/proc", "/sys", "/dev", "/run/user"})
            if (root == QLatin1String(area) || root.startsWith(QLatin1String(area) + '/'))
                systemArea = true;
        const bool seen = std::any_of(volumes.cbegin(), volumes.cend(),
                                      [&](const DriveEntry& d) { return d.root == root; });
        if (systemArea || seen)
            continue;
        const QString name = volume.name();
        volumes.append({root, name.isEmpty() ? root : name + QStringLiteral(" (") + root + ')'});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.root < b.root; });
    return drives + volumes;
}

QString FolderChooser::driveOf(const QString& path, const QStringList& roots)
{
    QString best = QStringLiteral("/");
    for (const QString& root : roots) {
        const bool contains = root == QLatin1String("/") || path == root ||
                              path.startsWith(root.endsWith('/') ? root : root + '/');
        if (contains && root.size() > best.size())
            best = root;
    }
    return best;
}

bool FolderChooser::driveUsable(const QString& root)
{
    const QFileInfo info(root);
    if (root.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    const QStorageInfo volume(root);
    // An unmounted volume's folder belongs to the volume around it.
    return volume.isValid() && volume.isReady() &&
           QDir::cleanPath(volume.rootPath()) == QDir::cleanPath(root);
}

QStringList FolderChooser::driveRoots() const
{
    QStringList roots;
    for (const DriveEntry& drive : m_drives)
        roots << drive.root;
    return roots;
}

void FolderChooser::setDrives(const QList<DriveEntry>& drives)
{
    m_drives = drives;
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->clear();
        for (const DriveEntry& drive : drives)
            Drive1->addItem(drive.label, drive.root);
    }
    showDriveOfFolder();
}

void FolderChooser::showDriveOfFolder()
{
    if (m_folder.isEmpty())
        return;
    const int index = Drive1->findData(driveOf(m_folder, driveRoots()));
    if (index < 0)
        return;
    const QSignalBlocker quiet(Drive1);
    Drive1->setCurrentIndex(index);
}

void FolderChooser::Drive1_Change(int index)
{
    if (m_syncing || index < 0)
        return;
    const QString root = Drive1->itemData(index).toString();
    // A drive that cannot be opened now quietly gives way to the folder still shown.
    if (!driveUsable(root) || !setFolder(root))
        showDriveOfFolder();
}

void FolderChooser::Drive1_GotFocus()
{
    // Only a drive other than the current folder's moves the tree to its root.
    const QString root = Drive1->currentData().toString();
    if (m_syncing || root.isEmpty() || root == driveOf(m_folder, driveRoots()))
        return;
    if (driveUsable(root))
        setFolder(root);
}

bool FolderChooser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Drive1 && event->type() == QEvent::FocusIn)
        Drive1_GotFocus();
    return QWidget::eventFilter(watched, event);
}

// Commands

// A disc image listed at `row` goes into a drive as a disc: the play list, its pattern and the
// player are left to the disc's detection.
bool FolderChooser::playDiscImage(int row, Finish& finish)
{
    const QString name =
        row >= 0 && row < FileFolder->count() ? FileFolder->item(row)->text() : QString();
    if (!m_target.playDiscImage || !DiscImage::isImagePath(name))
        return false;
    finish.close();
    finish.showMainWindow();
    m_target.playDiscImage(MediaPaths::join(m_folder, name));
    return true;
}

void FolderChooser::cmdOKdirectory_Click()
{
    Finish finish(*this);
    if (playDiscImage(0, finish))
        return;
    PlayList& list = m_target.list;
    if (!list.setPath(m_folder))
        return;
    finish.close();
    finish.showMainWindow();
    list.setPattern(m_pattern);
    if (!list.setListIndex(0))
        return;
    if (m_target.startListPlayback)
        m_target.startListPlayback();
}

void FolderChooser::cmdOkFile_Click()
{
    Finish finish(*this);
    PlayList& list = m_target.list;
    const int row = FileFolder->currentRow();
    if (playDiscImage(row, finish))
        return;
    const QString name = row >= 0 ? FileFolder->item(row)->text() : QString();
    list.setPattern(m_pattern);
    m_target.player.Stop();
    if (row < 0 || !list.setPath(m_folder))
        return;
    // Files may have come or gone since the folder was listed: the name decides then.
    const int index = list.entry(row) == name ? row : int(list.entries().indexOf(name));
    if (index < 0 || !list.setListIndex(index))
        return;
    finish.showMainWindow();
    m_target.player.setFileName(MediaPaths::join(list.Path(), list.FileName()));
    if (m_target.startListPlayback)
        m_target.startListPlayback();
    finish.close();
}

void FolderChooser::cmdSaveDefault_Click()
{
    Finish finish(*this);
    PlayList& list = m_target.list;
    m_target.settings.Save(QLatin1String(SettingsKeys::Dir), Text1->text());
    if (playDiscImage(0, finish))
        return;
    if (!list.setPath(m_folder))
        return;
    finish.close();
    list.setPattern(m_pattern);
    finish.showMainWindow();
    if (!list.setListIndex(0))
        return;
    if (m_target.startListPlayback)
        m_target.startListPlayback();
}

void FolderChooser::cmdCancel_Click()
{
    Finish finish(*this);
}

void FolderChooser::closeEvent(QCloseEvent* event)
{
    // Leave the top of the stacking order before the window goes away.
    overrideWindowFlags(windowFlags() & ~Qt::WindowStaysOnTopHint);
    if (QWindow* handle = windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, false);
    event->accept();
}

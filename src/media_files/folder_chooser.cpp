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
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>

namespace {

QString cleanFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
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
    Drive1->disconnect(this);
    Dir1->disconnect(this);
}

void FolderChooser::createControls()
{
    Drive1 = new DriveList(this);
    Drive1->setObjectName("Drive1");
    Twips::place(Drive1, 0, 0, 2175, 315);
    connect(Drive1, &DriveList::driveChosen, this, &FolderChooser::Drive1_Change);

    Dir1 = new FolderTree(this);
    Dir1->setObjectName("Dir1");
    Twips::place(Dir1, 0, 360, 2175, 2340);
    connect(Dir1, &FolderTree::folderPicked, this, &FolderChooser::Dir1_Click);

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
    setDrives(MountedVolumes::drives());
    const QString stored = m_target.settings.Get(QLatin1String(SettingsKeys::Dir));
    Text1->setText(stored);
    if (stored.isEmpty() || !setFolder(stored))
        setFolder(QDir::currentPath());
    Drive1->showDriveOf(m_folder);
    UpdateButtons();
}

bool FolderChooser::setFolder(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return false;
    m_folder = cleanFolder(path);
    Dir1->showFolder(m_folder);

    FileFolder->clear();
    FileFolder->addItems(matchingFiles(m_folder, m_pattern));
    Text1->setText(m_folder);
    if (FileFolder->count() > 0)
        FileFolder->setCurrentRow(0);
    Drive1->showDriveOf(m_folder);
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

void FolderChooser::Dir1_Click(const QString& path)
{
    // A folder picked in the tree becomes the current folder at once, buttons included:
    // otherwise they would describe the folder left behind. A folder gone meanwhile is not
    // taken and the tree goes back to the current one.
    if (!setFolder(path))
        Dir1->showFolder(m_folder);
}

void FolderChooser::setDrives(const QList<DriveEntry>& drives)
{
    Drive1->setDrives(drives);
}

QList<DriveEntry> FolderChooser::drives() const
{
    return Drive1->drives();
}

void FolderChooser::Drive1_Change(const QString& root)
{
    if (!setFolder(root))
        Drive1->showDriveOf(m_folder);
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

#pragma once

#include "media_files/type_patterns.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class MediaPlayer;
class PlayList;
class SettingsStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the chooser works on: the main window's play list and player, the settings, how to
// start playing the list and bring the main window back, and how to play a disc image as a
// disc (false when the path is none).
struct ChooserTarget {
    PlayList& list;
    MediaPlayer& player;
    SettingsStore& settings;
    std::function<void()> startListPlayback;
    std::function<void()> showMainWindow;
    std::function<bool(const QString& path)> playDiscImage = {};
};

// A drive in the drive list: a mounted volume's root folder and the text shown for it.
struct DriveEntry {
    QString root;
    QString label;
};

// The folder chooser: pick a drive, a folder and a kind of media file, then play the folder,
// play one file or keep the folder as the default. Modeless, above all other windows while
// open, and deleted when closed.
class FolderChooser : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidthTwips = 5370;
    static constexpr int ClientHeightTwips = 4665;
    static constexpr int LeftTwips = 3720;
    static constexpr int TopTwips = 1335;
    static constexpr const char* AllMediaPattern = TypePatterns::AllMedia;
    static constexpr const char* VideoCdPattern = TypePatterns::VideoCd;
    static constexpr const char* Mp3Pattern = TypePatterns::Mp3;
    static constexpr const char* AviPattern = TypePatterns::Avi;
    static constexpr const char* DiscImagePattern = TypePatterns::DiscImage;

    explicit FolderChooser(ChooserTarget target, QWidget* parent = nullptr);
    ~FolderChooser() override;

    // Opens at the stored default folder, or the process's current folder without one.
    void Form_Load();

    // The folder the folder tree shows and the file list's pattern.
    QString folder() const { return m_folder; }
    QString pattern() const { return m_pattern; }
    // Makes `path` the current folder: file list, path box, first file selected, drive and
    // buttons follow. False (nothing changes) when it is not a folder.
    bool setFolder(const QString& path);
    // Enter in the path box: goes to the folder typed there ("~" is the home folder), or to a
    // typed file's folder with that file selected. Anything else stays in the box, selected.
    void goToTypedPath();
    // A type filter: re-lists the folder with the pattern, then updates the buttons.
    void setPattern(const QString& pattern);
    // The play buttons and the hint are usable only while the file list has a file.
    void UpdateButtons();

    // Replaces the drive list (load uses mountedDrives()); the current folder's drive is shown.
    void setDrives(const QList<DriveEntry>& drives);
    QList<DriveEntry> drives() const { return m_drives; }

    // "/" first, then the mounted volumes that hold files (no pseudo file systems).
    static QList<DriveEntry> mountedDrives();
    static bool isPseudoFileSystem(const QByteArray& type);
    // The drive a path is on: the longest root that contains it, else "/".
    static QString driveOf(const QString& path, const QStringList& roots);
    // Whether a drive's root can be opened now: a mounted, ready, readable volume root.
    static bool driveUsable(const QString& root);
    // Plain files of the folder matching the pattern in play-list order; empty when unreadable.
    QStringList matchingFiles(const QString& folder, const QString& pattern) const;
    // Visible sub-folder names in the same order; empty when unreadable.
    static QStringList subFolders(const QString& folder);

    void cmdOKdirectory_Click();
    void cmdOkFile_Click();
    void cmdSaveDefault_Click();
    void cmdCancel_Click();

    QComboBox* Drive1;
    QTreeWidget* Dir1; // folders only, each item's path in Qt::UserRole
    QLineEdit* Text1;
    QListWidget* FileFolder;
    QLabel* lblShowDoubleclick;
    QRadioButton* optAllmedia;
    QRadioButton* optVCD;
    QRadioButton* optAVI;
    QRadioButton* optMP3;
    QRadioButton* optImages;
    QPushButton* cmdOKdirectory;
    QPushButton* cmdOkFile;
    QPushButton* cmdSaveDefault;
    QPushButton* cmdCancel;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Finish;

    void createControls();
    bool playDiscImage(int row, Finish& finish);
    void Drive1_Change(int index);
    void Drive1_GotFocus();
    void Dir1_Click(QTreeWidgetItem* item);
    void fillTreeItem(QTreeWidgetItem* item);
    QTreeWidgetItem* treeItemFor(const QString& folder);
    void showFolderInTree();
    void scrollTreeToCurrent();
    void showDriveOfFolder();
    QStringList driveRoots() const;

    ChooserTarget m_target;
    QList<DriveEntry> m_drives;
    QString m_folder;
    QString m_pattern = QLatin1String(AllMediaPattern);
    bool m_syncing = false; // the program, not the user, is moving the tree or the drive
};

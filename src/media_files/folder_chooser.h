#pragma once

#include "media_files/drive_list.h"
#include "media_files/folder_tree.h"
#include "media_files/type_patterns.h"
#include "platform/files/mounted_volumes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class MediaPlayer;
class PlayList;
class SettingsStore;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

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

    // Replaces the drive list (load uses MountedVolumes::drives()); the current folder's drive
    // is shown.
    void setDrives(const QList<DriveEntry>& drives);
    QList<DriveEntry> drives() const;

    // Plain files of the folder matching the pattern in play-list order; empty when unreadable.
    QStringList matchingFiles(const QString& folder, const QString& pattern) const;

    void cmdOKdirectory_Click();
    void cmdOkFile_Click();
    void cmdSaveDefault_Click();
    void cmdCancel_Click();

    DriveList* Drive1;
    FolderTree* Dir1;
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

private:
    class Finish;

    void createControls();
    bool playDiscImage(int row, Finish& finish);
    void Drive1_Change(const QString& root);
    void Dir1_Click(const QString& path);

    ChooserTarget m_target;
    QString m_folder;
    QString m_pattern = QLatin1String(AllMediaPattern);
};

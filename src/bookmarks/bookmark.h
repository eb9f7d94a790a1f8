#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CdDrives;
class MediaPlayer;
class QAction;
class QPushButton;
class QWidget;
class SettingsStore;

// The one bookmark: a position in one media file, tied to the disc in the CD drive when it was
// set, kept in the settings across runs. Retrieving never loads anything: it only seeks in the
// file that plays, and only when that file and the disc are the bookmark's. This class alone
// switches the bookmark button and its three menu items; other subsystems tell it what
// happened through the named steps below.
class Bookmark : public QObject {
    Q_OBJECT
public:
    struct MenuItems {
        QAction* mnuaddbookmark;
        QAction* mnuvcdbookmark;
        QAction* MnuClearbookmark;
    };
    struct Sources {
        MediaPlayer& player;
        SettingsStore& settings;
        CdDrives& drives;
        // The chosen CD drive (txtCDdrive of the Video CD steps), and whether one was found.
        std::function<QString()> cdDrive;
        std::function<bool()> cdDriveKnown;
        // The medium in the player as last seen at a play-state change (Filepathtxt).
        std::function<QString()> loadedPath;
    };

    // The bookmark button is made on the front panel; the menu items belong to the menu.
    Bookmark(QWidget* frontPanel, MenuItems items, Sources sources, QObject* parent = nullptr);

    // The user's commands.
    void Save();
    void Retrieve();
    void Clear();
    // At every playing state: whether the bookmark belongs to what plays now.
    void CheckAvailability();

    // What the other subsystems report.
    void videoCdFolderLoaded(bool cdDriveKnown);
    // A disc that failed to load, a list that failed to start, files chosen in the chooser,
    // the Stop command: nothing to bookmark or retrieve.
    void turnOff();
    // The table itself: each command on or off, a missing value leaving it as it is. The button
    // and "Add" always agree.
    void setControls(std::optional<bool> add, std::optional<bool> retrieve,
                     std::optional<bool> clear);

    // The position as stored: the shortest text that reads back to the same number, always
    // with a decimal point. Reading accepts a decimal point or comma; nothing for text that is
    // no usable position (empty, not a number, negative, not finite).
    static QString positionText(double seconds);
    static std::optional<double> positionFromText(const QString& text);

    QPushButton* cmdBookmark;

    // Working copies: the position and disc identity being saved or read back, the disc in
    // the drive now, the path read back.
    QString Bookcurrtxt;
    QString cdistxt;
    QString cdis2txt;
    QString Filepath2txt;

private:
    QString discInDrive() const;
    void readBack();

    MenuItems m_items;
    // The table of the bookmark's commands: which the user may use now.
    struct Offered {
        bool add = false;
        bool retrieve = false;
        bool clear = false;
    } m_offered;
    Sources m_sources;
};

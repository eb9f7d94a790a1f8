#pragma once

#include "about/about_window.h"
#include "about/help_window.h"
#include "app/platform_services.h"
#include "capture/settings_dialog.h"
#include "media_files/folder_chooser.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>

class Bookmark;
class CaptureChain;
class CaptureControls;
class CdTray;
class KaraokeControls;
class KeyboardCommands;
class MenuWindows;
class WindowHooks;
class WindowKeyboard;
class LayoutResizer;
class MediaTransport;
class PlaybackEngine;
class QueuedSongs;
class PlaybackPanel;
class PopupMenu;
class SingerScreen;
class SoundChoices;
class TrackPanel;
class VideoCdLoader;
class DiscLists;
class DiscSongs;
class VolumePanel;
class WindowModes;
class QAction;
class QFrame;
class QPushButton;

// The main window: it builds the controls, wires the subsystems together, runs the start-up
// sequence and the exit paths, and previews typed characters before its controls see them.
class Playerfrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidthTwips = 11685;
    static constexpr int DesignHeightTwips = 7815;
    // The smallest scale of the design at which every caption still fits (the font does not
    // scale), across and down, with a little to spare; the window shrinks no further.
    static constexpr double MinimumScaleAcross = 0.90;
    static constexpr double MinimumScaleDown = 0.81;

    explicit Playerfrm(PlatformServices services, QWidget* parent = nullptr);
    ~Playerfrm() override;

    // Start-up sequence; `commandLine` is the text after the program name.
    void Form_Load(const QString& commandLine);
    // Exit button and Exit menu item.
    void ExitProgram();

    PlaybackEngine& engine() { return *m_engine; }
    PlaybackPanel& playbackPanel() { return *m_playbackPanel; }
    TrackPanel& trackPanel() { return *m_tracks; }
    PopupMenu& menu() { return *m_menu; }
    KaraokeControls& karaoke() { return *m_karaoke; }
    WindowModes& modes() { return *m_modes; }
    SingerScreen& singerScreen() { return *m_singer; }
    VideoCdLoader& videoCd() { return *m_videoCd; }
    Bookmark& bookmark() { return *m_bookmark; }
    VolumePanel& volumePanel() { return *m_volume; }
    CaptureChain& capture() { return *m_capture; }
    CaptureControls& captureControls() { return *m_captureControls; }
    // Playback as the desktop's media controls see it.
    MediaTransport& transport() { return *m_transport; }
    CdTray& tray() { return *m_tray; }
    WindowKeyboard& keyboard() { return *m_keyboard; }
    DiscLists& discLists() { return *m_lists; }
    QueuedSongs& songQueue() { return *m_queue; }

    // The Menu button: the popup menu at the mouse position.
    void cmdMenu_Click();
    // The Menu key and Shift+F10: the popup menu at the Menu button.
    void openMenuFromKeyboard();

    // Steps of the start-up sequence that later features fill in.
    void HideCapture();
    void SetupToneLabels();
    // Looks for a Video CD in the drives and plays its first track (start-up, tray closed).
    virtual void Command29();
    // Points the play list at the Video CD folder found before, without playing it.
    virtual void Command30();
    // "Open Video CD  (Auto detect)": looks for a Video CD in the drives and plays it.
    virtual void Command32();

    QString OsVersion;
    QString txtcopyrname; // the capture's bitmap, kept up to date by the capture chain
    // The capture chain's three steps; the chain starts and stops them.
    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer3;
    QFrame* Frame1;
    QPushButton* cmdFullscreen;
    QPushButton* cmdMenu;
    QPushButton* cmdOnTop;
    QPushButton* cmdExit;
    QPushButton* cmdOpencdrom;
    QPushButton* cmdCapture;
    QPushButton* cmdBookmark;
    QAction* mnuOpenVCD;
    QAction* mnucapturescreen;
    QAction* mnutray;
    QAction* mnuvcdbookmark;
    QAction* mnuaddbookmark;
    QAction* MnuClearbookmark;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createFrontPanel();
    void createCommandButtons();
    void createMenu();
    void createKaraoke();
    void createBookmark();
    void createVideoCd();
    void createCapture();
    void createKeyboard();
    void createSongQueue();
    // A typed character: the disc's lists take it where they are followed, else the tracks.
    void typed(QChar character);
    void skipSong(int direction);
    // Tab walks the controls as they stand, row by row, and comes back to the picture.
    void setFocusOrder();
    void openMenuAt(const QPoint& position);
    void openChooser();
    void openSettings();
    // What the settings dialog works with, whether it is opened or only loaded for the
    // capture's destination path.
    Settingfrm::Services settingsServices();
    ChooserTarget chooserTarget();
    // The volume panel follows the mixer whenever the window is shown, uncovered or
    // activated; several of these at once refresh it once.
    void scheduleVolumeRefresh();
    void endProcess();

    PlatformServices m_services;
    std::unique_ptr<WindowHooks> m_hooks;
    PlaybackPanel* m_playbackPanel = nullptr;
    PlaybackEngine* m_engine = nullptr;
    TrackPanel* m_tracks = nullptr;
    PopupMenu* m_menu = nullptr;
    WindowModes* m_modes = nullptr;
    SingerScreen* m_singer = nullptr;
    VideoCdLoader* m_videoCd = nullptr;
    DiscSongs* m_songs = nullptr;
    DiscLists* m_lists = nullptr;
    QueuedSongs* m_queue = nullptr;
    Bookmark* m_bookmark = nullptr;
    CdTray* m_tray = nullptr;
    LayoutResizer* m_resizer = nullptr;
    VolumePanel* m_volume = nullptr;
    KaraokeControls* m_karaoke = nullptr;
    SoundChoices* m_sound = nullptr;
    CaptureChain* m_capture = nullptr;
    CaptureControls* m_captureControls = nullptr;
    MediaTransport* m_transport = nullptr;
    KeyboardCommands* m_keys = nullptr;
    WindowKeyboard* m_keyboard = nullptr;
    bool m_volumeRefreshQueued = false;
    MenuWindows* m_windows = nullptr;
    bool m_closing = false;
};

#pragma once

#include "about/about_window.h"
#include "about/help_window.h"
#include "capture/settings_dialog.h"
#include "media_files/folder_chooser.h"
#include "queue/queue_window.h"
#include "widgets/owned_window.h"

#include <QObject>
#include <functional>

// The windows the popup menu opens: the quick help, the about box, the folder chooser, the
// settings dialog and the song queue. One of each at a time, made on first use over the main window
// and deleted when they close; the settings dialog is also loaded unseen when a capture needs its
// path.
class MenuWindows : public QObject {
    Q_OBJECT
public:
    struct Makers {
        // What a new chooser works on, and the settings dialog's services.
        std::function<ChooserTarget()> chooserTarget;
        std::function<Settingfrm::Services()> settingsServices;
    };

    MenuWindows(QWidget* window, Makers makers);

    void showHelp();
    void showAbout();
    // An open chooser is brought forward and keeps its own target.
    void showChooser();
    void showSettings();
    void showSongQueue(QueuedSongs& songs);
    // The settings dialog, loaded (not shown) when it is not open.
    Settingfrm& settingsDialog();

private:
    Settingfrm* makeSettingsDialog();

    QWidget* m_window;
    Makers m_makers;
    OwnedWindow<HelpWindow> m_help;
    OwnedWindow<AboutWindow> m_about;
    OwnedWindow<FolderChooser> m_chooser;
    OwnedWindow<Settingfrm> m_settings;
    OwnedWindow<SongQueueWindow> m_songQueue;
};

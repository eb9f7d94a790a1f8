#include "app/menu_windows.h"

MenuWindows::MenuWindows(QWidget* window, Makers makers)
    : QObject(window), m_window(window), m_makers(std::move(makers))
{
}

void MenuWindows::showHelp()
{
    m_help.show([this] { return new HelpWindow(m_window); });
}

void MenuWindows::showAbout()
{
    m_about.show([this] { return new AboutWindow(m_window); });
}

void MenuWindows::showChooser()
{
    m_chooser.show([this] {
        auto* chooser = new FolderChooser(m_makers.chooserTarget(), m_window);
        chooser->Form_Load();
        return chooser;
    });
}

Settingfrm* MenuWindows::makeSettingsDialog()
{
    auto* dialog = new Settingfrm(m_makers.settingsServices(), m_window);
    dialog->Form_Load();
    return dialog;
}

void MenuWindows::showSettings()
{
    m_settings.show([this] { return makeSettingsDialog(); });
}

void MenuWindows::showSongQueue(QueuedSongs& songs)
{
    m_songQueue.show([this, &songs] { return new SongQueueWindow(songs, m_window); });
}

Settingfrm& MenuWindows::settingsDialog()
{
    return *m_settings.load([this] { return makeSettingsDialog(); });
}

#include "app/window_hooks.h"

#include "app/player_window.h"
#include "app/window_keyboard.h"
#include "bookmarks/bookmark.h"
#include "capture/capture_controls.h"
#include "queue/queued_songs.h"
#include "settings/product.h"
#include "videocd/cd_tray.h"
#include "videocd/disc_lists.h"
#include "videocd/track_panel.h"
#include "videocd/video_cd_loader.h"

#include <QMessageBox>

void WindowHooks::EnableTrackControls()
{
    m_window.trackPanel().EnableTrackControls();
}

void WindowHooks::DisableTrackControls()
{
    m_window.trackPanel().DisableTrackControls();
}

void WindowHooks::disableListedTrackButtons()
{
    m_window.trackPanel().disableListedTrackButtons();
}

void WindowHooks::ShowTrackNumber()
{
    m_window.trackPanel().ShowTrackNumber();
}

void WindowHooks::resetTrackNumber()
{
    m_window.trackPanel().resetTrackNumber();
}

void WindowHooks::setCaptureEnabled(bool enabled)
{
    m_window.captureControls().setEnabled(enabled);
}

void WindowHooks::setTrayEnabled(bool enabled)
{
    m_window.tray().setEnabled(enabled);
}

void WindowHooks::disableBookmarkCommands()
{
    m_window.bookmark().turnOff();
}

void WindowHooks::CheckDiscAndBookmark()
{
    m_window.videoCd().CheckDiscAndBookmark();
}

void WindowHooks::closeCdNotice()
{
    m_window.videoCd().closeNotice();
}

void WindowHooks::showMessage(const QString& text)
{
    QMessageBox::warning(&m_window, Product::Title, text, QMessageBox::Ok);
}

bool WindowHooks::keyboardOnAControl() const
{
    return m_window.keyboard().keyboardOnAControl();
}

bool WindowHooks::takeEndOfMedium()
{
    // The disc's lists first: while they are followed, they alone say what comes next.
    return m_window.discLists().mediumEnded() || m_window.songQueue().takeEndOfMedium();
}

bool WindowHooks::takeNextTrack()
{
    return m_window.discLists().next() || m_window.songQueue().takeNextTrack();
}

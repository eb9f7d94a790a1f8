// The main window's song queue: its window, its menu item and key, the track buttons' "Add to
// queue", and the line that says what comes next.

#include "app/menu_windows.h"
#include "app/player_window.h"
#include "app/popup_menu.h"
#include "platform/disc/cd_drives.h"
#include "queue/queued_songs.h"
#include "videocd/track_panel.h"

#include <QAction>

void Playerfrm::createSongQueue()
{
    m_queue = new QueuedSongs(
        {*m_engine, *m_services.queueSettings,
         [this](const QString& driveId) { return m_services.drives->SerNum(driveId); },
         m_services.songStarts},
        this, this);
    connect(m_menu->mnuSongQueue, &QAction::triggered, this,
            [this] { m_windows->showSongQueue(*m_queue); });
    m_tracks->offerQueue([this](int listEntry) { m_queue->addTrack(listEntry); });
}

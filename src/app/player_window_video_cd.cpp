// The main window's Video CD parts: detection, the tray, the songs inside a track and the
// disc's own lists, and how keys and track buttons reach them.

#include "app/player_window.h"

#include "app/disc_image_drop.h"
#include "app/popup_menu.h"
#include "bookmarks/bookmark.h"
#include "capture/capture_controls.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"
#include "settings/settings.h"
#include "videocd/cd_tray.h"
#include "videocd/disc_lists.h"
#include "videocd/disc_songs.h"
#include "videocd/disc_watcher.h"
#include "videocd/eject_button.h"
#include "videocd/track_panel.h"
#include "videocd/video_cd_loader.h"

#include <QAction>
#include <QMenu>

void Playerfrm::createVideoCd()
{
    m_lists = new DiscLists({m_services.discControl, m_services.songStarts,
                             *m_services.playbackControlSettings, *m_engine, *m_services.player},
                            this);
    m_menu->mnuVCD->addAction(m_lists->mnuPlaybackControl);
    // The songs inside a track, as PgDown and PgUp move between them.
    QAction* nextSong = m_menu->mnuVCD->addAction(QStringLiteral("Next Song"));
    nextSong->setObjectName("mnuNextSong");
    connect(nextSong, &QAction::triggered, this, [this] { skipSong(1); });
    QAction* previousSong = m_menu->mnuVCD->addAction(QStringLiteral("Previous Song"));
    previousSong->setObjectName("mnuPreviousSong");
    connect(previousSong, &QAction::triggered, this, [this] { skipSong(-1); });
    VideoCdLoader::Controls controls{
        *m_bookmark, [this] { m_captureControls->setEnabled(false); },
        [this] { m_tracks->DisableTrackControls(); },
        [this](const QString& drive) { return m_lists->begin(drive); }};
    m_videoCd = new VideoCdLoader(*m_services.drives, *m_engine, std::move(controls), this, this);
    m_songs = new DiscSongs(m_services.songStarts, *m_engine, this);
    m_tracks->setNumberTaker([this](int number) { return m_lists->trackChosen(number); });
    connect(m_lists, &DiscLists::placeChanged, this, [this] {
        m_tracks->offerNumbers(m_lists->highestNumber());
        m_tracks->showPlace(m_lists->place());
    });
    m_tray = new CdTray(
        Frame1, mnutray, *m_services.mci, [this] { Command29(); },
        [this] { m_engine->FocusPlayer(); }, this);
    cmdOpencdrom = m_tray->cmdOpencdrom; // an EjectButton
    if (m_services.discEvents) {
        auto* watcher = new DiscWatcher(
            {*m_services.discEvents, *m_services.drives, *m_engine, *m_services.player,
             [this] { return Settings::vcdAutoDetection(*m_services.settings); },
             [this] { Command29(); }},
            this);
        watcher->setObjectName("discWatcher");
    }
    new DiscImageDrop(this,
                      [this](const QString& image) { return m_videoCd->playDiscImage(image); });
}

void Playerfrm::typed(QChar character)
{
    if (!m_lists->typed(character))
        m_tracks->Form_KeyPress(character);
}

void Playerfrm::skipSong(int direction)
{
    // The songs inside the track that plays first; past them, or in a menu, the links of the
    // disc's lists.
    if (m_lists->playsTrack() && (direction > 0 ? m_songs->next() : m_songs->previous()))
        return;
    direction > 0 ? m_lists->next() : m_lists->previous();
}

void Playerfrm::Command29()
{
    m_videoCd->Command29();
}

void Playerfrm::Command30()
{
    m_videoCd->Command30();
}

void Playerfrm::Command32()
{
    m_videoCd->Command32();
}

#include "app/sound_choices.h"

#include "app/popup_menu.h"
#include "karaoke/karaoke_controls.h"
#include "karaoke/song_identity.h"
#include "platform/disc/cd_drives.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"

#include <QAction>

SoundChoices::SoundChoices(MediaPlayer& player, CdDrives& drives, KaraokeControls& karaoke,
                           QObject* parent)
    : QObject(parent), m_player(player), m_drives(drives), m_karaoke(karaoke)
{
    // Voice cancel works on both channels: the channel choice goes back to both.
    connect(&m_karaoke, &KaraokeControls::voiceCancelChosen, this, [this] {
        if (m_menu)
            m_menu->mnuBoth->setChecked(true);
        m_player.setBalance(MediaPlayer::BalanceBoth);
    });
}

void SoundChoices::attachChannelMenu(PopupMenu& menu)
{
    m_menu = &menu;
    connect(menu.mnuFirst, &QAction::triggered, this,
            [this] { setAudioChannel(MediaPlayer::BalanceFirstChannel); });
    connect(menu.mnuSecond, &QAction::triggered, this,
            [this] { setAudioChannel(MediaPlayer::BalanceSecondChannel); });
    connect(menu.mnuBoth, &QAction::triggered, this,
            [this] { setAudioChannel(MediaPlayer::BalanceBoth); });
}

void SoundChoices::followSongs(PlaybackEngine& engine)
{
    connect(&engine, &PlaybackEngine::mediumLoading, this, [this](const QString& path) {
        m_karaoke.songStarting(SongIdentity::of(
            path, [this](const QString& driveId) { return m_drives.SerNum(driveId); }));
    });
}

void SoundChoices::runKey(KeyGuide::Command command)
{
    using KeyGuide::Command;
    switch (command) {
    case Command::KeyUp:
        m_karaoke.keyUp();
        break;
    case Command::KeyDown:
        m_karaoke.keyDown();
        break;
    case Command::TempoFaster:
        m_karaoke.tempoFaster();
        break;
    case Command::TempoSlower:
        m_karaoke.tempoSlower();
        break;
    case Command::OriginalKeyAndTempo:
        m_karaoke.original();
        break;
    default:
        break;
    }
}

void SoundChoices::setAudioChannel(int balance)
{
    // The check mark moves with the action group; the medium plays on.
    if (balance != MediaPlayer::BalanceBoth)
        m_karaoke.leaveVoiceCancel();
    m_player.setBalance(balance);
}

PlaybackTransport::Window::Tempo SoundChoices::tempo()
{
    return {[this] { return m_karaoke.rate(); }, [this](double rate) { m_karaoke.setRate(rate); },
            KaraokeControls::slowestRate(), KaraokeControls::fastestRate()};
}

void SoundChoices::reportTo(MediaTransport& transport)
{
    connect(&m_karaoke, &KaraokeControls::soundChanged, &transport, &MediaTransport::changed);
}

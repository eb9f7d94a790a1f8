#pragma once

#include "about/key_guide.h"
#include "desktop/playback_transport.h"

#include <QObject>

class CdDrives;
class KaraokeControls;
class MediaPlayer;
class PlaybackEngine;
class PopupMenu;

// The singer's choices of the sound, joined: the Audio Channel items of the popup menu, the
// karaoke controls (voice cancel, key, tempo) and the song each key and tempo belongs to. A
// single channel and voice cancel exclude each other: picking one leaves the other.
class SoundChoices : public QObject {
    Q_OBJECT
public:
    SoundChoices(MediaPlayer& player, CdDrives& drives, KaraokeControls& karaoke,
                 QObject* parent = nullptr);

    // Answers the Audio Channel items of the menu.
    void attachChannelMenu(PopupMenu& menu);
    // Each medium the engine plays is a song whose key and tempo come back.
    void followSongs(PlaybackEngine& engine);
    // A karaoke key of the window (KeyUp … OriginalKeyAndTempo).
    void runKey(KeyGuide::Command command);
    void setAudioChannel(int balance);
    // The tempo as the desktop's media controls read and set it, and tell of its changes.
    PlaybackTransport::Window::Tempo tempo();
    void reportTo(MediaTransport& transport);

private:
    MediaPlayer& m_player;
    CdDrives& m_drives;
    KaraokeControls& m_karaoke;
    PopupMenu* m_menu = nullptr;
};

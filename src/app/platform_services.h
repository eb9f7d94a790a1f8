#pragma once

#include <functional>

class CdDrives;
class DiscChangeEvents;
class DiscControl;
class FolderLister;
class KaraokeSound;
class MediaPlayer;
class MixerDevice;
class SettingsStore;
class MciCommands;
class ScreenGrabber;
class SongStarts;
class SystemFolders;
class ToneControl;
class Wallpaper;

// Everything the main window reaches of the system, injected at start-up so the whole
// window can be built with fakes in tests or with the real services.
struct PlatformServices {
    MediaPlayer* player = nullptr;
    SettingsStore* settings = nullptr;
    MciCommands* mci = nullptr;
    SystemFolders* folders = nullptr;
    CdDrives* drives = nullptr;
    // Discs going into and out of the drives; may be null.
    DiscChangeEvents* discEvents = nullptr;
    // Lists the play list's folders, ordinary ones and those on discs.
    const FolderLister* folderLister = nullptr;
    MixerDevice* mixer = nullptr;
    // The sound path's own tone stage, where the mixer has no bass or treble; may be null.
    ToneControl* tone = nullptr;
    // The sound path's key, tempo and voice-cancel stages; may be null.
    KaraokeSound* karaoke = nullptr;
    // The settings section of the key and tempo chosen per song (apart from "Settings").
    SettingsStore* songSettings = nullptr;
    // Where the songs inside disc tracks start; may be null.
    SongStarts* songStarts = nullptr;
    // The discs' control files (their lists); may be null.
    DiscControl* discControl = nullptr;
    // The settings section of the disc's lists (apart from "Settings").
    SettingsStore* playbackControlSettings = nullptr;
    // The settings section of the song queues (apart from "Settings").
    SettingsStore* queueSettings = nullptr;
    // The settings section of the singer screen (apart from "Settings"); may be null.
    SettingsStore* singerScreenSettings = nullptr;
    // The screen as it shows now, for a capture; without one a capture reports it has none.
    ScreenGrabber* grabber = nullptr;
    // Makes a captured picture the wallpaper; may be null.
    Wallpaper* wallpaper = nullptr;
    // Ends the process at once; the exit paths call nothing else after it.
    std::function<void(int)> endProcess;
};

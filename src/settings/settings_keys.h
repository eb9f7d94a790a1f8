#pragma once

// Names of the stored settings, exactly as they are kept in the store.
namespace SettingsKeys {
inline constexpr const char* Section = "Settings";
// The section of the key and tempo chosen per song; "Settings" never holds them.
inline constexpr const char* KaraokeSection = "Karaoke";
// The section of the disc's own lists (menus): whether the player follows them.
inline constexpr const char* PlaybackControlSection = "PlaybackControl";
inline constexpr const char* PlaybackControlEnabled = "Enabled";
// The section of the song queues, one a disc or folder.
inline constexpr const char* SongQueueSection = "SongQueue";
// The section of the singer screen: the name of the screen the user chose for it.
inline constexpr const char* SingerScreenSection = "SingerScreen";
inline constexpr const char* SingerScreenName = "Screen";

inline constexpr const char* Pictextcopy = "Pictextcopy";
inline constexpr const char* Screenshot = "Screenshot";
inline constexpr const char* Wallpaper = "Wallpaper";
inline constexpr const char* MyDocuments = "My Documents";
inline constexpr const char* VcdAuto = "VCD Auto";
inline constexpr const char* Dir = "Dir";
inline constexpr const char* Bookmark = "Bookmark";
inline constexpr const char* Bookmarkid = "Bookmarkid";
inline constexpr const char* Bookmarkpath = "Bookmarkpath";
} // namespace SettingsKeys

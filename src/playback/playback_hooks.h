#pragma once

class QString;

// What the playback engine asks of the rest of the main window: the track panel, the
// capture, bookmark and tray commands, the Video CD checks and message boxes. The window
// forwards each call to the subsystem that owns it.
class PlaybackHooks {
public:
    virtual ~PlaybackHooks() = default;
    virtual void EnableTrackControls() = 0;
    virtual void DisableTrackControls() = 0;
    // Greys the buttons of the tracks in the list while a new track loads.
    virtual void disableListedTrackButtons() = 0;
    virtual void ShowTrackNumber() = 0;
    // Back to "00 of 0": no track of the new list shown yet.
    virtual void resetTrackNumber() = 0;
    virtual void setCaptureEnabled(bool enabled) = 0;
    virtual void setTrayEnabled(bool enabled) = 0;
    // The bookmark button and the "Add" and "Retrieve" menu items.
    virtual void disableBookmarkCommands() = 0;
    virtual void CheckDiscAndBookmark() = 0;
    virtual void closeCdNotice() = 0;
    // A message box over the window, with the program's title and an OK button.
    virtual void showMessage(const QString& text) = 0;
    // The user took the keyboard to one of the window's controls with Tab: commands leave it
    // there instead of handing it back to the player.
    virtual bool keyboardOnAControl() const = 0;
    // Where the disc's own lists are followed, or songs are queued, they decide what comes
    // after a medium and what Next Track does: true when they took it.
    virtual bool takeEndOfMedium() { return false; }
    virtual bool takeNextTrack() { return false; }
};

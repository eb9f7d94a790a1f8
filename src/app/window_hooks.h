#pragma once

#include "playback/playback_hooks.h"

class Playerfrm;

// What the playback engine asks of the rest of the main window, each step handed to the
// subsystem that owns it: the track panel, the capture commands, the tray, the bookmark, the
// Video CD steps and the window's keyboard.
class WindowHooks : public PlaybackHooks {
public:
    explicit WindowHooks(Playerfrm& window) : m_window(window) {}

    void EnableTrackControls() override;
    void DisableTrackControls() override;
    void disableListedTrackButtons() override;
    void ShowTrackNumber() override;
    void resetTrackNumber() override;
    void setCaptureEnabled(bool enabled) override;
    void setTrayEnabled(bool enabled) override;
    void disableBookmarkCommands() override;
    void CheckDiscAndBookmark() override;
    void closeCdNotice() override;
    void showMessage(const QString& text) override;
    bool keyboardOnAControl() const override;
    bool takeEndOfMedium() override;
    bool takeNextTrack() override;

private:
    Playerfrm& m_window;
};

#pragma once

#include "about/key_guide.h"

#include <QObject>
#include <functional>

class QWidget;

// The main window's keys that type no character: the popup menu, seeking, the main volume,
// mute, key and tempo, and the songs inside a disc track. They are shortcuts of the window, so they
// work wherever its keyboard focus is, in full screen too, and never reach the typed-character
// rule. Up and Down stay with a knob or the jump list that has the focus, and every arrow with an
// option button.
class KeyboardCommands : public QObject {
    Q_OBJECT
public:
    struct Steps {
        std::function<void()> openMenu;
        std::function<void(double seconds)> seekBy;
        std::function<void(int direction)> stepVolume;
        std::function<void()> toggleMute;
        // Key, tempo and the original of both (KeyUp … OriginalKeyAndTempo).
        std::function<void(KeyGuide::Command)> karaoke;
        // The next (1) or previous (-1) song inside a disc track.
        std::function<void(int direction)> skipSong;
        // The Return of a disc's menu or list.
        std::function<void()> listReturn;
        std::function<void()> openSongQueue;
    };

    KeyboardCommands(QWidget* window, Steps steps);
    ~KeyboardCommands() override;

    void run(KeyGuide::Command command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the focused control uses this key itself.
    static bool keepsKey(const QWidget* focus, int key);

    QWidget* m_window;
    Steps m_steps;
};

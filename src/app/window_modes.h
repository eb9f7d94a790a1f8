#pragma once

#include <QObject>
#include <functional>

class MediaPlayer;
class QPushButton;
class QWidget;

// Always-on-top and full screen. The on-top state is the tag of the On Top button ("1" on
// top, "0" not); full screen is the player's display size being 3. Under Wayland a window
// cannot put itself above the others, so On Top is disabled there and says why.
class WindowModes : public QObject {
    Q_OBJECT
public:
    static const QString OnTopUnavailableTip;

    // `focusPlayer` hands the keyboard back after a toggle.
    WindowModes(QWidget* window, MediaPlayer& player, QPushButton* cmdOnTop,
                std::function<void()> focusPlayer);

    // False where the windowing system leaves stacking to the compositor (Wayland).
    static bool canStayOnTop();

    bool isOnTop() const;
    void OnTopToggle();
    // Runs the toggle when the window is on top, as commands that need a normal window do.
    void leaveOnTop();
    void FullScreen();

private:
    void setStacking(bool onTop);

    QWidget* m_window;
    MediaPlayer& m_player;
    QPushButton* m_cmdOnTop;
    std::function<void()> m_focusPlayer;
};

#pragma once

#include "platform/shell/screen_grabber.h"

#include <QImage>
#include <QSize>
#include <functional>

// The display server's own picture of the screen (X11). Where the display hands out nothing
// (Wayland), the player's current video frame stands in for it, fitted to the screen as the
// full-screen view shows it.
class QtScreenGrabber : public ScreenGrabber {
public:
    using FrameSource = std::function<QImage()>;

    explicit QtScreenGrabber(FrameSource playerFrame = {});
    QImage grabScreen(QScreen* screen) override;

    // `frame` scaled to fit `screen` with its proportions kept, centred on black.
    static QImage fitToScreen(const QImage& frame, const QSize& screen);

private:
    FrameSource m_playerFrame;
};

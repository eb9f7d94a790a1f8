#pragma once

#include "platform/shell/screen_grabber.h"
#include "platform/shell/wallpaper.h"

#include <QImage>
#include <QObject>
#include <QStringList>
#include <functional>

// A screen of one picture: every grab returns `picture` (a null one: the display gave none)
// and first runs `onGrab`, so a test can look at the window at that moment.
class FakeScreenGrabber : public ScreenGrabber {
public:
    FakeScreenGrabber();
    QImage grabScreen(QScreen* screen) override;

    QImage picture;
    std::function<void()> onGrab;
    int grabs = 0;
};

// Records the pictures it is asked to show and answers like the real one: later, through the
// event loop, with `succeeds`.
class FakeWallpaper : public Wallpaper {
public:
    void SetWallpaper(const QString& path, Done done) override;

    bool succeeds = true;
    QStringList paths;

private:
    QObject m_context; // answers still queued die with the fake
};

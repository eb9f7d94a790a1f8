#pragma once

#include <QImage>

class QScreen;

// A picture of the whole screen, taken straight from the display: nothing passes through the
// user's clipboard.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    // What `screen` (the primary screen when null) shows now; a null image when the display
    // gives nothing.
    virtual QImage grabScreen(QScreen* screen) = 0;
};

#include "fake_capture.h"

#include <QTimer>

FakeScreenGrabber::FakeScreenGrabber() : picture(640, 480, QImage::Format_RGB32)
{
    picture.fill(QColor(40, 90, 200));
}

QImage FakeScreenGrabber::grabScreen(QScreen*)
{
    ++grabs;
    if (onGrab)
        onGrab();
    return picture;
}

void FakeWallpaper::SetWallpaper(const QString& path, Done done)
{
    paths << path;
    QTimer::singleShot(0, &m_context, [done, set = succeeds] {
        if (done)
            done(set);
    });
}

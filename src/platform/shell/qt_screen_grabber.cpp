#include "platform/shell/qt_screen_grabber.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

QtScreenGrabber::QtScreenGrabber(FrameSource playerFrame) : m_playerFrame(std::move(playerFrame)) {}

QImage QtScreenGrabber::grabScreen(QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // Window 0 is the whole screen (the root window on X11).
    const QImage grabbed = screen->grabWindow(0).toImage();
    if (!grabbed.isNull())
        return grabbed;
    if (!m_playerFrame)
        return {};
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    return fitToScreen(m_playerFrame(), size);
}

QImage QtScreenGrabber::fitToScreen(const QImage& frame, const QSize& screen)
{
    if (frame.isNull() || screen.isEmpty())
        return {};
    QImage fitted(screen, QImage::Format_RGB32);
    fitted.fill(Qt::black);
    const QSize size = frame.size().scaled(screen, Qt::KeepAspectRatio);
    const QRect target(
        QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2), size);
    QPainter painter(&fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
    return fitted;
}

#include "platform/player/view/mpv_moved_picture.h"

#include "platform/player/view/mpv_software_frame.h"

#include <QVBoxLayout>
#include <QWindow>

MpvMovedPicture::MpvMovedPicture(MpvSoftwareFrame* frame, QWidget* parent)
    : QWidget(parent), m_frame(frame)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MpvMovedPicture::MpvMovedPicture(const QSurfaceFormat& format, QWidget* parent) : QWidget(parent)
{
    m_surface = new QWindow;
    m_surface->setSurfaceType(QSurface::OpenGLSurface);
    m_surface->setFormat(format);
    // The keyboard stays with the window's widgets, as with the view's own GL window.
    m_surface->setFlag(Qt::WindowDoesNotAcceptFocus);
    // The container owns the surface.
    QWidget* container = QWidget::createWindowContainer(m_surface, this);
    container->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(container);
}

void MpvMovedPicture::paintEvent(QPaintEvent* event)
{
    if (!m_frame) {
        QWidget::paintEvent(event);
        return;
    }
    if (paintSoftwareFrame(*m_frame, *this))
        QMetaObject::invokeMethod(this, &MpvMovedPicture::frameRendered, Qt::QueuedConnection);
}

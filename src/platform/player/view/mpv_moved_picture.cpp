#include "platform/player/view/mpv_moved_picture.h"

#include "platform/player/view/mpv_software_frame.h"
#include "platform/player/view/mpv_video_window.h"

#include <QVBoxLayout>

MpvMovedPicture::MpvMovedPicture(MpvSoftwareFrame* frame, QWidget* parent)
    : QWidget(parent), m_frame(frame)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MpvMovedPicture::MpvMovedPicture(MpvHandleSource mpv, QWidget* keyTarget, QWidget* parent)
    : QWidget(parent)
{
    m_window = new MpvVideoWindow(std::move(mpv), keyTarget);
    connect(m_window, &MpvVideoWindow::renderContextReady, this,
            &MpvMovedPicture::renderContextReady);
    connect(m_window, &MpvVideoWindow::frameShown, this, &MpvMovedPicture::frameRendered);
    QWidget* container = QWidget::createWindowContainer(m_window, this);
    container->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(container);
}

MpvMovedPicture::~MpvMovedPicture()
{
    releaseRenderContext();
}

void MpvMovedPicture::releaseRenderContext()
{
    if (m_window)
        m_window->releaseRenderContext();
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

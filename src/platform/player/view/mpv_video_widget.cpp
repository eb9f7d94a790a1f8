#include "platform/player/view/mpv_video_widget.h"

#include "platform/player/view/mpv_moved_picture.h"
#include "platform/player/view/mpv_software_frame.h"
#include "platform/player/view/mpv_video_window.h"

#include <QOpenGLContext>
#include <QPainter>
#include <QVBoxLayout>

MpvVideoWidget::MpvVideoWidget(MpvHandleSource mpv, VideoOutput output, QWidget* parent)
    : QWidget(parent), m_output(output), m_mpv(mpv)
{
    setFocusPolicy(Qt::StrongFocus);
    if (output == VideoOutput::Software) {
        // Every pixel is painted with each frame: nothing beneath needs drawing first.
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_frame = new MpvSoftwareFrame(this);
        connect(m_frame, &MpvSoftwareFrame::frameWaiting, this, [this] {
            if (m_moved)
                m_moved->update();
            else
                update();
        });
        return;
    }
    // Seen only until the native window is mapped.
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    m_window = new MpvVideoWindow(std::move(mpv), this);
    connect(m_window, &MpvVideoWindow::renderContextReady, this,
            &MpvVideoWidget::renderContextReady);
    connect(m_window, &MpvVideoWindow::frameShown, this, &MpvVideoWidget::frameRendered);
    // A click on the picture focuses it, as it would any widget with a strong focus policy.
    connect(m_window, &MpvVideoWindow::pressed, this, [this] { setFocus(Qt::MouseFocusReason); });

    // The container owns the window. It must not take the focus itself: it would hand it to
    // the native window, away from the widgets.
    QWidget* container = QWidget::createWindowContainer(m_window, this);
    container->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(container);
}

MpvVideoWidget::~MpvVideoWidget()
{
    releaseRenderContext();
}

void MpvVideoWidget::mpvReady()
{
    if (!m_frame || m_frame->hasRenderContext() || !m_mpv)
        return;
    if (m_frame->create(m_mpv()))
        emit renderContextReady();
}

void MpvVideoWidget::releaseRenderContext()
{
    m_mpv = nullptr;
    delete m_moved;
    if (m_window)
        m_window->releaseRenderContext();
    if (m_frame)
        m_frame->release();
}

bool MpvVideoWidget::hasRenderContext() const
{
    return m_frame ? m_frame->hasRenderContext() : m_window && m_window->hasRenderContext();
}

void MpvVideoWidget::drawIn(QWidget* elsewhere)
{
    if (elsewhere == (m_moved ? m_moved->parentWidget() : nullptr) || !m_mpv)
        return;
    // Going, it brings the picture back here.
    delete m_moved;
    if (elsewhere)
        moveAway(elsewhere);
}

bool MpvVideoWidget::isDrawnElsewhere() const
{
    return !m_moved.isNull();
}

void MpvVideoWidget::moveAway(QWidget* elsewhere)
{
    if (m_frame) {
        m_moved = new MpvMovedPicture(m_frame, elsewhere);
        connect(m_moved, &MpvMovedPicture::frameRendered, this, &MpvVideoWidget::frameRendered);
    } else {
        m_moved = new MpvMovedPicture(m_window->context() ? m_window->context()->format()
                                                          : m_window->requestedFormat(),
                                      elsewhere);
    }
    // However it goes (closed, or its window destroyed with it), the picture comes back.
    connect(m_moved, &QObject::destroyed, this, &MpvVideoWidget::comeBack);
    auto* layout = elsewhere->layout() ? elsewhere->layout() : new QVBoxLayout(elsewhere);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_moved);
    m_moved->show();
    if (m_window)
        m_window->drawInto(m_moved->surface());
    update();
}

void MpvVideoWidget::comeBack()
{
    if (m_window)
        m_window->drawInto(nullptr);
    update();
}

void MpvVideoWidget::paintEvent(QPaintEvent* event)
{
    if (m_moved) {
        paintPlaceholder();
    } else if (m_frame) {
        if (paintSoftwareFrame(*m_frame, *this))
            QMetaObject::invokeMethod(this, &MpvVideoWidget::frameRendered, Qt::QueuedConnection);
    } else {
        QWidget::paintEvent(event);
    }
}

void MpvVideoWidget::paintPlaceholder()
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::darkGray);
    painter.drawText(rect(), Qt::AlignCenter, tr("The picture is on the singer screen"));
}

#include "platform/player/view/mpv_video_widget.h"

#include "platform/player/view/mpv_software_frame.h"
#include "platform/player/view/mpv_video_window.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QVBoxLayout>

MpvVideoWidget::MpvVideoWidget(MpvHandleSource mpv, VideoOutput output, QWidget* parent)
    : QWidget(parent), m_output(output)
{
    setFocusPolicy(Qt::StrongFocus);
    if (output == VideoOutput::Software) {
        // Every pixel is painted with each frame: nothing beneath needs drawing first.
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_mpv = std::move(mpv);
        m_frame = new MpvSoftwareFrame(this);
        connect(m_frame, &MpvSoftwareFrame::frameWaiting, this, qOverload<>(&QWidget::update));
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
    if (m_window)
        m_window->releaseRenderContext();
    if (m_frame)
        m_frame->release();
    m_mpv = nullptr;
}

bool MpvVideoWidget::hasRenderContext() const
{
    return m_frame ? m_frame->hasRenderContext() : m_window && m_window->hasRenderContext();
}

void MpvVideoWidget::paintEvent(QPaintEvent* event)
{
    if (m_frame)
        paintSoftwareFrame();
    else
        QWidget::paintEvent(event);
}

void MpvVideoWidget::paintSoftwareFrame()
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    QImage frame = m_frame->render((QSizeF(size()) * ratio).toSize(),
                                   alphaIsRead(painter) ? MpvSoftwareFrame::AlphaByte::Opaque
                                                        : MpvSoftwareFrame::AlphaByte::Unread);
    if (frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    frame.setDevicePixelRatio(ratio);
    painter.drawImage(QPoint(0, 0), frame);
    if (m_frame->takeRenderedNewFrame()) {
        m_frame->reportShown();
        // The backing store reaches the screen when this paint returns: tell then.
        QMetaObject::invokeMethod(this, &MpvVideoWidget::frameRendered, Qt::QueuedConnection);
    }
}

bool MpvVideoWidget::alphaIsRead(QPainter& painter) const
{
    // An ordinary X11 window has no alpha: the server drops the byte of what its backing store
    // hands over, and Qt's grabs of the screen set it to opaque again. Wayland's compositor, a
    // translucent window and a grab of the widget into a pixmap all read it.
    QBackingStore* store = window()->backingStore();
    const bool intoOwnBackingStore = store && painter.paintEngine() &&
                                     painter.paintEngine()->paintDevice() == store->paintDevice();
    return !intoOwnBackingStore || QGuiApplication::platformName() != QLatin1String("xcb") ||
           window()->testAttribute(Qt::WA_TranslucentBackground);
}

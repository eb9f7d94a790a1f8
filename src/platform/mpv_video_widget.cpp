#include "platform/mpv_video_widget.h"

#include "platform/mpv_video_window.h"

#include <QVBoxLayout>

MpvVideoWidget::MpvVideoWidget(MpvHandleSource mpv, QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
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

void MpvVideoWidget::releaseRenderContext()
{
    if (m_window)
        m_window->releaseRenderContext();
}

bool MpvVideoWidget::hasRenderContext() const
{
    return m_window && m_window->hasRenderContext();
}

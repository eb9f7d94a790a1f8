#include "platform/mpv_video_widget.h"

#include "platform/mpv_video_window.h"

#include <QVBoxLayout>

MpvVideoWidget::MpvVideoWidget(mpv_handle* mpv, QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Seen only until the native window is mapped.
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    window_ = new MpvVideoWindow(mpv, this);
    connect(window_, &MpvVideoWindow::renderContextReady, this,
            &MpvVideoWidget::renderContextReady);
    connect(window_, &MpvVideoWindow::frameShown, this, &MpvVideoWidget::frameRendered);
    // A click on the picture focuses it, as it would any widget with a strong focus policy.
    connect(window_, &MpvVideoWindow::pressed, this, [this] { setFocus(Qt::MouseFocusReason); });

    // The container owns the window. It must not take the focus itself: it would hand it to
    // the native window, away from the widgets.
    QWidget* container = QWidget::createWindowContainer(window_, this);
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
    if (window_)
        window_->releaseRenderContext();
}

bool MpvVideoWidget::hasRenderContext() const
{
    return window_ && window_->hasRenderContext();
}

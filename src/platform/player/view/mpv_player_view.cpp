#include "platform/player/view/mpv_player_view.h"

#include "platform/player/view/mpv_video_widget.h"
#include "platform/player/view/player_keys.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <cmath>

MpvPlayerView::MpvPlayerView(MpvHandleSource mpv, VideoOutput output, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("playerView"));
    m_picture = createPicture(std::move(mpv), output);
    m_picture->setObjectName(QStringLiteral("playerVideo"));
    m_picture->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusProxy(m_picture);
    m_picture->installEventFilter(this);
    m_controls = createControls();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_controls);
}

QWidget* MpvPlayerView::createPicture(MpvHandleSource mpv, VideoOutput output)
{
    if (mpv) {
        m_renderedPicture = new MpvVideoWidget(std::move(mpv), output, this);
        return m_renderedPicture;
    }
    auto* placeholder = new QWidget(this);
    placeholder->setFocusPolicy(Qt::StrongFocus);
    placeholder->setAutoFillBackground(true);
    QPalette palette = placeholder->palette();
    palette.setColor(QPalette::Window, Qt::black);
    placeholder->setPalette(palette);
    return placeholder;
}

QWidget* MpvPlayerView::createControls()
{
    auto* controls = new QWidget(this);
    controls->setObjectName(QStringLiteral("playerControls"));
    // Opaque: in full screen the bar lies over the window's own controls.
    controls->setAutoFillBackground(true);
    auto* bar = new QHBoxLayout(controls);
    bar->setContentsMargins(2, 2, 2, 2);
    // The bar never takes the keyboard, so Space keeps reaching the picture.
    m_playPause = new QToolButton(controls);
    m_playPause->setObjectName(QStringLiteral("playerPlayPause"));
    m_playPause->setFocusPolicy(Qt::NoFocus);
    auto* stop = new QToolButton(controls);
    stop->setObjectName(QStringLiteral("playerStop"));
    stop->setFocusPolicy(Qt::NoFocus);
    stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    stop->setToolTip(tr("Stop"));
    m_position = new QSlider(Qt::Horizontal, controls);
    m_position->setObjectName(QStringLiteral("playerPosition"));
    m_position->setFocusPolicy(Qt::NoFocus);
    m_position->setPageStep(10000);
    bar->addWidget(m_playPause);
    bar->addWidget(stop);
    bar->addWidget(m_position, 1);

    connect(m_playPause, &QToolButton::clicked, this, &MpvPlayerView::pauseToggleRequested);
    connect(stop, &QToolButton::clicked, this, &MpvPlayerView::stopRequested);
    connect(m_position, &QSlider::sliderMoved, this,
            [this](int ms) { emit seekRequested(ms / 1000.0); });
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        // Clicks on the groove; dragging is handled by sliderMoved.
        if (action != QAbstractSlider::SliderMove)
            emit seekRequested(m_position->sliderPosition() / 1000.0);
    });
    return controls;
}

void MpvPlayerView::setControlsVisible(bool visible)
{
    m_controls->setVisible(visible);
}

void MpvPlayerView::showProgress(bool playing, double durationSeconds, double positionSeconds)
{
    if (m_controls->isHidden())
        return;
    // Only on change: setIcon re-lays out the bar and everything around the view.
    if (m_barShowsPause != playing) {
        m_barShowsPause = playing;
        m_playPause->setIcon(
            style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
        m_playPause->setToolTip(playing ? tr("Pause") : tr("Play"));
    }
    if (!m_position->isSliderDown()) {
        const auto toMs = [](double seconds) { return int(std::lround(seconds * 1000.0)); };
        m_position->setRange(0, toMs(durationSeconds));
        m_position->setValue(toMs(positionSeconds));
    }
}

bool MpvPlayerView::focusPicture()
{
    if (!m_picture->isEnabled() || !m_picture->isVisible())
        return false;
    m_picture->setFocus(Qt::OtherFocusReason);
    // An inactive window keeps the focus widget for when it is activated again.
    return m_picture->window()->focusWidget() == m_picture;
}

QSizeF MpvPlayerView::pictureSizeInPixels() const
{
    return QSizeF(m_picture->size()) * m_picture->devicePixelRatioF();
}

bool MpvPlayerView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture && event->type() == QEvent::Resize)
        emit pictureResized();
    return QWidget::eventFilter(watched, event);
}

void MpvPlayerView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit shown();
}

void MpvPlayerView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && isPlayerKey(event)) {
        if (!event->isAutoRepeat())
            emit pauseToggleRequested();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

#pragma once

#include "platform/player/mpv/mpv_handle.h"
#include "platform/player/view/video_output.h"

#include <QWidget>
#include <optional>

class MpvVideoWidget;
class QSlider;
class QToolButton;

// The widget the player hands out as its videoWidget(): the picture on top, the player's own
// control bar (play/pause, stop, position) below. Space toggles pause while the view or the
// picture has the focus; key events the picture ignores arrive here.
class MpvPlayerView : public QWidget {
    Q_OBJECT
public:
    // With `mpv` (initialised with vo=libmpv) mpv draws the picture, by `output`; without it
    // the picture is a black placeholder.
    explicit MpvPlayerView(MpvHandleSource mpv, VideoOutput output = VideoOutput::OpenGl,
                           QWidget* parent = nullptr);

    // The picture mpv draws into, or null for the placeholder.
    MpvVideoWidget* renderedPicture() const { return m_renderedPicture; }
    void setControlsVisible(bool visible);
    // Brings the bar up to date while it is shown.
    void showProgress(bool playing, double durationSeconds, double positionSeconds);
    // Gives the picture the keyboard; false when it cannot take it.
    bool focusPicture();
    // The area the picture is drawn in, in device pixels.
    QSizeF pictureSizeInPixels() const;

signals:
    void shown();
    void pauseToggleRequested();
    void stopRequested();
    void seekRequested(double seconds);
    void pictureResized();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createPicture(MpvHandleSource mpv, VideoOutput output);
    QWidget* createControls();

    QWidget* m_picture = nullptr;
    MpvVideoWidget* m_renderedPicture = nullptr;
    QWidget* m_controls = nullptr;
    QToolButton* m_playPause = nullptr;
    QSlider* m_position = nullptr;
    std::optional<bool> m_barShowsPause;
};

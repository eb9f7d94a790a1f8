#pragma once

#include "platform/player/mpv/mpv_handle.h"
#include "platform/player/view/video_output.h"

#include <QPointer>
#include <QWidget>

class MpvMovedPicture;
class MpvSoftwareFrame;
class MpvVideoWindow;

// The picture as a widget: takes the keyboard focus for the video, and shows what mpv draws
// in one of two ways. With OpenGL it hosts the native window mpv draws into (MpvVideoWindow),
// which fills it; like any native child window, that picture stacks above sibling widgets
// that overlap it. In software it paints the frames mpv renders into memory itself, as any
// widget paints. Keys typed while the picture has the focus arrive here as ordinary widget key
// events.
class MpvVideoWidget : public QWidget {
    Q_OBJECT
public:
    // mpv must have been initialised with vo=libmpv and must outlive the render context;
    // the owner calls releaseRenderContext() before destroying it.
    MpvVideoWidget(MpvHandleSource mpv, VideoOutput output, QWidget* parent = nullptr);
    ~MpvVideoWidget() override;

    VideoOutput output() const { return m_output; }
    // The player's handle is ready: a software picture creates its render context now, with
    // no window or OpenGL to wait for. The OpenGL picture creates its own when first shown.
    void mpvReady();
    // Frees the render context (making the GL context current for it) and forgets mpv.
    void releaseRenderContext();
    bool hasRenderContext() const;

    // Draws the picture in `elsewhere` (a widget of another window: the singer screen), filling
    // it, and only there; null brings it back here. This widget shows a quiet caption on black
    // meanwhile. libmpv allows one render context per handle: in software the one frame is
    // rendered at the other widget's size instead of this one's; with OpenGL the GL window here
    // draws into a native surface there, with its own GL context and render context.
    void drawIn(QWidget* elsewhere);
    bool isDrawnElsewhere() const;

signals:
    // mpv can now open video: the render context exists.
    void renderContextReady();
    // A frame mpv announced as new is on the screen.
    void frameRendered();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPlaceholder();
    void moveAway(QWidget* elsewhere);
    void comeBack();

    VideoOutput m_output;
    MpvHandleSource m_mpv;
    QPointer<MpvMovedPicture> m_moved;
    QPointer<MpvVideoWindow> m_window;
    MpvSoftwareFrame* m_frame = nullptr;
};

#pragma once

#include "platform/player/mpv/mpv_handle.h"

#include <QOpenGLWindow>
#include <QPointer>
#include <atomic>

class QWidget;

// Draws mpv's video through the render API straight into a native window's own default
// framebuffer: no intermediate texture, and nothing else of the top-level window is redrawn or
// swapped with each video frame. Embedded in a widget through QWidget::createWindowContainer.
// The window never takes the keyboard; key events that reach it anyway are passed on to the
// widget it belongs to, so that the widget side sees every key.
class MpvVideoWindow : public QOpenGLWindow {
    Q_OBJECT
public:
    // mpv must have been initialised with vo=libmpv and must outlive the render context;
    // the owner calls releaseRenderContext() before destroying it.
    MpvVideoWindow(MpvHandleSource mpv, QWidget* keyTarget);
    ~MpvVideoWindow() override;

    // Frees the render context (making the GL context current for it) and forgets mpv.
    void releaseRenderContext();
    bool hasRenderContext() const { return m_render != nullptr; }
    // Draws mpv's frames into `target`, a window of OpenGL surface type elsewhere (the singer
    // screen's), with this window's GL context and render context, and shows black itself; null
    // draws here again. Freeing the render context to create one there instead would stop the
    // video: mpv drops the video track with the render context it was drawn through.
    void drawInto(QWindow* target);

signals:
    // mpv can now open video: the GL context exists (the window has been exposed).
    void renderContextReady();
    // A frame mpv announced as new has been drawn and swapped to the screen.
    void frameShown();
    // A mouse button went down on the picture.
    void pressed();

protected:
    void initializeGL() override;
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void onMpvUpdate(void* window);
    void processMpvUpdate();
    void onFrameSwapped();
    void freeRenderContext();
    void createRenderContext();
    void renderInto(QWindow* surface, int fbo);
    void drawTarget();
    void forwardKey(QKeyEvent* event);

    MpvHandleSource m_mpv;
    QPointer<QWidget> m_keyTarget;
    MpvRenderContextPtr m_render;
    QPointer<QWindow> m_target;
    bool m_frameWaiting = false;
    bool m_frameDrawn = false;
    // Coalesces update notifications from mpv's render thread into one queued call.
    std::atomic<bool> m_updateQueued{false};
};

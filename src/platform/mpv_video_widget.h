#pragma once

#include "platform/mpv_handle.h"

#include <QOpenGLWidget>
#include <atomic>

// Draws mpv's video through the render API into the widget's own framebuffer. The widget
// must keep its top-level window: moving it to another one recreates the GL context, and
// the picture only comes back after mpv delivers the next frame.
class MpvVideoWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    // mpv must have been initialised with vo=libmpv and must outlive the render context;
    // the owner calls releaseRenderContext() before destroying it.
    explicit MpvVideoWidget(mpv_handle* mpv, QWidget* parent = nullptr);
    ~MpvVideoWidget() override;

    // Frees the render context (making the GL context current for it) and forgets mpv.
    void releaseRenderContext();
    bool hasRenderContext() const { return render_ != nullptr; }

signals:
    // mpv can now open video: the GL context exists (the widget has been shown).
    void renderContextReady();
    // A frame mpv announced as new has been drawn.
    void frameRendered();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onMpvUpdate(void* widget);
    void processMpvUpdate();
    void freeRenderContext();

    mpv_handle* mpv_;
    MpvRenderContextPtr render_;
    bool frameWaiting_ = false;
    // Coalesces update notifications from mpv's render thread into one queued call.
    std::atomic<bool> updateQueued_{false};
};

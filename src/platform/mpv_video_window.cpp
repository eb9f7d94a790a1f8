#include "platform/mpv_video_window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWidget>
#include <mpv/render_gl.h>

namespace {

void* getProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

} // namespace

MpvVideoWindow::MpvVideoWindow(mpv_handle* mpv, QWidget* keyTarget)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), mpv_(mpv), keyTarget_(keyTarget)
{
    // The keyboard stays with the top-level window, where the widgets' shortcuts and key
    // filters live; a focused native child would see the keys first.
    setFlag(Qt::WindowDoesNotAcceptFocus);
    connect(this, &QOpenGLWindow::frameSwapped, this, &MpvVideoWindow::onFrameSwapped);
}

MpvVideoWindow::~MpvVideoWindow()
{
    releaseRenderContext();
}

void MpvVideoWindow::releaseRenderContext()
{
    if (render_) {
        // Works without the native window too: QOpenGLWindow then uses an offscreen surface.
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    }
    mpv_ = nullptr;
}

void MpvVideoWindow::freeRenderContext()
{
    if (!render_)
        return;
    mpv_render_context_set_update_callback(render_.get(), nullptr, nullptr);
    render_.reset();
}

void MpvVideoWindow::initializeGL()
{
    // The render context holds GL objects of this context, so it has to go first, with the
    // context current.
    connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            if (!render_)
                return;
            makeCurrent();
            freeRenderContext();
            doneCurrent();
        },
        Qt::DirectConnection);

    if (!mpv_ || render_)
        return;
    mpv_opengl_init_params glInit{&getProcAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* created = nullptr;
    if (mpv_render_context_create(&created, mpv_, params) < 0) {
        qWarning("mpv: could not create the OpenGL render context; video stays black");
        return;
    }
    render_.reset(created);
    mpv_render_context_set_update_callback(render_.get(), &MpvVideoWindow::onMpvUpdate, this);
    emit renderContextReady();
}

void MpvVideoWindow::onMpvUpdate(void* window)
{
    // Runs on one of mpv's threads: only hand over to the GUI thread. Posted calls die with
    // the window, and the callback is cleared before the render context is freed.
    auto* self = static_cast<MpvVideoWindow*>(window);
    if (!self->updateQueued_.exchange(true))
        QMetaObject::invokeMethod(self, &MpvVideoWindow::processMpvUpdate, Qt::QueuedConnection);
}

void MpvVideoWindow::processMpvUpdate()
{
    updateQueued_ = false;
    if (!render_)
        return;
    if (mpv_render_context_update(render_.get()) & MPV_RENDER_UPDATE_FRAME) {
        frameWaiting_ = true;
        update();
    }
}

void MpvVideoWindow::paintGL()
{
    if (!render_) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatio();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_.get(), params);
    if (frameWaiting_) {
        frameWaiting_ = false;
        frameDrawn_ = true;
    }
}

void MpvVideoWindow::onFrameSwapped()
{
    // Lets mpv time its frame presentation against the real swaps.
    if (render_)
        mpv_render_context_report_swap(render_.get());
    if (frameDrawn_) {
        frameDrawn_ = false;
        emit frameShown();
    }
}

void MpvVideoWindow::forwardKey(QKeyEvent* event)
{
    if (keyTarget_)
        QCoreApplication::sendEvent(keyTarget_, event);
    else
        event->ignore();
}

void MpvVideoWindow::keyPressEvent(QKeyEvent* event)
{
    forwardKey(event);
}

void MpvVideoWindow::keyReleaseEvent(QKeyEvent* event)
{
    forwardKey(event);
}

void MpvVideoWindow::mousePressEvent(QMouseEvent* event)
{
    emit pressed();
    QOpenGLWindow::mousePressEvent(event);
}

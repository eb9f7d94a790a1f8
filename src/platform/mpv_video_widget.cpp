#include "platform/mpv_video_widget.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <mpv/render_gl.h>

namespace {

void* getProcAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

} // namespace

MpvVideoWidget::MpvVideoWidget(mpv_handle* mpv, QWidget* parent) : QOpenGLWidget(parent), mpv_(mpv)
{
    setFocusPolicy(Qt::StrongFocus);
    // Lets mpv time its frame presentation against the real swaps.
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (render_)
            mpv_render_context_report_swap(render_.get());
    });
}

MpvVideoWidget::~MpvVideoWidget()
{
    releaseRenderContext();
}

void MpvVideoWidget::releaseRenderContext()
{
    if (render_) {
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    }
    mpv_ = nullptr;
}

void MpvVideoWidget::freeRenderContext()
{
    if (!render_)
        return;
    mpv_render_context_set_update_callback(render_.get(), nullptr, nullptr);
    render_.reset();
}

void MpvVideoWidget::initializeGL()
{
    // The context goes away with the widget or when it changes top-level window; the
    // render context holds GL objects of it, so it has to go first, with it current.
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
    mpv_render_context_set_update_callback(render_.get(), &MpvVideoWidget::onMpvUpdate, this);
    emit renderContextReady();
}

void MpvVideoWidget::onMpvUpdate(void* widget)
{
    // Runs on one of mpv's threads: only hand over to the GUI thread. Posted calls die with
    // the widget, and the callback is cleared before the render context is freed.
    auto* self = static_cast<MpvVideoWidget*>(widget);
    if (!self->updateQueued_.exchange(true))
        QMetaObject::invokeMethod(self, &MpvVideoWidget::processMpvUpdate, Qt::QueuedConnection);
}

void MpvVideoWidget::processMpvUpdate()
{
    updateQueued_ = false;
    if (!render_)
        return;
    if (mpv_render_context_update(render_.get()) & MPV_RENDER_UPDATE_FRAME) {
        frameWaiting_ = true;
        update();
    }
}

void MpvVideoWidget::paintGL()
{
    if (!render_) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
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
        emit frameRendered();
    }
}

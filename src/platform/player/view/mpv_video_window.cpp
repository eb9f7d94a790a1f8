#include "platform/player/view/mpv_video_window.h"
#include "diagnostics/diagnostics.h"

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

MpvVideoWindow::MpvVideoWindow(MpvHandleSource mpv, QWidget* keyTarget)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), m_mpv(std::move(mpv)), m_keyTarget(keyTarget)
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
    if (m_render) {
        // Works without the native window too: QOpenGLWindow then uses an offscreen surface.
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    }
    m_mpv = nullptr;
}

void MpvVideoWindow::drawInto(QWindow* target)
{
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = target;
    if (m_target)
        m_target->installEventFilter(this);
    update();
    drawTarget();
}

bool MpvVideoWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Uncovered or resized, the target needs the picture again.
    if (watched == m_target && (event->type() == QEvent::Expose || event->type() == QEvent::Resize))
        QMetaObject::invokeMethod(this, &MpvVideoWindow::drawTarget, Qt::QueuedConnection);
    return QOpenGLWindow::eventFilter(watched, event);
}

void MpvVideoWindow::drawTarget()
{
    QOpenGLContext* gl = context();
    if (!m_target || !m_render || !gl || !m_target->isExposed())
        return;
    if (!gl->makeCurrent(m_target))
        return;
    renderInto(m_target, int(gl->defaultFramebufferObject()));
    gl->swapBuffers(m_target);
    onFrameSwapped();
}

void MpvVideoWindow::freeRenderContext()
{
    if (!m_render)
        return;
    mpv_render_context_set_update_callback(m_render.get(), nullptr, nullptr);
    m_render.reset();
}

void MpvVideoWindow::initializeGL()
{
    // The render context holds GL objects of this context, so it has to go first, with the
    // context current.
    connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            if (!m_render)
                return;
            makeCurrent();
            freeRenderContext();
            doneCurrent();
        },
        Qt::DirectConnection);

    createRenderContext();
}

void MpvVideoWindow::createRenderContext()
{
    if (m_render || !m_mpv)
        return;
    mpv_handle* mpv = m_mpv();
    if (!mpv)
        return;
    mpv_opengl_init_params glInit{&getProcAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    Diagnostics::mark("GL: creating the render context");
    mpv_render_context* created = nullptr;
    if (mpv_render_context_create(&created, mpv, params) < 0) {
        qWarning("mpv: could not create the OpenGL render context; video stays black");
        return;
    }
    m_render.reset(created);
    mpv_render_context_set_update_callback(m_render.get(), &MpvVideoWindow::onMpvUpdate, this);
    Diagnostics::mark("GL: render context ready");
    emit renderContextReady();
}

void MpvVideoWindow::onMpvUpdate(void* window)
{
    // The callback is cleared before the render context is freed.
    auto* self = static_cast<MpvVideoWindow*>(window);
    queueRenderUpdate(self, self->m_updateQueued, &MpvVideoWindow::processMpvUpdate);
}

void MpvVideoWindow::processMpvUpdate()
{
    m_updateQueued = false;
    if (!m_render)
        return;
    if (mpv_render_context_update(m_render.get()) & MPV_RENDER_UPDATE_FRAME) {
        m_frameWaiting = true;
        if (m_target)
            drawTarget();
        else
            update();
    }
}

void MpvVideoWindow::paintGL()
{
    if (!m_render || m_target) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    renderInto(this, int(defaultFramebufferObject()));
}

void MpvVideoWindow::renderInto(QWindow* surface, int fbo)
{
    const qreal ratio = surface->devicePixelRatio();
    mpv_opengl_fbo target{fbo, static_cast<int>(surface->width() * ratio),
                          static_cast<int>(surface->height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &target},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render.get(), params);
    if (m_frameWaiting) {
        m_frameWaiting = false;
        m_frameDrawn = true;
    }
}

void MpvVideoWindow::onFrameSwapped()
{
    // Lets mpv time its frame presentation against the real swaps.
    if (m_render)
        mpv_render_context_report_swap(m_render.get());
    if (m_frameDrawn) {
        m_frameDrawn = false;
        emit frameShown();
    }
}

void MpvVideoWindow::forwardKey(QKeyEvent* event)
{
    if (m_keyTarget)
        QCoreApplication::sendEvent(m_keyTarget, event);
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

#include "platform/player/view/mpv_software_frame.h"

#include "diagnostics/diagnostics.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

namespace {

Q_LOGGING_CATEGORY(lcSoftwareFrame, "tamrel.mpv.software")

// mpv's scalers take their fast paths with rows and buffers on 64-byte boundaries.
constexpr qsizetype kAlignment = 64;

qsizetype alignedStride(int width)
{
    const qsizetype bytes = qsizetype(width) * 4;
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

// Whether what `painter` paints into reads the fourth byte of the picture's pixels.
bool alphaIsRead(QPainter& painter, const QWidget& widget)
{
    // An ordinary X11 window has no alpha: the server drops the byte of what its backing store
    // hands over, and Qt's grabs of the screen set it to opaque again. Wayland's compositor, a
    // translucent window and a grab of the widget into a pixmap all read it.
    QBackingStore* store = widget.window()->backingStore();
    const bool intoOwnBackingStore = store && painter.paintEngine() &&
                                     painter.paintEngine()->paintDevice() == store->paintDevice();
    return !intoOwnBackingStore || QGuiApplication::platformName() != QLatin1String("xcb") ||
           widget.window()->testAttribute(Qt::WA_TranslucentBackground);
}

} // namespace

MpvSoftwareFrame::MpvSoftwareFrame(QObject* parent) : QObject(parent) {}

MpvSoftwareFrame::~MpvSoftwareFrame()
{
    release();
}

bool MpvSoftwareFrame::create(mpv_handle* mpv)
{
    if (m_render)
        return true;
    if (!mpv)
        return false;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    Diagnostics::mark("software picture: creating the render context");
    mpv_render_context* created = nullptr;
    if (mpv_render_context_create(&created, mpv, params) < 0) {
        qCWarning(lcSoftwareFrame, "mpv refused a software render context; video stays black");
        return false;
    }
    m_render.reset(created);
    mpv_render_context_set_update_callback(m_render.get(), &MpvSoftwareFrame::onMpvUpdate, this);
    Diagnostics::mark("software picture: render context ready");
    return true;
}

void MpvSoftwareFrame::release()
{
    if (!m_render)
        return;
    mpv_render_context_set_update_callback(m_render.get(), nullptr, nullptr);
    m_render.reset();
    m_newFrame = NewFrame::None;
    m_buffer = Buffer::Empty;
}

void MpvSoftwareFrame::onMpvUpdate(void* frame)
{
    // The callback is cleared before the render context is freed.
    auto* self = static_cast<MpvSoftwareFrame*>(frame);
    queueRenderUpdate(self, self->m_updateQueued, &MpvSoftwareFrame::processMpvUpdate);
}

void MpvSoftwareFrame::processMpvUpdate()
{
    m_updateQueued = false;
    if (!m_render)
        return;
    // Any notification may change the picture (a seek or a new zoom while paused), but only
    // one that announces a frame counts as a new frame shown.
    if ((mpv_render_context_update(m_render.get()) & MPV_RENDER_UPDATE_FRAME) != 0)
        m_newFrame = NewFrame::Announced;
    m_stale = true;
    emit frameWaiting();
}

bool MpvSoftwareFrame::ensureBuffer(QSize size)
{
    if (size == m_size && m_pixels)
        return true;
    const qsizetype stride = alignedStride(size.width());
    // aligned_alloc wants a size that is a multiple of the alignment: the stride is one.
    void* pixels = std::aligned_alloc(kAlignment, size_t(stride) * size_t(size.height()));
    if (!pixels)
        return false;
    m_pixels.reset(static_cast<uchar*>(pixels));
    m_buffer = Buffer::Empty;
    m_size = size;
    m_stride = stride;
    return true;
}

QImage MpvSoftwareFrame::render(QSize size, AlphaByte alpha)
{
    if (!m_render || size.isEmpty())
        return {};
    // Painted again without a new frame (exposed, overlapped): the last rendering stands.
    const bool sameBuffer = m_buffer != Buffer::Empty && size == m_size;
    if (!sameBuffer && !ensureBuffer(size))
        return {};
    if (sameBuffer && !m_stale) {
        if (alpha == AlphaByte::Opaque && m_buffer != Buffer::Opaque)
            makeOpaque();
        return image();
    }
    m_stale = false;
    int dimensions[2] = {size.width(), size.height()};
    // Bytes blue, green, red, unused: QImage's RGB32 on a little-endian machine, which the
    // window's backing store takes without conversion.
    const char* format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "bgr0" : "0rgb";
    size_t stride = size_t(m_stride);
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, dimensions},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(format)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, m_pixels.get()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(m_render.get(), params) < 0) {
        m_buffer = Buffer::Empty;
        return {};
    }
    m_buffer = Buffer::Rendered;
    // A pass over every pixel, as costly as a copy of the picture: only where it is read.
    if (alpha == AlphaByte::Opaque)
        makeOpaque();
    if (m_newFrame == NewFrame::Announced)
        m_newFrame = NewFrame::Rendered;
    return image();
}

void MpvSoftwareFrame::makeOpaque()
{
    // mpv leaves the fourth byte undefined, but RGB32 promises 0xff there: the raster engine
    // copies such pixels as they are into a backing store with alpha (Wayland's), where a zero
    // makes the picture transparent.
    for (int y = 0; y < m_size.height(); ++y) {
        auto* pixel = reinterpret_cast<quint32*>(m_pixels.get() + y * m_stride);
        for (int x = 0; x < m_size.width(); ++x)
            pixel[x] |= 0xff000000u;
    }
    m_buffer = Buffer::Opaque;
}

QImage MpvSoftwareFrame::image() const
{
    return QImage(m_pixels.get(), m_size.width(), m_size.height(), m_stride, QImage::Format_RGB32);
}

bool MpvSoftwareFrame::takeRenderedNewFrame()
{
    if (m_newFrame != NewFrame::Rendered)
        return false;
    m_newFrame = NewFrame::None;
    return true;
}

void MpvSoftwareFrame::reportShown()
{
    if (m_render)
        mpv_render_context_report_swap(m_render.get());
}

bool paintSoftwareFrame(MpvSoftwareFrame& frame, QWidget& widget)
{
    QPainter painter(&widget);
    const qreal ratio = widget.devicePixelRatioF();
    QImage picture =
        frame.render((QSizeF(widget.size()) * ratio).toSize(),
                     alphaIsRead(painter, widget) ? MpvSoftwareFrame::AlphaByte::Opaque
                                                  : MpvSoftwareFrame::AlphaByte::Unread);
    if (picture.isNull()) {
        painter.fillRect(widget.rect(), Qt::black);
        return false;
    }
    picture.setDevicePixelRatio(ratio);
    painter.drawImage(QPoint(0, 0), picture);
    if (!frame.takeRenderedNewFrame())
        return false;
    frame.reportShown();
    return true;
}

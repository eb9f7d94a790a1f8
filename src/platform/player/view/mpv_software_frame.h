#pragma once

#include "platform/player/mpv/mpv_handle.h"

#include <QImage>
#include <QObject>
#include <atomic>
#include <cstdlib>
#include <memory>

class QWidget;

// mpv's video drawn into memory by the render API's software renderer, for a widget to paint.
// Needs no OpenGL at all: where the only OpenGL is Mesa's software rasteriser (no GPU, a
// virtual X server), scaling the picture on the CPU costs less than rasterising it, and the
// start does not wait for the OpenGL libraries to load and compile their shaders.
// Lives on the GUI thread; every call renders there.
class MpvSoftwareFrame : public QObject {
    Q_OBJECT
public:
    explicit MpvSoftwareFrame(QObject* parent = nullptr);
    ~MpvSoftwareFrame() override;

    // Creates the render context on `mpv` (initialised with vo=libmpv); false on failure.
    bool create(mpv_handle* mpv);
    // Frees the render context, which must go before the mpv handle it belongs to.
    void release();
    bool hasRenderContext() const { return m_render != nullptr; }

    // What the fourth byte of each pixel must hold: 0xff, as RGB32 promises, where the picture
    // goes into a backing store with an alpha channel (Wayland's); nothing in particular where
    // it goes into one without (an X11 window's), which copies the byte along unread.
    enum class AlphaByte { Opaque, Unread };

    // mpv's current picture at `size` device pixels (black before the first frame); null for
    // an empty size or without a render context. Valid until the next call.
    QImage render(QSize size, AlphaByte alpha = AlphaByte::Opaque);
    // Whether a frame mpv announced as new has been rendered since the last call.
    bool takeRenderedNewFrame();
    // Lets mpv time its frames against the moments they reach the screen.
    void reportShown();

signals:
    // mpv has a new frame: the widget should paint, which renders it.
    void frameWaiting();

private:
    struct FreeDeleter {
        void operator()(void* data) const { std::free(data); }
    };
    static void onMpvUpdate(void* frame);
    void processMpvUpdate();
    bool ensureBuffer(QSize size);
    void makeOpaque();
    QImage image() const;

    // What the buffer holds: nothing yet, mpv's picture at m_size, then that picture with 0xff
    // in every pixel's fourth byte.
    enum class Buffer { Empty, Rendered, Opaque };
    // A new frame on its way to the screen: announced by mpv, rendered, then taken by
    // takeRenderedNewFrame. A frame announced before the last one was taken stands for both:
    // the widget takes each rendering at once.
    enum class NewFrame { None, Announced, Rendered };

    MpvRenderContextPtr m_render;
    std::unique_ptr<uchar, FreeDeleter> m_pixels;
    QSize m_size;
    qsizetype m_stride = 0;
    Buffer m_buffer = Buffer::Empty;
    NewFrame m_newFrame = NewFrame::None;
    // Apart from both: mpv asked for a redraw since the last rendering, a new frame or not.
    bool m_stale = false;
    // Coalesces update notifications from mpv's threads into one queued call.
    std::atomic<bool> m_updateQueued{false};
};

// Paints `frame`'s current picture over the whole of `widget`, from the widget's paintEvent
// (black before the first frame). True when that is a frame mpv announced as new: it reaches
// the screen once the paint returns, and has been reported to mpv as shown.
bool paintSoftwareFrame(MpvSoftwareFrame& frame, QWidget& widget);

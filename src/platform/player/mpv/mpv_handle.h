#pragma once

#include <QMetaObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mpv/client.h>
#include <mpv/render.h>

// Owning handles for the libmpv resources, so every exit path releases them.

struct MpvHandleDeleter {
    void operator()(mpv_handle* handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandlePtr = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

// Must be released while the OpenGL context it was created in is current, and before the
// mpv_handle it belongs to is destroyed.
struct MpvRenderContextDeleter {
    void operator()(mpv_render_context* context) const { mpv_render_context_free(context); }
};
using MpvRenderContextPtr = std::unique_ptr<mpv_render_context, MpvRenderContextDeleter>;

// Strings libmpv hands out (mpv_get_property_string and the like).
struct MpvFreeDeleter {
    void operator()(char* data) const { mpv_free(data); }
};
using MpvStringPtr = std::unique_ptr<char, MpvFreeDeleter>;

// Hands out the player's mpv handle, which may still be in the making on another thread: the
// first call waits for it. Gives nullptr when libmpv could not be set up.
using MpvHandleSource = std::function<mpv_handle*()>;

// mpv calls a render context's update callback on one of its threads. This hands the call to
// `receiver`'s thread, one at a time however often mpv calls: `queued` is set here and cleared
// by `handler` when it runs. Calls still queued die with the receiver.
template <class Receiver>
void queueRenderUpdate(Receiver* receiver, std::atomic<bool>& queued, void (Receiver::*handler)())
{
    if (!queued.exchange(true))
        QMetaObject::invokeMethod(receiver, handler, Qt::QueuedConnection);
}

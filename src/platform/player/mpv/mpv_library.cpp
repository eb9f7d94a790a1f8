// libmpv is opened at run time rather than linked: its two hundred libraries take the
// dynamic loader longer than everything else the program needs, and loaded on a thread
// they no longer stand between the process start and main(). The mpv_* functions the
// program calls are defined here and forward to the library once it is open, so the rest
// of the program uses the ordinary libmpv interface. The first call opens the library;
// the player makes that call on the thread that creates its handle.
//
// Most of that loading time goes to symbol lookups: the loader looks every symbol up along
// the list of loaded libraries, one library after the other, and libmpv's own dependency
// order puts the C library and the most used ones far down a list of over two hundred. The
// build therefore writes a load-order library (dist/mpv-load-order): it has no code, only
// needs libmpv and its libraries, listed by how many lookups each answers. Opened as the
// root of its own lookup scope, it binds the same symbols in a fraction of the steps.
//
// It is opened in one call, which holds the loader's lock for all of its hundred milliseconds.
// Opening its libraries one at a time (each after those it needs), so that the window could
// load its plugins in between, was slower on both ends: one at a time each library binds along
// its own dependency list instead of the load order, and a thread that takes the lock again at
// once keeps a waiting one out; with pauses between libraries the window went ahead but libmpv
// was ready later.

#include "diagnostics/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/stream_cb.h>
#include <string>
#include <type_traits>
#include <unistd.h>

// Every libmpv function the program calls. A new call elsewhere needs its line here and a
// forwarding definition below; the linker says so when one is missing.
#define TAMREL_MPV_FUNCTIONS(X)                                                                    \
    X(mpv_command)                                                                                 \
    X(mpv_command_async)                                                                           \
    X(mpv_command_node_async)                                                                      \
    X(mpv_command_ret)                                                                             \
    X(mpv_create)                                                                                  \
    X(mpv_error_string)                                                                            \
    X(mpv_free)                                                                                    \
    X(mpv_free_node_contents)                                                                      \
    X(mpv_get_property)                                                                            \
    X(mpv_get_property_async)                                                                      \
    X(mpv_get_property_string)                                                                     \
    X(mpv_initialize)                                                                              \
    X(mpv_observe_property)                                                                        \
    X(mpv_render_context_create)                                                                   \
    X(mpv_render_context_free)                                                                     \
    X(mpv_render_context_render)                                                                   \
    X(mpv_render_context_report_swap)                                                              \
    X(mpv_render_context_set_update_callback)                                                      \
    X(mpv_render_context_update)                                                                   \
    X(mpv_request_log_messages)                                                                    \
    X(mpv_set_option_string)                                                                       \
    X(mpv_set_property_async)                                                                      \
    X(mpv_set_wakeup_callback)                                                                     \
    X(mpv_stream_cb_add_ro)                                                                        \
    X(mpv_terminate_destroy)                                                                       \
    X(mpv_wait_event)

namespace {

struct MpvFunctions {
#define TAMREL_MPV_SLOT(name) decltype(&::name) name = nullptr;
    TAMREL_MPV_FUNCTIONS(TAMREL_MPV_SLOT)
#undef TAMREL_MPV_SLOT
};

constexpr const char* kLoadOrderLibrary = "libtamrel-mpv-order.so";

// Beside the program, in the build tree and installed alike.
std::string loadOrderLibraryPath()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    const std::string program(self, std::size_t(length));
    const std::string candidate = program.substr(0, program.rfind('/') + 1) + kLoadOrderLibrary;
    return access(candidate.c_str(), R_OK) == 0 ? candidate : std::string();
}

// libmpv's libraries look their symbols up among themselves before the program's, as they do
// in mpv itself. Not where the allocator is interposed (the sanitizers, a heap profiler
// through LD_PRELOAD): those libraries would then allocate from the C library behind the
// interposer's back.
int openFlags()
{
#ifndef __SANITIZE_ADDRESS__
    if (!std::getenv("LD_PRELOAD"))
        return RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND;
#endif
    return RTLD_NOW | RTLD_LOCAL;
}

void* openAnyLibmpv()
{
    const int flags = openFlags();
    // A load-order library that no longer loads (a library it names was replaced since the
    // build) leaves libmpv to be opened the ordinary way.
    if (const std::string ordered = loadOrderLibraryPath(); !ordered.empty()) {
        if (void* library = dlopen(ordered.c_str(), flags)) {
            Diagnostics::mark("libmpv opened in load order");
            return library;
        }
        std::fprintf(stderr, "tamrel-vcd-player: %s\n", dlerror());
    }
    for (const char* name : {"libmpv.so.2", "libmpv.so.1", "libmpv.so"})
        if (void* library = dlopen(name, flags))
            return library;
    return nullptr;
}

// The library stays open for the life of the process: the player's threads run its code
// until exit.
const MpvFunctions* openLibrary()
{
    void* library = openAnyLibmpv();
    if (!library) {
        std::fprintf(stderr, "tamrel-vcd-player: libmpv cannot be opened: %s\n", dlerror());
        return nullptr;
    }
    static MpvFunctions functions;
    bool complete = true;
#define TAMREL_MPV_LOOKUP(name)                                                                    \
    functions.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                   \
    if (!functions.name) {                                                                         \
        std::fprintf(stderr, "tamrel-vcd-player: libmpv lacks %s\n", #name);                       \
        complete = false;                                                                          \
    }
    TAMREL_MPV_FUNCTIONS(TAMREL_MPV_LOOKUP)
#undef TAMREL_MPV_LOOKUP
    Diagnostics::mark("libmpv opened");
    return complete ? &functions : nullptr;
}

// Opened once, by whichever thread calls first; the others wait for it.
const MpvFunctions* functions()
{
    static const MpvFunctions* const library = openLibrary();
    return library;
}

// Calls the library's function, or answers as libmpv does for a handle it cannot serve.
template <typename Slot, typename... Args> auto forward(Slot slot, Args... args)
{
    const MpvFunctions* library = functions();
    using Result = decltype((library->*slot)(args...));
    if (library)
        return (library->*slot)(args...);
    if constexpr (std::is_same_v<Result, int>)
        return int(MPV_ERROR_UNINITIALIZED);
    else if constexpr (!std::is_void_v<Result>)
        return Result{};
}

} // namespace

extern "C" {

int mpv_command(mpv_handle* ctx, const char** args)
{
    return forward(&MpvFunctions::mpv_command, ctx, args);
}
int mpv_command_async(mpv_handle* ctx, uint64_t reply_userdata, const char** args)
{
    return forward(&MpvFunctions::mpv_command_async, ctx, reply_userdata, args);
}
int mpv_command_node_async(mpv_handle* ctx, uint64_t reply_userdata, mpv_node* args)
{
    return forward(&MpvFunctions::mpv_command_node_async, ctx, reply_userdata, args);
}
int mpv_command_ret(mpv_handle* ctx, const char** args, mpv_node* result)
{
    return forward(&MpvFunctions::mpv_command_ret, ctx, args, result);
}
mpv_handle* mpv_create(void)
{
    return forward(&MpvFunctions::mpv_create);
}
const char* mpv_error_string(int error)
{
    const char* text = forward(&MpvFunctions::mpv_error_string, error);
    return text ? text : "libmpv is not available";
}
void mpv_free(void* data)
{
    forward(&MpvFunctions::mpv_free, data);
}
void mpv_free_node_contents(mpv_node* node)
{
    forward(&MpvFunctions::mpv_free_node_contents, node);
}
int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data)
{
    return forward(&MpvFunctions::mpv_get_property, ctx, name, format, data);
}
int mpv_get_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name,
                           mpv_format format)
{
    return forward(&MpvFunctions::mpv_get_property_async, ctx, reply_userdata, name, format);
}
char* mpv_get_property_string(mpv_handle* ctx, const char* name)
{
    return forward(&MpvFunctions::mpv_get_property_string, ctx, name);
}
int mpv_initialize(mpv_handle* ctx)
{
    return forward(&MpvFunctions::mpv_initialize, ctx);
}
int mpv_observe_property(mpv_handle* mpv, uint64_t reply_userdata, const char* name,
                         mpv_format format)
{
    return forward(&MpvFunctions::mpv_observe_property, mpv, reply_userdata, name, format);
}
int mpv_render_context_create(mpv_render_context** res, mpv_handle* mpv, mpv_render_param* params)
{
    return forward(&MpvFunctions::mpv_render_context_create, res, mpv, params);
}
void mpv_render_context_free(mpv_render_context* ctx)
{
    forward(&MpvFunctions::mpv_render_context_free, ctx);
}
int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params)
{
    return forward(&MpvFunctions::mpv_render_context_render, ctx, params);
}
void mpv_render_context_report_swap(mpv_render_context* ctx)
{
    forward(&MpvFunctions::mpv_render_context_report_swap, ctx);
}
void mpv_render_context_set_update_callback(mpv_render_context* ctx, mpv_render_update_fn callback,
                                            void* callback_ctx)
{
    forward(&MpvFunctions::mpv_render_context_set_update_callback, ctx, callback, callback_ctx);
}
uint64_t mpv_render_context_update(mpv_render_context* ctx)
{
    return forward(&MpvFunctions::mpv_render_context_update, ctx);
}
int mpv_request_log_messages(mpv_handle* ctx, const char* min_level)
{
    return forward(&MpvFunctions::mpv_request_log_messages, ctx, min_level);
}
int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data)
{
    return forward(&MpvFunctions::mpv_set_option_string, ctx, name, data);
}
int mpv_set_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name,
                           mpv_format format, void* data)
{
    return forward(&MpvFunctions::mpv_set_property_async, ctx, reply_userdata, name, format, data);
}
void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void* d), void* d)
{
    forward(&MpvFunctions::mpv_set_wakeup_callback, ctx, cb, d);
}
int mpv_stream_cb_add_ro(mpv_handle* ctx, const char* protocol, void* user_data,
                         mpv_stream_cb_open_ro_fn open_fn)
{
    return forward(&MpvFunctions::mpv_stream_cb_add_ro, ctx, protocol, user_data, open_fn);
}
void mpv_terminate_destroy(mpv_handle* ctx)
{
    forward(&MpvFunctions::mpv_terminate_destroy, ctx);
}
mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout)
{
    return forward(&MpvFunctions::mpv_wait_event, ctx, timeout);
}

} // extern "C"

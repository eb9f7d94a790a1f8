#include "platform/player/mpv/disc_stream_protocol.h"

#include "diagnostics/diagnostics.h"
#include "platform/disc/disc_library.h"

#include <QUrl>
#include <mpv/client.h>
#include <mpv/stream_cb.h>
#include <mutex>
#include <unordered_map>

namespace {

const char* const Protocol = "tamrel-disc";
const QLatin1String Prefix("tamrel-disc://");

// A stream's read position; mpv's stream callbacks are sequential per stream.
struct Cookie {
    std::unique_ptr<DiscStream> stream;
    qint64 position = 0;
};

// The streams mpv has open, under keys that are never used twice. mpv can call a stream's
// cancel callback from its own threads just after it closed the stream (its cancel hook is
// freed with the stream, after close_fn): such a late cancel finds no stream under its key,
// where a pointer would reach a deleted stream, or a new one allocated at the same address.
class OpenStreams {
public:
    void* add(std::unique_ptr<Cookie> cookie)
    {
        const std::lock_guard lock(m_mutex);
        const quintptr key = ++m_lastKey;
        m_cookies.emplace(key, std::move(cookie));
        return reinterpret_cast<void*>(key);
    }
    // For the calls mpv makes one at a time between opening and closing the stream.
    Cookie* find(void* key)
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_cookies.find(reinterpret_cast<quintptr>(key));
        return found != m_cookies.end() ? found->second.get() : nullptr;
    }
    void cancel(void* key)
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_cookies.find(reinterpret_cast<quintptr>(key));
        if (found != m_cookies.end())
            found->second->stream->cancel(); // never blocks
    }
    void remove(void* key)
    {
        std::unique_ptr<Cookie> closed;
        {
            const std::lock_guard lock(m_mutex);
            auto node = m_cookies.extract(reinterpret_cast<quintptr>(key));
            if (!node.empty())
                closed = std::move(node.mapped());
        }
        // Deleted outside the lock: the stream waits for nothing, but takes its drive's lock.
    }

private:
    std::mutex m_mutex;
    std::unordered_map<quintptr, std::unique_ptr<Cookie>> m_cookies;
    quintptr m_lastKey = 0;
};

OpenStreams& openStreams()
{
    static OpenStreams streams;
    return streams;
}

int64_t readStream(void* key, char* buffer, uint64_t size)
{
    Cookie* c = openStreams().find(key);
    if (!c)
        return -1;
    const qint64 count = c->stream->read(c->position, buffer, static_cast<qint64>(size));
    if (count > 0)
        c->position += count;
    return count;
}

int64_t seekStream(void* key, int64_t offset)
{
    Cookie* c = openStreams().find(key);
    if (!c || offset < 0 || offset > c->stream->size())
        return MPV_ERROR_GENERIC;
    c->position = offset;
    return offset;
}

int64_t streamSize(void* key)
{
    const Cookie* c = openStreams().find(key);
    return c ? c->stream->size() : int64_t(MPV_ERROR_UNSUPPORTED);
}

void closeStream(void* key)
{
    openStreams().remove(key);
}

// Called on another thread than the reads, while one may be in progress, and possibly just
// after the stream was closed.
void cancelStream(void* key)
{
    openStreams().cancel(key);
}

} // namespace

int openDiscStream(void* library, char* uri, mpv_stream_cb_info* info)
{
    const std::optional<QString> path = discPathFromUri(QString::fromUtf8(uri));
    if (!path)
        return MPV_ERROR_LOADING_FAILED;
    std::unique_ptr<DiscStream> stream = static_cast<const DiscLibrary*>(library)->openFile(*path);
    if (!stream)
        return MPV_ERROR_LOADING_FAILED;
    Diagnostics::mark("disc stream: opened");
    info->cookie = openStreams().add(std::make_unique<Cookie>(Cookie{std::move(stream)}));
    info->read_fn = readStream;
    info->seek_fn = seekStream;
    info->size_fn = streamSize;
    info->close_fn = closeStream;
    info->cancel_fn = cancelStream;
    return 0;
}

bool registerDiscStreamProtocol(mpv_handle* mpv, const DiscLibrary& library)
{
    // mpv only hands user_data back to the open callback; it never writes through it.
    return mpv_stream_cb_add_ro(mpv, Protocol, const_cast<DiscLibrary*>(&library),
                                openDiscStream) >= 0;
}

QString discStreamUri(const QString& discPath)
{
    return Prefix + QString::fromLatin1(QUrl::toPercentEncoding(discPath));
}

std::optional<QString> discPathFromUri(const QString& uri)
{
    if (!uri.startsWith(Prefix))
        return std::nullopt;
    return QUrl::fromPercentEncoding(uri.mid(Prefix.size()).toUtf8());
}

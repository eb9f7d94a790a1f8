#include "platform/disc_stream_protocol.h"

#include "platform/disc_library.h"

#include <QUrl>
#include <mpv/client.h>
#include <mpv/stream_cb.h>

namespace {

const char* const Protocol = "tamrel-disc";
const QLatin1String Prefix("tamrel-disc://");

// A stream's read position; mpv's stream callbacks are sequential per stream.
struct Cookie {
    std::unique_ptr<DiscStream> stream;
    qint64 position = 0;
};

int64_t readStream(void* cookie, char* buffer, uint64_t size)
{
    auto* c = static_cast<Cookie*>(cookie);
    const qint64 count = c->stream->read(c->position, buffer, static_cast<qint64>(size));
    if (count > 0)
        c->position += count;
    return count;
}

int64_t seekStream(void* cookie, int64_t offset)
{
    auto* c = static_cast<Cookie*>(cookie);
    if (offset < 0 || offset > c->stream->size())
        return MPV_ERROR_GENERIC;
    c->position = offset;
    return offset;
}

int64_t streamSize(void* cookie)
{
    return static_cast<Cookie*>(cookie)->stream->size();
}

void closeStream(void* cookie)
{
    delete static_cast<Cookie*>(cookie);
}

// Called on another thread than the reads, while one may be in progress.
void cancelStream(void* cookie)
{
    static_cast<Cookie*>(cookie)->stream->cancel();
}

int openStream(void* library, char* uri, mpv_stream_cb_info* info)
{
    const std::optional<QString> path = discPathFromUri(QString::fromUtf8(uri));
    if (!path)
        return MPV_ERROR_LOADING_FAILED;
    std::unique_ptr<DiscStream> stream = static_cast<const DiscLibrary*>(library)->openFile(*path);
    if (!stream)
        return MPV_ERROR_LOADING_FAILED;
    info->cookie = new Cookie{std::move(stream)};
    info->read_fn = readStream;
    info->seek_fn = seekStream;
    info->size_fn = streamSize;
    info->close_fn = closeStream;
    info->cancel_fn = cancelStream;
    return 0;
}

} // namespace

bool registerDiscStreamProtocol(mpv_handle* mpv, const DiscLibrary& library)
{
    // mpv only hands user_data back to the open callback; it never writes through it.
    return mpv_stream_cb_add_ro(mpv, Protocol, const_cast<DiscLibrary*>(&library), openStream) >= 0;
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

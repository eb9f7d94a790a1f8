#include "platform/player/mpv_raw_frame.h"

#include <QByteArray>
#include <climits>
#include <cstdint>

QImage mpvRawFrameImage(const mpv_node& frame)
{
    if (frame.format != MPV_FORMAT_NODE_MAP || !frame.u.list)
        return {};
    std::int64_t width = 0, height = 0, stride = 0;
    QByteArray format;
    const mpv_byte_array* data = nullptr;
    const mpv_node_list* map = frame.u.list;
    for (int i = 0; i < map->num; ++i) {
        const QByteArray key(map->keys[i]);
        const mpv_node& value = map->values[i];
        if (value.format == MPV_FORMAT_INT64 && key == "w")
            width = value.u.int64;
        else if (value.format == MPV_FORMAT_INT64 && key == "h")
            height = value.u.int64;
        else if (value.format == MPV_FORMAT_INT64 && key == "stride")
            stride = value.u.int64;
        else if (value.format == MPV_FORMAT_STRING && key == "format")
            format = value.u.string;
        else if (value.format == MPV_FORMAT_BYTE_ARRAY && key == "data")
            data = value.u.ba;
    }
    // "bgr0": blue, green, red and a padding byte, which is RGB32 in a little-endian word.
    if (format != "bgr0" || !data || Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        return {};
    // Divided rather than multiplied: no size, however large, can overflow here.
    if (width <= 0 || height <= 0 || width > INT_MAX / 4 || height > INT_MAX ||
        stride < width * 4 ||
        std::uint64_t(data->size) / std::uint64_t(stride) < std::uint64_t(height))
        return {};
    return QImage(static_cast<const uchar*>(data->data), int(width), int(height), qsizetype(stride),
                  QImage::Format_RGB32)
        .copy();
}

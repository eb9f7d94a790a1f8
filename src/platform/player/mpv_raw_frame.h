#pragma once

#include <QImage>
#include <mpv/client.h>

// The picture in the answer to mpv's "screenshot-raw" command: a map of "w", "h", "stride",
// "format" and "data". Only "bgr0" is taken, on a little-endian machine, where it is RGB32. A
// null image for any other node, format or layout, and for data too short for its size; the
// image is a copy, so the node may be freed afterwards.
QImage mpvRawFrameImage(const mpv_node& frame);

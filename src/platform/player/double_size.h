#pragma once

#include <QSizeF>

// Double size never crops: the picture is drawn at twice its own size where the video area has
// room for it, and otherwise as large as fits, its aspect kept. mpv fits the picture to the area
// first and then scales it by 2^video-zoom, so the answer is that zoom (0 or below).
//
// `picture` is the video's display size in its own pixels, `area` the video area in device
// pixels, `pixelRatio` the device pixels of one logical pixel: twice its own size means twice
// as large as the picture's pixels on a screen at the usual scale. An unknown picture or area
// gives 0, plain fitting.
double doubleSizeZoom(QSizeF picture, QSizeF area, double pixelRatio);

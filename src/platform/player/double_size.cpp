#include "platform/player/double_size.h"

#include <algorithm>
#include <cmath>

double doubleSizeZoom(QSizeF picture, QSizeF area, double pixelRatio)
{
    if (picture.isEmpty() || area.isEmpty() || !(pixelRatio > 0))
        return 0;
    // Device pixels per picture pixel when fitted, and at twice the picture's size.
    const double fitted =
        std::min(area.width() / picture.width(), area.height() / picture.height());
    const double doubled = 2 * pixelRatio;
    return doubled >= fitted ? 0 : std::log2(doubled / fitted);
}

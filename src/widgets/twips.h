#pragma once

#include <QRect>

class QWidget;

// Window geometry is designed in twips; Qt works in logical pixels, 15 twips a pixel.
namespace Twips {
inline constexpr int PerPixel = 15;
inline constexpr int toPixels(int twips)
{
    return twips / PerPixel;
}
inline QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}
void place(QWidget* widget, int left, int top, int width, int height);
} // namespace Twips

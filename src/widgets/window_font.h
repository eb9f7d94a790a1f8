#pragma once

class QApplication;

// The windows' rectangles were laid out for an 8-point Windows UI font, and Liberation Sans has
// the same widths as those fonts. It is one pixel smaller here than there because Qt's option
// buttons keep more room for their indicator: at 11 pixels "Video CD" in the folder chooser
// would lose its last letter.
inline constexpr int WindowFontPixels = 10;

// Makes Liberation Sans at WindowFontPixels the font of every widget; call it before any window
// is built. Without the font installed fontconfig quietly puts the nearest sans-serif in.
void applyWindowFont(QApplication& app);

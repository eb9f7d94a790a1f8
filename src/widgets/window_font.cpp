#include "widgets/window_font.h"

#include <QApplication>
#include <QFont>
#include <QScreen>

void applyWindowFont(QApplication& app)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    // The size is set in points worked out from pixels at the screen's resolution, so the text
    // is WindowFontPixels high and controls that scale their font by its point size still can.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dotsPerInch = screen ? screen->logicalDotsPerInchY() : 96.0;
    font.setPointSizeF(WindowFontPixels * 72.0 / dotsPerInch);
    app.setFont(font);
}

#include "app/loader_warm_up.h"

#include "desktop/session_bus.h"
#include "diagnostics/diagnostics.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>

namespace LoaderWarmUp {

void loadWhatTheWindowNeeds()
{
    // The regular-expression engine keeps a thread-local stack, whose registration takes
    // the loader's lock.
    static const QRegularExpression anyDigit(QStringLiteral("\\d"));
    (void)anyDigit.match(QStringLiteral("1")).hasMatch();
    // Every new thread takes the loader's lock for its thread-local storage. The session
    // bus's thread begins here: the accessibility bridge, which the first label's text
    // would otherwise create in the middle of the window's building, asks for the bus
    // whether or not the session advertises one.
    (void)SessionBus::connect();
    (void)QAccessible::isActive();
    // The style draws its icons from images read through the image-format plugins.
    (void)QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
    // The raster engine fills tall areas (a scroll bar's groove) on a pool of threads that
    // it starts with the first such fill, the window's first paint.
    QImage tall(8, 512, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&tall);
    painter.fillRect(tall.rect(), QColor(0, 0, 0, 128));
    painter.setPen(QColor(0, 0, 0, 128));
    painter.drawLine(0, 0, 0, tall.height());
    Diagnostics::mark("loader warmed up");
}

} // namespace LoaderWarmUp

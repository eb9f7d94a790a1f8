#include "app/loader_warm_up.h"

#include "desktop/session_bus.h"
#include "platform/startup_timeline.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyle>

namespace LoaderWarmUp {

void loadWhatTheWindowNeeds()
{
    // The regular-expression engine keeps a thread-local stack, whose registration takes
    // the loader's lock.
    static const QRegularExpression anyDigit(QStringLiteral("\\d"));
    (void)anyDigit.match(QStringLiteral("1")).hasMatch();
    // Every new thread takes the loader's lock for its thread-local storage: the session
    // bus's thread (the accessibility bridge starts it with the first label) begins here,
    // where the session has a bus at all.
    (void)SessionBus::connect();
    // The style draws its icons from images read through the image-format plugins.
    (void)QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
    StartupTimeline::mark("loader warmed up");
}

} // namespace LoaderWarmUp

#include "platform/disc/disc_change_events.h"

#include "platform/disc/line_disc_change_events.h"
#include "platform/disc/udev_disc_change_events.h"

DiscChangeEvents::~DiscChangeEvents() = default;

std::unique_ptr<DiscChangeEvents> DiscChangeEvents::forThisMachine()
{
    const QString lines = qEnvironmentVariable("TAMREL_DISC_EVENTS");
    if (!lines.isEmpty())
        return std::make_unique<LineDiscChangeEvents>(lines);
    return std::make_unique<UdevDiscChangeEvents>();
}

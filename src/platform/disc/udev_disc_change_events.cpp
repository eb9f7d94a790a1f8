#include "platform/disc/udev_disc_change_events.h"

#include "diagnostics/diagnostics.h"

#include <QRegularExpression>
#include <QSocketNotifier>
#include <libudev.h>

namespace {
// Devices taken at one wake at most; the rest wait for the next turn of the event loop.
constexpr int DevicesPerWake = 64;

QString text(const char* value)
{
    return value ? QString::fromUtf8(value) : QString();
}

UdevDiscChangeEvents::Device deviceOf(udev_device* device)
{
    UdevDiscChangeEvents::Device d{text(udev_device_get_action(device)),
                                   text(udev_device_get_sysname(device)),
                                   text(udev_device_get_devnode(device)),
                                   {}};
    for (const char* name : {"DISK_MEDIA_CHANGE", "ID_CDROM_MEDIA"})
        if (const char* value = udev_device_get_property_value(device, name))
            d.properties.insert(QString::fromLatin1(name), QString::fromUtf8(value));
    return d;
}
} // namespace

UdevDiscChangeEvents::UdevDiscChangeEvents(QObject* parent) : DiscChangeEvents(parent)
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    const bool ready =
        m_monitor &&
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "block", "disk") >= 0 &&
        udev_monitor_enable_receiving(m_monitor) >= 0 && udev_monitor_get_fd(m_monitor) >= 0;
    if (!ready) {
        Diagnostics::report("disc events", QStringLiteral("no udev monitor; discs going in are "
                                                          "not noticed"));
        return;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevDiscChangeEvents::receive);
}

UdevDiscChangeEvents::~UdevDiscChangeEvents()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

std::optional<DiscChange> UdevDiscChangeEvents::changeOf(const Device& device)
{
    static const QRegularExpression cdDrive(QStringLiteral("^sr[0-9]+$"));
    if (device.action != QLatin1String("change") || !cdDrive.match(device.sysName).hasMatch() ||
        device.devNode.isEmpty() ||
        device.properties.value(QStringLiteral("DISK_MEDIA_CHANGE")) != QLatin1String("1"))
        return std::nullopt;
    return DiscChange{device.devNode, device.properties.value(QStringLiteral("ID_CDROM_MEDIA")) ==
                                          QLatin1String("1")};
}

void UdevDiscChangeEvents::receive()
{
    // The monitor's socket does not block: an empty queue gives no device.
    for (int taken = 0; taken < DevicesPerWake; ++taken) {
        udev_device* device = udev_monitor_receive_device(m_monitor);
        if (!device)
            return;
        const std::optional<DiscChange> change = changeOf(deviceOf(device));
        udev_device_unref(device);
        if (change)
            emit mediaChanged(change->deviceNode, change->present);
    }
}

#pragma once

#include "platform/disc/disc_change_events.h"
#include "platform/disc/disc_event_lines.h"

#include <QMap>
#include <optional>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// The kernel's media-change events of the CD drives, as udev passes them on after reading the
// disc (its cdrom_id sets ID_CDROM_MEDIA): a udev monitor on block disks, woken by the
// monitor's socket. Without udev (a container) it stays quiet.
class UdevDiscChangeEvents : public DiscChangeEvents {
    Q_OBJECT
public:
    explicit UdevDiscChangeEvents(QObject* parent = nullptr);
    ~UdevDiscChangeEvents() override;

    bool listening() const { return m_notifier != nullptr; }

    // What udev says of one device.
    struct Device {
        QString action;  // "change", "add"...
        QString sysName; // "sr0"
        QString devNode; // "/dev/sr0"
        QMap<QString, QString> properties;
    };
    // The change a device event stands for: only a media change of a CD drive (sr*) counts.
    static std::optional<DiscChange> changeOf(const Device& device);

private:
    void receive();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
};

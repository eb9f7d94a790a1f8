#pragma once

#include "platform/disc/disc_change_events.h"

// Disc changes a test reports; like the system's, they arrive from the event loop.
class FakeDiscChangeEvents : public DiscChangeEvents {
    Q_OBJECT
public:
    void insert(const QString& deviceNode) { report(deviceNode, true); }
    void remove(const QString& deviceNode) { report(deviceNode, false); }

private:
    void report(const QString& deviceNode, bool present)
    {
        QMetaObject::invokeMethod(
            this, [this, deviceNode, present] { emit mediaChanged(deviceNode, present); },
            Qt::QueuedConnection);
    }
};

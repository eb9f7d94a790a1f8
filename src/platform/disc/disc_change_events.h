#pragma once

#include <QObject>
#include <QString>
#include <memory>

// Discs going into and out of the machine's drives, as the system reports them. Signals come
// from the event loop, never from inside a call into this object.
class DiscChangeEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DiscChangeEvents() override;

    // The lines of the file or FIFO TAMREL_DISC_EVENTS names when it is set (tests, and
    // machines without udev), the system's device events otherwise.
    static std::unique_ptr<DiscChangeEvents> forThisMachine();

signals:
    // A disc was put into (`present`) or taken out of the drive at `deviceNode` ("/dev/sr0";
    // a disc image's path where images stand in for drives).
    void mediaChanged(const QString& deviceNode, bool present);
};

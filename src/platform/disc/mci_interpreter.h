#pragma once

#include "platform/disc/mci.h"

#include <QString>

class CdDrives;

// Interpreter of the command strings the player sends; words compare without regard to case
// and any run of blanks separates them. The CD audio device is the first CD drive in
// discovery order.
class MciInterpreter : public MciCommands {
public:
    enum Result : long {
        Ok = 0,
        UnrecognizedCommand = 261,
        HardwareError = 262,
        DeviceNotAvailable = 275, // no CD drive at all
        DeviceCannotOpen = 276,   // a drive, but its device (or image) does not open
    };

    explicit MciInterpreter(CdDrives& drives);

    long send(const QString& command) override;
    QString errorText(long code) const override;

    // The drive opened as "cd69", empty while no device is open.
    QString openDevice() const { return m_openDevice; }

private:
    long openCdAudio();
    long setDoor(bool open);

    CdDrives& m_drives;
    QString m_openDevice;
};

#include "platform/disc/mci_interpreter.h"

#include "platform/disc/cd_drives.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QStringList words(const QString& command)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return command.toLower().split(blanks, Qt::SkipEmptyParts);
}

const QStringList CloseAll{"close", "all"};
const QStringList OpenCdAudio{"open", "cdaudio", "alias", "cd69", "wait", "shareable"};
const QStringList DoorOpen{"set", "cdaudio", "door", "open", "wait"};
const QStringList DoorClosed{"set", "cdaudio", "door", "closed", "wait"};

} // namespace

MciInterpreter::MciInterpreter(CdDrives& drives) : m_drives(drives) {}

long MciInterpreter::send(const QString& command)
{
    const QStringList w = words(command);
    if (w == CloseAll) {
        m_openDevice.clear();
        return Ok;
    }
    if (w == OpenCdAudio)
        return openCdAudio();
    if (w == DoorOpen)
        return setDoor(true);
    if (w == DoorClosed)
        return setDoor(false);
    return UnrecognizedCommand;
}

// Opening again before "close all" is not an error: the device simply stays open.
long MciInterpreter::openCdAudio()
{
    const QList<CdDrive> drives = m_drives.drives();
    if (drives.isEmpty())
        return DeviceNotAvailable;
    if (!m_drives.canOpen(drives.first().id))
        return DeviceCannotOpen;
    m_openDevice = drives.first().id;
    return Ok;
}

long MciInterpreter::setDoor(bool open)
{
    const QList<CdDrive> drives = m_drives.drives();
    if (drives.isEmpty())
        return DeviceNotAvailable;
    const QString id = drives.first().id;
    const bool moved = open ? m_drives.openTray(id) : m_drives.closeTray(id);
    return moved ? Ok : HardwareError;
}

QString MciInterpreter::errorText(long code) const
{
    switch (code) {
    case Ok:
        return QStringLiteral("The specified command was carried out.");
    case UnrecognizedCommand:
        return QStringLiteral("The command is not recognized.");
    case HardwareError:
        return QStringLiteral("The CD drive did not move its tray. Check that the drive is not "
                              "in use and try again.");
    case DeviceNotAvailable:
        return QStringLiteral("There is no CD drive on this computer.");
    case DeviceCannotOpen:
        return QStringLiteral("The CD drive cannot be opened. Check that it is connected and "
                              "that you may use it.");
    default:
        return QStringLiteral("Unknown device command error %1.").arg(code);
    }
}

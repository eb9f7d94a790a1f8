#include "platform/mci_interpreter.h"

#include <QStringList>

namespace {
QStringList words(const QString& command)
{
    return command.toLower().split(' ', Qt::SkipEmptyParts);
}
} // namespace

long MciInterpreter::send(const QString& command)
{
    // No device is ever held open between commands, so closing everything always succeeds.
    if (words(command) == QStringList{"close", "all"})
        return Ok;
    return UnrecognizedCommand;
}

QString MciInterpreter::errorText(long code) const
{
    switch (code) {
    case Ok:
        return QStringLiteral("The specified command was carried out.");
    case UnrecognizedCommand:
        return QStringLiteral("The command is not recognized.");
    case DeviceNotAvailable:
        return QStringLiteral("There is no CD drive, or it cannot be used right now.");
    default:
        return QStringLiteral("Unknown device command error %1.").arg(code);
    }
}

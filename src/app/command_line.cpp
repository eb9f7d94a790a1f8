#include "app/command_line.h"

namespace CommandLine {

QString mediaPath(const QString& commandLine)
{
    if (commandLine == QLatin1String("%1") || commandLine.isEmpty())
        return {};
    QString path = commandLine;
    path.remove(QLatin1Char('"'));
    return path;
}

} // namespace CommandLine

#include "desktop/command_line.h"

#include "about/key_guide.h"
#include "settings/product.h"

#include <QFileInfo>
#include <cstring>

namespace CommandLine {

Request requestFor(const char* firstArgument)
{
    if (!firstArgument)
        return Request::Run;
    if (std::strcmp(firstArgument, "--help") == 0 || std::strcmp(firstArgument, "-h") == 0)
        return Request::Help;
    if (std::strcmp(firstArgument, "--version") == 0)
        return Request::Version;
    return Request::Run;
}

namespace {
QString keyList()
{
    QStringList lines;
    for (const QString& line : KeyGuide::lines(24))
        lines << QStringLiteral("  ") + line;
    return lines.join(QLatin1Char('\n'));
}
} // namespace

QString helpText(const QString& programName)
{
    return QStringLiteral(
               "Usage: %1 [FILE]\n"
               "\n"
               "Plays Video CDs (karaoke and music-video discs above all), disc images and media\n"
               "files. At start-up the player looks for a Video CD in the CD drives and plays\n"
               "track 1; FILE, when given, plays at once instead. Double quotes in FILE are\n"
               "removed; a file named like one of the options is opened as ./NAME.\n"
               "\n"
               "Options:\n"
               "  -h, --help     show this help and exit\n"
               "  --version      show the version and exit\n"
               "\n"
               "Keys:\n"
               "%4\n"
               "\n"
               "Environment:\n"
               "  TAMREL_CD_DRIVES    ':'-separated device nodes and disc images (.cue, .bin,\n"
               "                      .nrg, .toc, .iso) used as the CD drives\n"
               "  TAMREL_DISC_EVENTS  a FIFO or file of \"inserted NODE\" and \"removed NODE\"\n"
               "                      lines, read instead of the system's disc events\n"
               "  TAMREL_MPV_OPTIONS  extra player engine options, \"name=value ...\"\n"
               "  TAMREL_TRACE=1      print the status line and track label on standard output\n"
               "\n"
               "Settings: $XDG_CONFIG_HOME/%2/%2.ini (section [Settings]).\n"
               "Manual: man tamrel-vcd-player, once the player is installed (in a source tree:\n"
               "man -l build/dist/tamrel-vcd-player.1). Home page: %3\n")
        .arg(programName, Product::Title, Product::HomePage, keyList());
}

QString versionText()
{
    return Product::Title + QLatin1Char(' ') + Product::Version + QLatin1Char('\n');
}

QString mediaArgument(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    const QString argument = arguments.at(1);
    if (QFileInfo(argument).isDir())
        return {};
    return argument;
}

QString mediaPath(const QString& commandLine)
{
    if (commandLine == QLatin1String("%1") || commandLine.isEmpty())
        return {};
    QString path = commandLine;
    path.remove(QLatin1Char('"'));
    return path;
}

} // namespace CommandLine

#pragma once

#include <QString>
#include <QStringList>

// The options the program answers without starting: --help and --version. They are looked
// for in the first argument only, before the toolkit is started, so they work without a
// display; any other first argument is the media path (a file named "--help" is opened as
// "./--help").
namespace CommandLine {

enum class Request { Run, Help, Version };

Request requestFor(const char* firstArgument);
// The help text, for a program started under `programName`.
QString helpText(const QString& programName);
QString versionText();

// The text after the program name that the window's start-up takes as its media path. A
// folder is not a medium: it is what the desktop hands over when a Video CD is inserted (the
// disc's mount point), and the disc itself is found in its drive at start-up.
QString mediaArgument(const QStringList& arguments);

// The media path the command-line text names, every double quote removed; empty for an empty
// text and for the literal "%1" a file association passes when it has no file.
QString mediaPath(const QString& commandLine);

} // namespace CommandLine

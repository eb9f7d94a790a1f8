#pragma once

#include <QString>

namespace CommandLine {

// The media path the command-line text names, every double quote removed; empty for an empty
// text and for the literal "%1" a file association passes when it has no file.
QString mediaPath(const QString& commandLine);

} // namespace CommandLine

#pragma once

#include "settings/product.h"

#include <QString>

// The texts of the status line.
namespace StatusText {
inline const QString Idle = Product::Title;
inline const QString Loading = QStringLiteral("Loading... Please be patient...");
inline const QString Paused = QStringLiteral("Paused ,hit spacebar to release");
inline const QString Stopped = QStringLiteral("Stop");
inline const QString Stopping = QStringLiteral("Please wait .....Stop .....");
inline const QString Unsupported = QStringLiteral("The file format is not supported.");
inline const QString ShuttingDown = QStringLiteral("Please wait, VCD Player is shut down .....");
inline const QString NoMovies = QStringLiteral("No movies files in the Cd-rom drive.");

// A file that is not there, or that cannot be opened for reading: its name as given.
QString fileNotFound(const QString& name);
QString fileUnreadable(const QString& name);

// "Playing " + the name with each space-separated word capitalised + "  ........"
QString playing(const QString& fileName);
QString properCase(const QString& text);
QString oneLine(const QString& text);
} // namespace StatusText

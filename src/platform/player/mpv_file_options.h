#pragma once

#include "platform/player/mpv/mpv_options.h"

#include <QByteArray>
#include <QString>

// How the player hands a file to mpv's loadfile.

// The name mpv opens: disc files, and movie files on a mounted CD (whose Form 2 sectors the
// kernel cannot read), through the disc stream protocol; URLs as they are; any other name made
// absolute, so that a relative name with a colon is not taken for a protocol.
QByteArray mpvPath(const QString& path);
// The options that hold for this file alone: for a Video CD track (on a disc, or copied to an
// MPEG-1 program stream file) its format named and a short analysis; a medium held on its last
// picture stays open there, playing, without ending.
MpvFileOptions fileOptionsFor(const QString& path, bool holdLastPicture = false);

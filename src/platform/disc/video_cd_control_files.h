#pragma once

#include "platform/disc/read/video_cd_control.h"

#include <QString>
#include <QStringList>
#include <optional>

class DiscLibrary;

// The control files of the Video CD or Super Video CD in one drive, as far as they could be
// read: entries (VCD 1.1 and later), the disc's info and its playback control (VCD 2.0, SVCD).
struct VideoCdControlFiles {
    bool superVideoCd{}; // read from the SVCD folder
    std::optional<VideoCdControl::Entries> entries;
    std::optional<VideoCdControl::Info> info;
    VideoCdControl::Psd psd; // no lists: no playback control
    // What was missing, cut short or unreadable, for the log; never a reason to refuse the disc.
    QStringList problems;

    bool hasPlaybackControl() const { return !psd.lists.empty(); }
};

// Reads them from the disc in drive `driveId` through the library, so that images, real drives
// and the tests' simulated drives serve them alike. Each file is read up to the most its kind
// may hold (a sector for ENTRIES and INFO, 64 KiB for the LOT, 256 KiB for the PSD); the
// extended PSD and LOT stand in for the plain ones where the disc has them.
VideoCdControlFiles readVideoCdControlFiles(const DiscLibrary& discs, const QString& driveId);

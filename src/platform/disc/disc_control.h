#pragma once

#include "platform/disc/video_cd_control_files.h"

class DiscLibrary;

// The control files of the disc in a drive: its entries, its info and its lists.
class DiscControl {
public:
    virtual ~DiscControl();
    // What could be read of them; no lists where the disc has no playback control or no
    // disc is in the drive.
    virtual VideoCdControlFiles controlFiles(const QString& driveId) = 0;
};

// Reads them through the disc library, each time asked (a few sectors, at a disc's start).
class LibraryDiscControl : public DiscControl {
public:
    explicit LibraryDiscControl(const DiscLibrary& discs) : m_discs(discs) {}
    VideoCdControlFiles controlFiles(const QString& driveId) override;

private:
    const DiscLibrary& m_discs;
};

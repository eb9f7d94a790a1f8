#pragma once

#include "platform/disc/read/video_cd_control.h"

#include <vector>

namespace VideoCd {

// What the disc holds, so that lists naming an item the disc lacks skip it.
struct DiscItems {
    int trackCount{}; // the MPEG tracks: play items 2 .. trackCount + 1
    int entryCount{}; // play items 100 .. 99 + entryCount
    std::vector<VideoCdControl::SegmentKind> segments; // play item 1000 + n is segments[n]

    // Whether the disc holds what the play item number names; a segment with neither
    // pictures nor sound plays nothing either.
    bool names(int number) const;
    // A segment that holds one picture.
    bool isStill(int number) const;
};

} // namespace VideoCd

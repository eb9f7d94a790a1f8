#pragma once

#include <QString>
#include <vector>

// Where the songs of a disc track start: a karaoke disc may hold several songs in one track
// and mark each with an entry point.
class SongStarts {
public:
    virtual ~SongStarts();
    // Seconds into the track file `trackPath` (a disc path, "SR0:\MPEGAV\AVSEQ01.DAT") at which
    // its songs start, in order and the track's own start first; empty for a track of one song,
    // for anything that is no disc track, and where the disc cannot say.
    virtual std::vector<double> songStarts(const QString& trackPath) = 0;
};

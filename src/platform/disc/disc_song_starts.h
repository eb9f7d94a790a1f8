#pragma once

#include "platform/disc/read/video_cd_control.h"
#include "platform/disc/song_starts.h"

#include <QHash>
#include <optional>

class DiscLibrary;

// The songs of a Video CD track from the disc's entry points: each entry's sector is found in
// the track file and its time read from the MPEG pack that starts there. Read on first asking,
// a few sectors a track, and kept while the same disc stays in the drive.
class DiscSongStarts : public SongStarts {
public:
    explicit DiscSongStarts(const DiscLibrary& discs) : m_discs(discs) {}
    std::vector<double> songStarts(const QString& trackPath) override;

private:
    struct Disc {
        qint32 serial{};
        std::optional<VideoCdControl::Entries> entries;
        QHash<QString, std::vector<double>> tracks; // by upper-case path
    };
    std::vector<double> read(const QString& trackPath, const VideoCdControl::Entries& entries);

    const DiscLibrary& m_discs;
    QHash<QString, Disc> m_drives; // by drive id
};

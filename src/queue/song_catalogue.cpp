#include "queue/song_catalogue.h"

#include "platform/files/media_paths.h"

namespace {

QString trackName(int listEntry, int songInTrack)
{
    return QStringLiteral("Track %1 \u00b7 entry %2").arg(listEntry + 1).arg(songInTrack + 1);
}

} // namespace

SongCatalogue::SongCatalogue(const QString& folder, const QStringList& files,
                             const StartsOf& startsOf)
{
    std::vector<std::vector<double>> starts;
    bool severalInATrack = false;
    if (startsOf) {
        starts.reserve(std::size_t(files.size()));
        for (const QString& file : files) {
            starts.push_back(startsOf(MediaPaths::join(folder, file)));
            severalInATrack = severalInATrack || starts.back().size() > 1;
        }
    }
    for (int entry = 0; entry < files.size(); ++entry) {
        if (!severalInATrack) {
            m_songs.push_back({entry, 0, files[entry]});
            continue;
        }
        const std::vector<double>& inTrack = starts[std::size_t(entry)];
        if (inTrack.empty())
            m_songs.push_back({entry, 0, trackName(entry, 0)});
        for (std::size_t song = 0; song < inTrack.size(); ++song)
            m_songs.push_back({entry, inTrack[song], trackName(entry, int(song))});
    }
}

int SongCatalogue::firstSongOf(int listEntry) const
{
    for (int number = 1; number <= count(); ++number)
        if (song(number).listEntry == listEntry)
            return number;
    return 0;
}

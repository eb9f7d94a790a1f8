#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The songs a number can reserve in the play list that is loaded: its entries in order, or,
// on a karaoke disc that holds several songs in a track, every song of every track (each an
// entry point of the disc). Song numbers start at 1.
class SongCatalogue {
public:
    struct Song {
        int listEntry = 0; // the play list's entry (a disc's track) that holds it
        double start = 0;  // seconds into it
        QString name;      // "AVSEQ07.DAT", or "Track 7 · entry 2"
    };
    // Where the songs of a track start (SongStarts): empty for a track of one song.
    using StartsOf = std::function<std::vector<double>(const QString& entryPath)>;

    SongCatalogue() = default;
    // `folder` is the play list's folder (a disc path for a disc), `files` its entries.
    SongCatalogue(const QString& folder, const QStringList& files, const StartsOf& startsOf);

    int count() const { return int(m_songs.size()); }
    bool has(int number) const { return number >= 1 && number <= count(); }
    // The song `number` names; check has() first.
    const Song& song(int number) const { return m_songs[std::size_t(number - 1)]; }
    // The first song of an entry (a track button's track): 0 where there is none.
    int firstSongOf(int listEntry) const;

private:
    std::vector<Song> m_songs;
};

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

class PlaybackEngine;
class SongStarts;

// The songs inside a disc track, for a karaoke disc that holds several in one track: Page Down
// moves to the next song of the track that plays, Page Up back to the start of the song (or,
// within its first seconds, to the song before), as a disc player's skip keys do. A track of
// one song, and any medium that is no disc track, has nothing to move between.
class DiscSongs : public QObject {
    Q_OBJECT
public:
    // Without `starts` (no disc library) there are no songs inside tracks.
    DiscSongs(SongStarts* starts, PlaybackEngine& engine, QObject* parent = nullptr);

    // False, doing nothing, where there is no song to move to.
    bool next();
    bool previous();

    // Where to move from `position`, given the track's song starts.
    static std::optional<double> nextStart(const std::vector<double>& starts, double position);
    static std::optional<double> previousStart(const std::vector<double>& starts, double position);

    // A start this close ahead is the song just moved to: the player reports a little before it.
    static constexpr double Tolerance = 0.5;
    // Page Up past this much of a song goes back to its start, before it to the song before.
    static constexpr double RestartAfter = 3.0;
    // The position bar marks the songs of a disc track this long after it starts loading:
    // after its first picture, which reading the disc's entries must never delay.
    static constexpr int MarksAfterMilliseconds = 800;

private:
    bool moveTo(std::optional<double> (*choose)(const std::vector<double>&, double));
    void onMediumLoading(const QString& path);
    void markSongs();

    SongStarts* m_starts;
    PlaybackEngine& m_engine;
    QTimer m_marksTimer;
    QString m_marksPath; // the disc track whose songs the timer marks
};

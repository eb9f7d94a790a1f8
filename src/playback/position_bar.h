#pragma once

#include <vector>

class MediaPlayer;
class QLabel;
class QScrollBar;
class SongMarks;

// The position bar (HScroll1) and the elapsed time (lblTime): both follow the player, and a drag
// of the bar or a seek key moves the player. Positions are whole seconds on the bar.
class PositionBar {
public:
    PositionBar(MediaPlayer& player, QScrollBar* bar, QLabel* elapsed);

    // Timer4: the bar takes the player's length and position (a tick that cannot, leaves it).
    void follow();
    // The bar takes the length of the medium just opened; false when it is longer than the bar
    // can show.
    bool takeLength();
    // Timersongna: the elapsed time, and the player's own control bar hidden outside full screen.
    void showElapsed();
    // Moves the playing or paused medium by `seconds`, within its length; the bar follows.
    void seekBy(double seconds);
    // The same to a point of the medium, within its length.
    void seekTo(double seconds);
    void atStart();
    // Marks where the songs inside the medium start (seconds); empty for none.
    void showSongs(std::vector<double> starts);
    const std::vector<double>& songs() const;

private:
    MediaPlayer& m_player;
    QScrollBar* m_bar;
    QLabel* m_elapsed;
    SongMarks* m_marks;
};

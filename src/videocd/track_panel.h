#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class MediaPlayer;
class PlaybackEngine;
class QLabel;
class QPushButton;
class QWidget;

// The 42 numbered track buttons, the track label and the single-key track choice. Track N
// is play-list entry N - 1.
class TrackPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int ButtonCount = 42;

    TrackPanel(MediaPlayer& player, PlaybackEngine& engine, QWidget* frontPanel);

    void DisableTrackControls();
    void EnableTrackControls();
    void disableListedTrackButtons();
    void ShowTrackNumber();
    void resetTrackNumber();
    void Songcmd_Click(int index);
    // Where the disc's own lists take a button's number (a menu's choice): true when taken.
    void setNumberTaker(std::function<bool(int number)> taker) { m_numberTaker = std::move(taker); }
    // "Add to queue" on a button's context menu hands its track (0 for the first) to `queue`.
    void offerQueue(std::function<void(int listEntry)> queue);
    // Numbers a disc's menu takes: the buttons up to `highest` are offered with the tracks'.
    void offerNumbers(int highest);
    // Shown instead of the track number while set ("Menu" in a disc's menu).
    void showPlace(const std::optional<QString>& place);
    void Form_KeyPress(QChar character);

    QList<QPushButton*> Songcmd;
    QLabel* lblTrack_Display;

private:
    // The jump-list item a track key picks: "1" none (-1), "2".."9" 0..7, "a".."i" 8..16.
    static int jumpItemForKey(QChar character, bool* isTrackKey);

    MediaPlayer& m_player;
    PlaybackEngine& m_engine;
    std::function<bool(int)> m_numberTaker;
    std::function<void(int)> m_queue;
    std::optional<QString> m_place;
    int m_numbersOffered = 0;
};

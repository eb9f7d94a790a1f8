#pragma once

#include <QObject>
#include <vector>

// The songs reserved by number, in the order they will play: the head plays when the song on
// now ends, or at Next Track. A number may be queued any number of times. The queue knows
// numbers only; what each names is the catalogue's business.
class SongQueue : public QObject {
    Q_OBJECT
public:
    // More than a karaoke evening ever queues; past it a number is refused, so that the window
    // and the saved form stay bounded.
    static constexpr int MaxSongs = 10000;

    explicit SongQueue(QObject* parent = nullptr);

    const std::vector<int>& numbers() const { return m_numbers; }
    bool isEmpty() const { return m_numbers.empty(); }
    int size() const { return int(m_numbers.size()); }

    // False, changing nothing, when the queue is full.
    bool add(int number);
    // Each false, changing nothing, for a place that is not there (or the edge it would pass).
    bool moveUp(int place);
    bool moveDown(int place);
    bool remove(int place);
    // Takes the song at `place` out: it is about to play. 0 when there is none.
    int take(int place);
    int takeHead() { return take(0); }
    // Another disc or folder's queue, as it was saved.
    void replace(std::vector<int> numbers);

signals:
    void changed();

private:
    bool has(int place) const { return place >= 0 && place < size(); }

    std::vector<int> m_numbers;
};

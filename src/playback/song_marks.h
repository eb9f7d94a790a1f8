#pragma once

#include <QRect>
#include <QWidget>
#include <optional>
#include <vector>

class QScrollBar;

// Marks on the position bar where the songs inside the medium start (a karaoke disc's track
// holding several songs). Drawn over the bar's groove, they take no mouse or keyboard input.
class SongMarks : public QWidget {
    Q_OBJECT
public:
    explicit SongMarks(QScrollBar* bar);

    // Seconds into the medium; the start at 0 gets no mark. Empty: no marks.
    void setStarts(std::vector<double> starts);
    const std::vector<double>& starts() const { return m_starts; }

    // Where the mark of `start` lies across `groove`, for a medium of `length` seconds; nothing
    // outside the medium or while its length is unknown.
    static std::optional<int> markX(double start, double length, const QRect& groove);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect groove() const;

    QScrollBar* m_bar;
    std::vector<double> m_starts;
};

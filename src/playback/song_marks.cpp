#include "playback/song_marks.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <cmath>

SongMarks::SongMarks(QScrollBar* bar) : QWidget(bar), m_bar(bar)
{
    setObjectName("songMarks");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(bar->rect());
    bar->installEventFilter(this);
    connect(bar, &QScrollBar::rangeChanged, this, [this] { update(); });
}

void SongMarks::setStarts(std::vector<double> starts)
{
    m_starts = std::move(starts);
    setVisible(m_starts.size() > 1);
    update();
}

std::optional<int> SongMarks::markX(double start, double length, const QRect& groove)
{
    if (!(length > 0) || !(start > 0) || !(start < length) || groove.width() <= 0)
        return std::nullopt;
    return groove.left() + int(std::lround(start / length * (groove.width() - 1)));
}

QRect SongMarks::groove() const
{
    QStyleOptionSlider option;
    option.initFrom(m_bar);
    option.orientation = m_bar->orientation();
    option.minimum = m_bar->minimum();
    option.maximum = m_bar->maximum();
    option.sliderPosition = m_bar->sliderPosition();
    option.sliderValue = m_bar->value();
    option.singleStep = m_bar->singleStep();
    option.pageStep = m_bar->pageStep();
    return m_bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove,
                                          m_bar);
}

void SongMarks::paintEvent(QPaintEvent*)
{
    const QRect area = groove();
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::Highlight);
    for (double start : m_starts) {
        if (const std::optional<int> x = markX(start, m_bar->maximum(), area))
            painter.fillRect(QRect(*x - 1, area.top(), 2, area.height()), colour);
    }
}

bool SongMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_bar && event->type() == QEvent::Resize)
        setGeometry(m_bar->rect());
    return QWidget::eventFilter(watched, event);
}

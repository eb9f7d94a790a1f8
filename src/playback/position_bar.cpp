#include "playback/position_bar.h"

#include "diagnostics/diagnostics.h"
#include "platform/player/media_player.h"
#include "playback/song_marks.h"
#include "playback/time_format.h"

#include <QLabel>
#include <QScrollBar>
#include <algorithm>

PositionBar::PositionBar(MediaPlayer& player, QScrollBar* bar, QLabel* elapsed)
    : m_player(player), m_bar(bar), m_elapsed(elapsed), m_marks(new SongMarks(bar))
{
    m_marks->hide();
}

void PositionBar::showSongs(std::vector<double> starts)
{
    m_marks->setStarts(std::move(starts));
}

const std::vector<double>& PositionBar::songs() const
{
    return m_marks->starts();
}

void PositionBar::follow()
{
    const std::optional<int> maximum = TimeFormat::barSeconds(m_player.Duration());
    if (!maximum)
        return;
    m_bar->setMaximum(*maximum);
    const std::optional<int> value = TimeFormat::barSeconds(m_player.CurrentPosition());
    if (!value || *value > *maximum)
        return;
    if (!m_bar->isSliderDown())
        m_bar->setValue(*value);
}

bool PositionBar::takeLength()
{
    const std::optional<int> maximum = TimeFormat::barSeconds(m_player.Duration());
    if (maximum)
        m_bar->setMaximum(*maximum);
    return maximum.has_value();
}

void PositionBar::showElapsed()
{
    if (m_player.DisplaySize() != MediaPlayer::FullScreen)
        m_player.setShowControls(false);
    const QString elapsed = TimeFormat::elapsed(m_player.CurrentPosition());
    if (elapsed != m_elapsed->text())
        Diagnostics::report("time", elapsed);
    m_elapsed->setText(elapsed);
}

void PositionBar::seekBy(double seconds)
{
    seekTo(m_player.CurrentPosition() + seconds);
}

void PositionBar::seekTo(double seconds)
{
    const MediaPlayer::State state = m_player.PlayState();
    const double length = m_player.Duration();
    if ((state != MediaPlayer::Playing && state != MediaPlayer::Paused) || !(length > 0))
        return;
    const double target = std::clamp(seconds, 0.0, length);
    m_player.setCurrentPosition(target);
    if (const std::optional<int> value = TimeFormat::barSeconds(target);
        value && *value <= m_bar->maximum())
        m_bar->setValue(*value);
}

void PositionBar::atStart()
{
    m_bar->setValue(0);
}

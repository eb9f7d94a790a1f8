#include "playback/status_line.h"

#include "diagnostics/diagnostics.h"

#include <QLabel>
#include <utility>

StatusLine::StatusLine(QLabel* label, StateText stateText, QObject* parent)
    : QObject(parent), m_label(label), m_stateText(std::move(stateText))
{
    m_noticeHold.setSingleShot(true);
    m_noticeHold.setInterval(NoticeMilliseconds);
    connect(&m_noticeHold, &QTimer::timeout, this, &StatusLine::endNotice);
}

void StatusLine::set(const QString& text)
{
    m_noticeHold.stop();
    m_heldReport.reset();
    m_label->setText(text);
    Diagnostics::report("status", text);
    emit changed(text);
}

void StatusLine::showNotice(const QString& text)
{
    set(text);
    m_noticeHold.start();
}

void StatusLine::report(const QString& text)
{
    if (m_noticeHold.isActive())
        m_heldReport = text;
    else
        set(text);
}

QString StatusLine::text() const
{
    return m_label->text();
}

void StatusLine::endNotice()
{
    // The player's state, reported meanwhile or before: a medium that plays on says so again.
    if (std::optional<QString> report = std::exchange(m_heldReport, std::nullopt))
        set(*report);
    else if (const std::optional<QString> state = m_stateText())
        set(*state);
}

void StatusLine::paintNow()
{
    m_label->repaint();
}

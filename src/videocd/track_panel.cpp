#include "videocd/track_panel.h"

#include "diagnostics/diagnostics.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"
#include "widgets/twips.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <utility>

TrackPanel::TrackPanel(MediaPlayer& player, PlaybackEngine& engine, QWidget* frontPanel)
    : QObject(frontPanel), m_player(player), m_engine(engine)
{
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QPushButton(QString::number(i + 1), frontPanel);
        button->setObjectName(QStringLiteral("Songcmd%1").arg(i));
        button->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
        button->setEnabled(false);
        const bool upperRow = i < 24;
        Twips::place(button, 120 + 480 * (upperRow ? i : i - 24), upperRow ? 500 : 800, 375, 255);
        connect(button, &QPushButton::clicked, this, [this, i] { Songcmd_Click(i); });
        Songcmd << button;
    }
    lblTrack_Display = new QLabel(QStringLiteral("00 of 0"), frontPanel);
    lblTrack_Display->setObjectName("lblTrack_Display");
    lblTrack_Display->setToolTip(QStringLiteral("Track number"));
    Twips::place(lblTrack_Display, 10060, 80, 870, 375);
}

void TrackPanel::DisableTrackControls()
{
    for (QPushButton* button : Songcmd)
        button->setEnabled(false);
    m_engine.setTransportEnabled(false);
}

void TrackPanel::EnableTrackControls()
{
    // Buttons past the end of a shorter list keep whatever state they had.
    const int last =
        std::min(std::max(m_engine.File1().ListCount(), m_numbersOffered), ButtonCount);
    for (int i = 0; i < last; ++i)
        Songcmd[i]->setEnabled(true);
    m_engine.setTransportEnabled(true);
}

void TrackPanel::disableListedTrackButtons()
{
    const int last = std::min(m_engine.File1().ListCount(), ButtonCount);
    for (int i = 0; i < last; ++i)
        Songcmd[i]->setEnabled(false);
}

void TrackPanel::ShowTrackNumber()
{
    if (m_place) {
        lblTrack_Display->setText(*m_place);
        Diagnostics::report("track", *m_place);
        return;
    }
    const int k = m_engine.File1().ListIndex();
    if (k < 0 || k >= ButtonCount)
        return;
    lblTrack_Display->setText(QStringLiteral("%1 of %2")
                                  .arg(k + 1, 2, 10, QLatin1Char('0'))
                                  .arg(m_engine.File1().ListCount()));
    Diagnostics::report("track", lblTrack_Display->text());
}

void TrackPanel::resetTrackNumber()
{
    lblTrack_Display->setText(QStringLiteral("00 of 0"));
}

void TrackPanel::offerNumbers(int highest)
{
    const int before = std::exchange(m_numbersOffered, highest);
    const int tracks = m_engine.File1().ListCount();
    for (int i = tracks; i < std::min(std::max(before, highest), ButtonCount); ++i)
        Songcmd[i]->setEnabled(i < highest);
}

void TrackPanel::showPlace(const std::optional<QString>& place)
{
    m_place = place;
    ShowTrackNumber();
}

void TrackPanel::offerQueue(std::function<void(int listEntry)> queue)
{
    m_queue = std::move(queue);
    for (int i = 0; i < ButtonCount; ++i) {
        QPushButton* button = Songcmd[i];
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QPushButton::customContextMenuRequested, this,
                [this, button, i](const QPoint& at) {
                    QMenu menu(button);
                    QAction* add = menu.addAction(QStringLiteral("Add to queue"));
                    add->setObjectName("mnuAddToQueue");
                    // Only a track of the list: a disc menu's numbers are no songs.
                    add->setEnabled(i < m_engine.File1().ListCount());
                    connect(add, &QAction::triggered, this, [this, i] { m_queue(i); });
                    menu.exec(button->mapToGlobal(at));
                });
    }
}

void TrackPanel::Songcmd_Click(int index)
{
    if (m_numberTaker && m_numberTaker(index + 1))
        return;
    m_engine.playEntry(index);
}

int TrackPanel::jumpItemForKey(QChar character, bool* isTrackKey)
{
    *isTrackKey = true;
    const char16_t c = QChar(character).toLower().unicode();
    if (c == u'1')
        return -1;
    if (c >= u'2' && c <= u'9')
        return c - u'2';
    if (c >= u'a' && c <= u'i')
        return 8 + (c - u'a');
    *isTrackKey = false;
    return -1;
}

void TrackPanel::Form_KeyPress(QChar character)
{
    bool isTrackKey = false;
    const int item = jumpItemForKey(character, &isTrackKey);
    if (isTrackKey && !m_engine.selectJumpItem(item)) {
        m_engine.setStatus(StatusText::Idle);
        return;
    }
    // A chosen track whose file is missing was said so and left the playing one alone.
    if (isTrackKey && m_engine.File1().ListIndex() != item + 1)
        return;
    // Every character restarts the current track; after a track key, the one just chosen.
    m_engine.playEntry(m_engine.File1().ListIndex(), PlaybackEngine::Focus::Keep);
    const QChar lower = character.toLower();
    if (lower == 'p')
        m_player.Pause();
    else if (lower == 'o')
        m_player.Play();
}

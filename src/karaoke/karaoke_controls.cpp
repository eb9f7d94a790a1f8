#include "karaoke/karaoke_controls.h"

#include "diagnostics/diagnostics.h"
#include "platform/sound/karaoke_sound.h"
#include "widgets/twips.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <cmath>

namespace {
// Held down, a key repeats some 30 times a second: the settings file is written once it stops.
constexpr int WriteDelayMilliseconds = 700;

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}
} // namespace

KaraokeControls::KaraokeControls(KaraokeSound* sound, SettingsStore& songStore, QWidget* window)
    : QObject(window), m_stages(sound), m_memory(songStore)
{
    m_writeLater.setSingleShot(true);
    m_writeLater.setInterval(WriteDelayMilliseconds);
    connect(&m_writeLater, &QTimer::timeout, this, &KaraokeControls::flush);
    createMenu(window);
    createCaption(window);
    if (m_stages)
        m_stages->setAvailabilityListener([this] { refreshControls(); });
    refreshControls();
}

KaraokeControls::~KaraokeControls()
{
    if (m_stages)
        m_stages->setAvailabilityListener({});
    flush();
}

void KaraokeControls::createMenu(QWidget* window)
{
    mnuKaraoke = new QMenu(QStringLiteral("Karaoke"), window);
    mnuKaraoke->setObjectName("mnuKaraoke");
    mnuKaraoke->menuAction()->setObjectName("mnuKaraoke");
    mnuKaraoke->setToolTipsVisible(true); // a greyed item says why
    mnuKeyUp = addItem(mnuKaraoke, "mnuKeyUp", QStringLiteral("Key up"));
    mnuKeyDown = addItem(mnuKaraoke, "mnuKeyDown", QStringLiteral("Key down"));
    mnuOriginalKey = addItem(mnuKaraoke, "mnuOriginalKey", QStringLiteral("Original key"));
    mnuKaraoke->addSeparator();
    mnuTempoFaster = addItem(mnuKaraoke, "mnuTempoFaster", QStringLiteral("Tempo faster"));
    mnuTempoSlower = addItem(mnuKaraoke, "mnuTempoSlower", QStringLiteral("Tempo slower"));
    mnuNormalTempo = addItem(mnuKaraoke, "mnuNormalTempo", QStringLiteral("Normal tempo"));
    mnuKaraoke->addSeparator();
    mnuVoiceCancel = addItem(mnuKaraoke, "mnuVoiceCancel", QStringLiteral("Voice cancel"));
    mnuVoiceCancel->setCheckable(true);
    // The shortcuts are the window's; the menu only shows them.
    mnuKeyUp->setShortcut(Qt::CTRL | Qt::Key_Up);
    mnuKeyDown->setShortcut(Qt::CTRL | Qt::Key_Down);
    mnuTempoFaster->setShortcut(Qt::CTRL | Qt::Key_Right);
    mnuTempoSlower->setShortcut(Qt::CTRL | Qt::Key_Left);
    for (QAction* item : mnuKaraoke->actions())
        item->setShortcutContext(Qt::WidgetShortcut);
    connect(mnuKeyUp, &QAction::triggered, this, &KaraokeControls::keyUp);
    connect(mnuKeyDown, &QAction::triggered, this, &KaraokeControls::keyDown);
    connect(mnuOriginalKey, &QAction::triggered, this, &KaraokeControls::originalKey);
    connect(mnuTempoFaster, &QAction::triggered, this, &KaraokeControls::tempoFaster);
    connect(mnuTempoSlower, &QAction::triggered, this, &KaraokeControls::tempoSlower);
    connect(mnuNormalTempo, &QAction::triggered, this, &KaraokeControls::normalTempo);
    connect(mnuVoiceCancel, &QAction::triggered, this, &KaraokeControls::setVoiceCancel);
}

void KaraokeControls::createCaption(QWidget* window)
{
    lblKaraoke = new QLabel(window);
    lblKaraoke->setObjectName("lblKaraoke");
    lblKaraoke->setToolTip(QStringLiteral("Key and tempo of this song (Ctrl+0: the original)"));
    lblKaraoke->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // It covers the end of the status line, where the playing dots run.
    lblKaraoke->setAutoFillBackground(true);
    Twips::place(lblKaraoke, 4200, 6300, 1935, 255);
    lblKaraoke->hide();
}

void KaraokeControls::stepKey(int direction)
{
    choose(m_sound.withKeyStep(direction, m_memory.keyRange()));
}

void KaraokeControls::stepTempo(int direction)
{
    choose(m_sound.withTempoStep(direction));
}

void KaraokeControls::originalKey()
{
    choose({0, m_sound.tempo});
}

void KaraokeControls::normalTempo()
{
    choose({m_sound.key, SongSound::NormalTempo});
}

void KaraokeControls::original()
{
    choose({});
}

void KaraokeControls::setRate(double rate)
{
    if (!std::isfinite(rate))
        return;
    const int tempo = int(std::lround(rate * 100 / SongSound::TempoStep)) * SongSound::TempoStep;
    choose({m_sound.key, std::clamp(tempo, SongSound::SlowestTempo, SongSound::FastestTempo)});
}

void KaraokeControls::setVoiceCancel(bool on)
{
    if (!m_stages)
        on = false;
    const bool changed = on != m_voiceCancel;
    m_voiceCancel = on;
    if (changed && m_stages)
        m_stages->setVoiceCancel(on);
    refreshControls();
    if (changed && on)
        emit voiceCancelChosen();
}

void KaraokeControls::choose(const SongSound& sound)
{
    if (!m_stages)
        return;
    SongSound allowed = sound;
    if (!m_stages->keyUnavailable().isEmpty())
        allowed.key = 0;
    if (allowed == m_sound)
        return;
    apply(allowed);
    m_songChanged = true;
    m_writeLater.start();
}

void KaraokeControls::apply(const SongSound& sound)
{
    const SongSound before = m_sound;
    m_sound = sound;
    if (m_stages && sound.key != before.key)
        m_stages->setKey(sound.key);
    if (m_stages && sound.tempo != before.tempo)
        m_stages->setTempo(sound.tempo);
    refreshControls();
    if (!(sound == before)) {
        Diagnostics::report("karaoke", sound.caption().isEmpty() ? QStringLiteral("original")
                                                                 : sound.caption());
        emit soundChanged();
    }
}

void KaraokeControls::songStarting(const QString& song)
{
    flush(); // what was chosen for the song before belongs to that song
    m_song = song;
    apply(song.isEmpty() ? SongSound{} : m_memory.recall(song));
}

void KaraokeControls::flush()
{
    m_writeLater.stop();
    if (!m_songChanged)
        return;
    m_songChanged = false;
    m_memory.remember(m_song, m_sound);
}

void KaraokeControls::refreshControls()
{
    const bool present = m_stages != nullptr;
    const QString keyMissing =
        present ? m_stages->keyUnavailable() : QStringLiteral("This player has no karaoke stages.");
    const int range = m_memory.keyRange();
    const bool keyUsable = keyMissing.isEmpty();
    mnuKeyUp->setEnabled(keyUsable && m_sound.key < range);
    mnuKeyDown->setEnabled(keyUsable && m_sound.key > -range);
    mnuOriginalKey->setEnabled(keyUsable && m_sound.key != 0);
    for (QAction* item : {mnuKeyUp, mnuKeyDown, mnuOriginalKey})
        item->setToolTip(keyMissing);
    mnuTempoFaster->setEnabled(present && m_sound.tempo < SongSound::FastestTempo);
    mnuTempoSlower->setEnabled(present && m_sound.tempo > SongSound::SlowestTempo);
    mnuNormalTempo->setEnabled(present && m_sound.tempo != SongSound::NormalTempo);
    mnuVoiceCancel->setEnabled(present);
    mnuVoiceCancel->setChecked(m_voiceCancel);
    const QString caption = m_sound.caption();
    lblKaraoke->setText(caption);
    lblKaraoke->setVisible(!caption.isEmpty());
}

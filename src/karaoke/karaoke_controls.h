#pragma once

#include "karaoke/song_memory.h"
#include "karaoke/song_sound.h"

#include <QObject>
#include <QTimer>

class KaraokeSound;
class QAction;
class QLabel;
class QMenu;
class QWidget;

// What a singer changes of a song's sound: its key, its tempo, and a centred voice taken out.
// Owns the "Karaoke" submenu (which the popup menu only places), its table of enabled and
// checked items, and the caption that shows a changed key or tempo on the main window. The key
// and tempo chosen for a song come back when it plays again, also after a restart.
class KaraokeControls : public QObject {
    Q_OBJECT
public:
    // `sound` may be null (a player without karaoke stages): every item is then greyed.
    KaraokeControls(KaraokeSound* sound, SettingsStore& songStore, QWidget* window);
    ~KaraokeControls() override;

    QMenu* menu() const { return mnuKaraoke; }

    // Steps, for the menu, the keys and the desktop.
    void keyUp() { stepKey(1); }
    void keyDown() { stepKey(-1); }
    void originalKey();
    void tempoFaster() { stepTempo(1); }
    void tempoSlower() { stepTempo(-1); }
    void normalTempo();
    // Both back to the song's own.
    void original();
    void setVoiceCancel(bool on);
    // A first or second channel was chosen: the two exclude each other.
    void leaveVoiceCancel() { setVoiceCancel(false); }
    // The tempo as a rate (1.0 normal), for the desktop's media controls; snapped to the steps.
    double rate() const { return m_sound.tempo / 100.0; }
    void setRate(double rate);
    static double slowestRate() { return SongSound::SlowestTempo / 100.0; }
    static double fastestRate() { return SongSound::FastestTempo / 100.0; }

    // The player is about to play `song` (SongIdentity; empty when it cannot be told): what
    // was chosen for it before comes back, otherwise its own key and tempo.
    void songStarting(const QString& song);
    // Writes what is still waiting to be written; the exit paths call it.
    void flush();

    SongSound sound() const { return m_sound; }
    bool voiceCancel() const { return m_voiceCancel; }

signals:
    // Voice cancel was switched on: the channel choice goes back to both channels.
    void voiceCancelChosen();
    // The key or tempo changed (the desktop follows the tempo).
    void soundChanged();

private:
    void createMenu(QWidget* window);
    void createCaption(QWidget* window);
    void stepKey(int direction);
    void stepTempo(int direction);
    void choose(const SongSound& sound);
    void apply(const SongSound& sound);
    void refreshControls();

    KaraokeSound* m_stages;
    SongMemory m_memory;
    QTimer m_writeLater; // held keys write once, after they stop
    QString m_song;
    bool m_songChanged = false;
    SongSound m_sound;
    bool m_voiceCancel = false;

public:
    // The submenu and its items (object names as the tests and the quick help know them).
    QMenu* mnuKaraoke = nullptr;
    QAction* mnuKeyUp = nullptr;
    QAction* mnuKeyDown = nullptr;
    QAction* mnuOriginalKey = nullptr;
    QAction* mnuTempoFaster = nullptr;
    QAction* mnuTempoSlower = nullptr;
    QAction* mnuNormalTempo = nullptr;
    QAction* mnuVoiceCancel = nullptr;
    // "Key −2 · Tempo 90%" beside the status line while the song is not in its own key and tempo.
    QLabel* lblKaraoke = nullptr;
};

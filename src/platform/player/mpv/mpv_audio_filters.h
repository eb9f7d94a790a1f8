#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The player's audio filter chain: labelled stages in the order of the sound path (the channel
// pick or voice cancel, then key and tempo, then tone; other labels after them, in the order
// they were first added). mpv gets the whole chain as one "af" value and swaps it in place while
// playing, without a gap.
class MpvAudioFilterChain {
public:
    struct Stage {
        QString label;
        QString filter; // an mpv audio filter, e.g. "lavfi=[...]"
    };

    // The stage that picks the channels for Balance.
    static constexpr const char* ChannelStage = "chan";
    // Removes what the two channels share, a centred voice, above the bass.
    static constexpr const char* VoiceStage = "voice";
    // Moves the key (and, while present, stretches the tempo): rubberband, changed in place
    // with "af-command key set-pitch".
    static constexpr const char* KeyStage = "key";
    // Bass and treble shelving filters.
    static constexpr const char* ToneStage = "tone";
    // The filter the key stage is built on; an older libmpv may lack it.
    static constexpr const char* KeyFilterName = "rubberband";

    // Sets, or with an empty filter removes, the stage `label`. False when that changes nothing.
    bool setStage(const QString& label, const QString& filter);
    QString text() const { return textOf(m_stages); }

    // "@label:filter,@label:filter", "" for no stages.
    static QString textOf(const std::vector<Stage>& stages);
    // The channel stage's filter for a Balance value: "" (no stage) for both channels.
    static QString channelFilter(int balance);
    // The tone stage's filter for two gains in dB: "" (no stage) when both are 0.
    static QString toneFilter(double bassDb, double trebleDb);
    // The voice stage's filter: "" (no stage) when off.
    static QString voiceCancelFilter(bool on);
    // The key stage's filter for a key `semitones` away from the medium's own, on the filter
    // `name` (KeyFilterName but in tests): "" (no stage) at 0.
    static QString keyFilter(int semitones,
                             const QString& name = QString::fromLatin1(KeyFilterName));
    // The frequency ratio of a key change: 2^(semitones/12).
    static double pitchRatio(int semitones);
    // A ratio as mpv reads it, with a decimal point whatever the locale.
    static QByteArray ratioText(double ratio);

private:
    std::vector<Stage> m_stages;
};

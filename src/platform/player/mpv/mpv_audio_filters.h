#pragma once

#include <QString>
#include <vector>

// The player's audio filter chain: labelled stages in the order they were first added. mpv gets
// the whole chain as one "af" value and swaps it in place while playing, without a gap.
class MpvAudioFilterChain {
public:
    struct Stage {
        QString label;
        QString filter; // an mpv audio filter, e.g. "lavfi=[...]"
    };

    // The stage that picks the channels for Balance.
    static constexpr const char* ChannelStage = "chan";
    // Bass and treble shelving filters.
    static constexpr const char* ToneStage = "tone";

    // Sets, or with an empty filter removes, the stage `label`. False when that changes nothing.
    bool setStage(const QString& label, const QString& filter);
    QString text() const { return textOf(m_stages); }

    // "@label:filter,@label:filter", "" for no stages.
    static QString textOf(const std::vector<Stage>& stages);
    // The channel stage's filter for a Balance value: "" (no stage) for both channels.
    static QString channelFilter(int balance);
    // The tone stage's filter for two gains in dB: "" (no stage) when both are 0.
    static QString toneFilter(double bassDb, double trebleDb);

private:
    std::vector<Stage> m_stages;
};

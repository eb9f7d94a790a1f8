#pragma once

#include <QString>

// The key and tempo a song is sung in, as the singer chose them.
struct SongSound {
    static constexpr int KeyRange = 6;      // semitones each way, unless the settings widen it
    static constexpr int WideKeyRange = 12; // the widest the settings may make it
    static constexpr int NormalTempo = 100;
    static constexpr int SlowestTempo = 50;
    static constexpr int FastestTempo = 150;
    static constexpr int TempoStep = 5;

    int key = 0; // semitones from the song's own key
    int tempo = NormalTempo;

    bool isOriginal() const { return key == 0 && tempo == NormalTempo; }
    bool operator==(const SongSound&) const = default;

    // One step up or down, within `keyRange` semitones each way.
    SongSound withKeyStep(int direction, int keyRange) const;
    SongSound withTempoStep(int direction) const;
    // Whether a stored value could have come from here (a damaged one is not used).
    static bool isValid(int key, int tempo);

    // "Key −2 · Tempo 90%", "Key +1", "Tempo 110%"; empty for the song's own sound.
    QString caption() const;
};

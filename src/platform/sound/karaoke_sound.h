#pragma once

#include <QString>
#include <functional>

// The karaoke stages of the sound path: the key moved in semitones, the tempo changed with the
// key kept, a centred voice taken out. Each takes effect at once, during playback too, without
// a gap, and stays for every medium played afterwards until it is set again.
class KaraokeSound {
public:
    virtual ~KaraokeSound() = default;

    // Semitones away from the medium's own key; 0 is the medium's own, with no stage at all.
    virtual void setKey(int semitones) = 0;
    // Percent of the medium's own speed, the key kept; 100 is normal. Positions stay the
    // medium's own time.
    virtual void setTempo(int percent) = 0;
    // Takes out what the two channels share (a centred voice) and keeps what differs.
    virtual void setVoiceCancel(bool on) = 0;

    // Why the key cannot be changed here (the sound path lacks the filter), or empty.
    virtual QString keyUnavailable() const = 0;
    // Called on the GUI thread whenever keyUnavailable() changes.
    virtual void setAvailabilityListener(std::function<void()> listener) = 0;
};

#pragma once

// A tone stage in the sound path itself: shelving filters on the low and the high end.
class ToneControl {
public:
    virtual ~ToneControl() = default;
    // Gains in dB, 0 flat; takes effect at once, during playback too, and stays for every
    // medium played afterwards.
    virtual void setTone(double bassDb, double trebleDb) = 0;
};

#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The sound card's mixer and its wave input, as the mixer object of the volume panel uses
// them. Levels of volume, bass and treble controls are in 0..65535 whatever the card's own
// range; a mute reads 1 when muted and 0 when not. No call blocks the window for long and none
// shows anything: every failure is in the result.
class MixerDevice {
public:
    // The speaker destination (what the user sees as the main volume), the wave-output
    // source, the wave-input destination and the microphone source.
    enum class Line { Speaker, Wave, WaveIn, Microphone };
    enum class Control { Volume, Mute, Bass, Treble, PeakMeter };
    struct Bounds {
        qint32 minimum = 0;
        qint32 maximum = 0;
    };

    virtual ~MixerDevice();

    // Looks the control up now; nothing when the mixer has no such control or no mixer is
    // reachable.
    virtual std::optional<Bounds> findControl(Line line, Control control) = 0;
    // The control's present value; nothing when it cannot be read.
    virtual std::optional<qint32> value(Line line, Control control) = 0;
    // False when the value could not be written.
    virtual bool setValue(Line line, Control control, qint32 value) = 0;

    // Wave input: an 8 kHz, 8-bit, mono capture whose samples nobody reads; it only keeps the
    // input line active. Calls return 0 or an error code that waveInputErrorText describes.
    virtual int openWaveInput() = 0;
    // Buffer `index` (0 or 1) of `bytes` bytes made ready for capture, then handed to it.
    virtual int prepareWaveBuffer(int index, int bytes) = 0;
    virtual int queueWaveBuffer(int index) = 0;
    // Whether capture has filled buffer `index`, so that it is to be handed back.
    virtual bool waveBufferDone(int index) = 0;
    virtual int startWaveInput() = 0;
    // Stops capture and releases everything wave input holds.
    virtual void stopWaveInput() = 0;
    virtual QString waveInputErrorText(int code) const = 0;
};

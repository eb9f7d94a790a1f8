#pragma once

#include "platform/sound/mixer_device.h"
#include "platform/sound/tone_control.h"

#include <QList>
#include <QStringList>
#include <array>
#include <map>
#include <utility>

// A scriptable mixer: controls present or not, with their bounds and values, reads and writes
// that fail, a result for each wave-input call, and a record of every call in order.
class FakeMixerDevice : public MixerDevice {
public:
    struct FakeControl {
        Bounds bounds;
        qint32 value = 0;
        bool readFails = false;
        bool writeFails = false;
    };

    // Adds a control, or replaces one; returns it for further scripting.
    FakeControl& add(Line line, Control control, Bounds bounds = {0, 65535}, qint32 value = 0);
    FakeControl* control(Line line, Control control);

    std::optional<Bounds> findControl(Line line, Control control) override;
    std::optional<qint32> value(Line line, Control control) override;
    bool setValue(Line line, Control control, qint32 value) override;

    int openWaveInput() override;
    int prepareWaveBuffer(int index, int bytes) override;
    int queueWaveBuffer(int index) override;
    bool waveBufferDone(int index) override;
    int startWaveInput() override;
    void stopWaveInput() override;
    QString waveInputErrorText(int code) const override;

    std::map<std::pair<Line, Control>, FakeControl> controls;
    // Results of the wave-input calls, taken one per call from the front; 0 once empty.
    QList<int> openResults, prepareResults, queueResults, startResults;
    // Whether capture has filled a buffer; handing it back (queueing) clears it.
    std::array<bool, 2> bufferDone{};
    // "find Speaker Volume", "value Wave Mute", "set Speaker Bass 26855", "open", "prepare 0 8192",
    // "queue 1", "start", "stop"; waveBufferDone is not recorded.
    QStringList calls;

    static QString name(Line line, Control control);
};

// Records the gains of the tone stage.
class FakeToneControl : public ToneControl {
public:
    void setTone(double bassDb, double trebleDb) override;

    double bassDb = 0;
    double trebleDb = 0;
    int calls = 0;
};

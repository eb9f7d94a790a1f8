#include "fake_mixer_device.h"

namespace {
int takeResult(QList<int>& results)
{
    return results.isEmpty() ? 0 : results.takeFirst();
}
} // namespace

QString FakeMixerDevice::name(Line line, Control control)
{
    static const char* const lines[] = {"Speaker", "Wave", "WaveIn", "Microphone"};
    static const char* const kinds[] = {"Volume", "Mute", "Bass", "Treble", "PeakMeter"};
    return QStringLiteral("%1 %2").arg(lines[int(line)], kinds[int(control)]);
}

FakeMixerDevice::FakeControl& FakeMixerDevice::add(Line line, Control control, Bounds bounds,
                                                   qint32 value)
{
    FakeControl& added = controls[{line, control}];
    added = FakeControl{bounds, value, false, false};
    return added;
}

FakeMixerDevice::FakeControl* FakeMixerDevice::control(Line line, Control control)
{
    const auto found = controls.find({line, control});
    return found == controls.end() ? nullptr : &found->second;
}

std::optional<MixerDevice::Bounds> FakeMixerDevice::findControl(Line line, Control control)
{
    calls << QStringLiteral("find ") + name(line, control);
    if (const FakeControl* found = this->control(line, control))
        return found->bounds;
    return std::nullopt;
}

std::optional<qint32> FakeMixerDevice::value(Line line, Control control)
{
    calls << QStringLiteral("value ") + name(line, control);
    const FakeControl* found = this->control(line, control);
    if (!found || found->readFails)
        return std::nullopt;
    return found->value;
}

bool FakeMixerDevice::setValue(Line line, Control control, qint32 value)
{
    calls << QStringLiteral("set %1 %2").arg(name(line, control)).arg(value);
    FakeControl* found = this->control(line, control);
    if (!found || found->writeFails)
        return false;
    found->value = value;
    return true;
}

int FakeMixerDevice::openWaveInput()
{
    calls << QStringLiteral("open");
    return takeResult(openResults);
}

int FakeMixerDevice::prepareWaveBuffer(int index, int bytes)
{
    calls << QStringLiteral("prepare %1 %2").arg(index).arg(bytes);
    return takeResult(prepareResults);
}

int FakeMixerDevice::queueWaveBuffer(int index)
{
    calls << QStringLiteral("queue %1").arg(index);
    if (index >= 0 && index < int(bufferDone.size()))
        bufferDone[std::size_t(index)] = false;
    return takeResult(queueResults);
}

bool FakeMixerDevice::waveBufferDone(int index)
{
    return index >= 0 && index < int(bufferDone.size()) && bufferDone[std::size_t(index)];
}

int FakeMixerDevice::startWaveInput()
{
    calls << QStringLiteral("start");
    return takeResult(startResults);
}

void FakeMixerDevice::stopWaveInput()
{
    calls << QStringLiteral("stop");
}

QString FakeMixerDevice::waveInputErrorText(int code) const
{
    return QStringLiteral("wave error %1").arg(code);
}

void FakeToneControl::setTone(double bass, double treble)
{
    bassDb = bass;
    trebleDb = treble;
    ++calls;
}

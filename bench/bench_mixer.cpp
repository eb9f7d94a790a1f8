// The mixer on the start-up path and under a knob: median time of building the mixer object
// on the ALSA mixer (the first attach included) and of one volume write, against the sound
// server the environment names (PULSE_SERVER).
//   bench_mixer [RUNS]
#include "mixer/cls_volume.h"
#include "platform/sound/alsa_mixer_device.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    std::vector<double> constructions, writes;
    bool attached = true;
    QElapsedTimer clock;
    for (int run = 0; run < runs; ++run) {
        AlsaMixerDevice device;
        clock.start();
        auto volume = std::make_unique<clsVolume>(device, nullptr, nullptr);
        constructions.push_back(clock.nsecsElapsed() / 1e6);
        attached = attached && volume->VolumeMax() > 0;
        clock.start();
        // A knob step, as the volume panel writes it.
        volume->setVolumeLevel(655 * (40 + run % 20));
        writes.push_back(clock.nsecsElapsed() / 1e6);
    }
    if (!attached)
        std::printf("warning: the mixer was not reachable in every run (no sound server?)\n");
    std::printf("clsVolume on AlsaMixerDevice, %d runs: construction median %.2f ms (max %.2f), "
                "setVolumeLevel median %.2f ms (max %.2f)\n",
                runs, median(constructions),
                *std::max_element(constructions.begin(), constructions.end()), median(writes),
                *std::max_element(writes.begin(), writes.end()));
    return attached ? 0 : 1;
}

// Prints the "af" value the player sends for a key SEMITONES away from the medium's own, for
// scripts that give the same chain to a player started otherwise (bench/karaoke-cost.sh).
//   bench_karaoke_filter SEMITONES

#include "platform/player/mpv/mpv_audio_filters.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SEMITONES\n", argv[0]);
        return 2;
    }
    MpvAudioFilterChain chain;
    chain.setStage(QString::fromLatin1(MpvAudioFilterChain::KeyStage),
                   MpvAudioFilterChain::keyFilter(std::atoi(argv[1])));
    std::printf("%s\n", qPrintable(chain.text()));
    return 0;
}

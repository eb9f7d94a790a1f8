#pragma once

#include <cstdint>
#include <random>

// How the player moves through the list, and the random draw it uses. The generator has a
// fixed seed so every run of the program draws the same sequence.
class PlayOrder {
public:
    enum Mode { Order, Random, Repeat };

    // floor(count x r) for the next r in [0, 1); 0 for an empty list.
    int drawEntry(int count);

private:
    static constexpr std::uint64_t Seed = 20050530;
    std::mt19937_64 m_generator{Seed};
};

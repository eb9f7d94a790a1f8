#include "playback/play_order.h"

#include <cmath>

int PlayOrder::drawEntry(int count)
{
    // 53 random bits give every double in [0, 1) the generator can express, the same on
    // every standard library (unlike std::uniform_real_distribution).
    const double r = double(m_generator() >> 11) * 0x1.0p-53;
    return count > 0 ? int(std::floor(count * r)) : 0;
}

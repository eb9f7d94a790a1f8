#include "platform/disc/read/mpeg_pack_clock.h"

namespace MpegPackClock {

namespace {

constexpr double ClockRate = 90000;
constexpr std::size_t HeaderBytes = 12; // start code and clock of either version

bool startsPack(Bytes b)
{
    return b.size() >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0xba;
}

std::uint64_t bits(std::uint8_t byte, int shift, int count)
{
    return (std::uint64_t(byte) >> shift) & ((1u << count) - 1);
}

} // namespace

std::optional<double> at(Bytes b)
{
    if (!startsPack(b) || b.size() < HeaderBytes)
        return std::nullopt;
    std::uint64_t clock = 0;
    if ((b[4] & 0xf0) == 0x20) {
        // MPEG-1: '0010', clock[32..30], marker, clock[29..15], marker, clock[14..0], marker.
        clock = bits(b[4], 1, 3) << 30 | std::uint64_t(b[5]) << 22 | bits(b[6], 1, 7) << 15 |
                std::uint64_t(b[7]) << 7 | bits(b[8], 1, 7);
    } else if ((b[4] & 0xc0) == 0x40) {
        // MPEG-2: '01', clock[32..30], marker, clock[29..15], marker, clock[14..0], marker, and
        // an extension in 1/300 of a tick that a sector's time does not need.
        clock = bits(b[4], 3, 3) << 30 | bits(b[4], 0, 2) << 28 | std::uint64_t(b[5]) << 20 |
                bits(b[6], 3, 5) << 15 | bits(b[6], 0, 2) << 13 | std::uint64_t(b[7]) << 5 |
                bits(b[8], 3, 5);
    } else {
        return std::nullopt;
    }
    return double(clock) / ClockRate;
}

std::optional<double> first(Bytes b)
{
    for (std::size_t i = 0; i + HeaderBytes <= b.size(); ++i) {
        if (startsPack(b.subspan(i)))
            if (const std::optional<double> clock = at(b.subspan(i)))
                return clock;
    }
    return std::nullopt;
}

} // namespace MpegPackClock

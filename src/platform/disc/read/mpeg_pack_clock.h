#pragma once

#include <cstdint>
#include <optional>
#include <span>

// The system clock of MPEG program stream packs (MPEG-1 and MPEG-2), which says when each pack
// of a Video CD track is due: the time of a sector within its track.
namespace MpegPackClock {

using Bytes = std::span<const std::uint8_t>;

// The clock of the pack header at the very start of `bytes`, in seconds; nothing when the bytes
// start with no pack header or end inside it.
std::optional<double> at(Bytes bytes);

// The clock of the first pack header within `bytes`, in seconds; nothing when there is none.
std::optional<double> first(Bytes bytes);

} // namespace MpegPackClock

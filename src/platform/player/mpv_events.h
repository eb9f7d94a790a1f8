#pragma once

#include "platform/player/mpv/mpv_handle.h"
#include "platform/player/mpv_load_sequence.h"

#include <QLoggingCategory>
#include <cstdint>

Q_DECLARE_LOGGING_CATEGORY(lcMpv)

// reply_userdata of the player's async requests: what the request was in the top byte, the
// serial of the load it belongs to below it.
enum class MpvRequest : std::uint8_t {
    Untracked = 0,
    Load = 1,
    Seek = 2,
    Filters = 3,
    Duration = 4, // its serial is the playlist entry whose duration was asked
    KeyCommand = 5,
};
std::uint64_t mpvReplyId(MpvRequest request, std::uint64_t serial = 0);

// reply_userdata of the properties the player observes.
enum MpvObservedProperty : std::uint64_t {
    MpvDurationProperty = 1,
    MpvTimePosProperty = 2,
    MpvVideoWidthProperty = 3, // the picture's display size, for double size
    MpvVideoHeightProperty = 4,
    MpvAudioChannelsProperty = 5, // the source's channels, for voice cancel
};

// Whether `event` is the failed reply to a request of this kind.
bool mpvRequestFailed(const mpv_event& event, MpvRequest request);

// Reads one event of mpv's queue into the load sequence and returns what the player is to carry
// out. Nothing of `event` is needed afterwards.
MpvLoadSequence::Actions feedMpvEvent(const mpv_event& event, MpvLoadSequence& sequence);

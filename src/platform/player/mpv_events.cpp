#include "platform/player/mpv_events.h"
#include "diagnostics/diagnostics.h"

Q_LOGGING_CATEGORY(lcMpv, "tamrel.mpv", QtWarningMsg)

namespace {

constexpr int kRequestShift = 56;

MpvRequest requestOf(std::uint64_t replyId)
{
    return MpvRequest(replyId >> kRequestShift);
}

std::uint64_t serialOf(std::uint64_t replyId)
{
    return replyId & ((std::uint64_t(1) << kRequestShift) - 1);
}

// The playlist entry a loadfile reply names, or -1.
std::int64_t loadedEntry(const mpv_event& reply)
{
    const auto* command = static_cast<const mpv_event_command*>(reply.data);
    if (reply.error < 0 || command->result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    std::int64_t entry = -1;
    const mpv_node_list* map = command->result.u.list;
    for (int i = 0; i < map->num; ++i) {
        if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 &&
            map->values[i].format == MPV_FORMAT_INT64)
            entry = map->values[i].u.int64;
    }
    return entry;
}

MpvLoadSequence::FileEnd::Reason reasonOf(mpv_end_file_reason reason)
{
    using FileEnd = MpvLoadSequence::FileEnd;
    switch (reason) {
    case MPV_END_FILE_REASON_EOF:
        return FileEnd::Eof;
    case MPV_END_FILE_REASON_QUIT:
        return FileEnd::Quit;
    case MPV_END_FILE_REASON_ERROR:
        return FileEnd::Error;
    case MPV_END_FILE_REASON_REDIRECT:
        return FileEnd::Redirect;
    default:
        return FileEnd::Stop;
    }
}

MpvLoadSequence::FileEnd fileEndOf(const mpv_event_end_file& end)
{
    MpvLoadSequence::FileEnd fileEnd;
    fileEnd.entry = end.playlist_entry_id;
    fileEnd.reason = reasonOf(end.reason);
    fileEnd.error = end.error;
    fileEnd.insertedEntry = end.playlist_insert_id;
    fileEnd.insertedCount = end.playlist_insert_num_entries;
    return fileEnd;
}

MpvLoadSequence::Actions feedReply(const mpv_event& reply, MpvLoadSequence& sequence)
{
    const std::uint64_t id = reply.reply_userdata;
    switch (requestOf(id)) {
    case MpvRequest::Load:
        return sequence.loadReplied(serialOf(id), reply.error, loadedEntry(reply));
    case MpvRequest::Seek:
        if (reply.error < 0)
            sequence.seekFailed();
        break;
    case MpvRequest::Filters:
        if (reply.error < 0)
            qCWarning(lcMpv, "mpv rejected the audio filters: %s", mpv_error_string(reply.error));
        break;
    default:
        break;
    }
    return {};
}

void feedProperty(std::uint64_t id, const mpv_event_property& property, MpvLoadSequence& sequence)
{
    // Unavailable between files: the sequence keeps the duration of the file that ended.
    if (property.format != MPV_FORMAT_DOUBLE)
        return;
    const double value = *static_cast<const double*>(property.data);
    if (id == MpvDurationProperty)
        sequence.durationChanged(value);
    else if (id == MpvTimePosProperty)
        sequence.positionChanged(value);
}

void feedDurationReply(const mpv_event& reply, MpvLoadSequence& sequence)
{
    const auto* property = static_cast<const mpv_event_property*>(reply.data);
    if (reply.error < 0 || property->format != MPV_FORMAT_DOUBLE)
        return;
    sequence.durationOfEntry(std::int64_t(serialOf(reply.reply_userdata)),
                             *static_cast<const double*>(property->data));
}

void log(const mpv_event_log_message& message)
{
    const QByteArray text = QByteArray(message.text).trimmed();
    if (message.log_level <= MPV_LOG_LEVEL_ERROR)
        qCWarning(lcMpv, "%s: %s", message.prefix, text.constData());
    else
        qCInfo(lcMpv, "%s: %s", message.prefix, text.constData());
}

} // namespace

std::uint64_t mpvReplyId(MpvRequest request, std::uint64_t serial)
{
    return (std::uint64_t(request) << kRequestShift) | serial;
}

bool mpvRequestFailed(const mpv_event& event, MpvRequest request)
{
    return event.error < 0 && event.reply_userdata != 0 &&
           requestOf(event.reply_userdata) == request;
}

MpvLoadSequence::Actions feedMpvEvent(const mpv_event& event, MpvLoadSequence& sequence)
{
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        return feedReply(event, sequence);
    case MPV_EVENT_START_FILE:
        Diagnostics::mark("mpv: file started");
        return sequence.fileStarted(
            static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
    case MPV_EVENT_FILE_LOADED:
        Diagnostics::mark("mpv: file loaded (opened, demuxer ready)");
        return sequence.fileLoaded();
    case MPV_EVENT_VIDEO_RECONFIG:
        Diagnostics::mark("mpv: video configured (first frame decoded)");
        sequence.videoReconfigured();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        Diagnostics::mark("mpv: playback started");
        return sequence.playbackRestarted();
    case MPV_EVENT_END_FILE:
        return sequence.fileEnded(fileEndOf(*static_cast<const mpv_event_end_file*>(event.data)));
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (requestOf(event.reply_userdata) == MpvRequest::Duration)
            feedDurationReply(event, sequence);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        feedProperty(event.reply_userdata, *static_cast<const mpv_event_property*>(event.data),
                     sequence);
        break;
    case MPV_EVENT_LOG_MESSAGE:
        log(*static_cast<const mpv_event_log_message*>(event.data));
        break;
    default:
        break;
    }
    return {};
}

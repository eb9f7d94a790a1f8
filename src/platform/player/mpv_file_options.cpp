#include "platform/player/mpv_file_options.h"

#include "platform/disc/disc_path.h"
#include "platform/files/media_paths.h"
#include "platform/files/media_sniff.h"
#include "platform/player/mpv/disc_stream_protocol.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

// The disc path a file plays from: disc files, and movie files on a mounted CD, are read
// sector by sector through our own protocol.
std::optional<QString> discPathOf(const QString& path)
{
    if (MediaPaths::isDiscPath(path))
        return path;
    return MediaPaths::discPathOnMountedCd(path);
}

} // namespace

QByteArray mpvPath(const QString& path)
{
    if (const std::optional<QString> onDisc = discPathOf(path))
        return discStreamUri(*onDisc).toUtf8();
    if (path.contains(QLatin1String("://")))
        return path.toUtf8();
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

// A Video CD track is an MPEG program stream behind a run of empty sectors, on which the probe
// goes through seven rounds of every format on up to 128 KiB before it is sure (about 15 ms of
// the start): its format is named. Its one video and one audio stream both begin in its first
// second, so libavformat need not read five seconds of it to describe them before the first
// picture (each track change would pay it). The same holds for an MPEG-1 program stream on
// disk, the form Video CD tracks take when copied.
MpvFileOptions fileOptionsFor(const QString& path, bool holdLastPicture)
{
    MpvFileOptions options;
    if (holdLastPicture)
        options = {{"keep-open", "yes"}, {"keep-open-pause", "no"}};
    const std::optional<QString> onDisc = discPathOf(path);
    const std::optional<DiscPath> discPath = onDisc ? DiscPath::parse(*onDisc) : std::nullopt;
    const bool videoCdTrack = discPath ? discPath->isMovieTrack()
                                       : !onDisc && !path.contains(QLatin1String("://")) &&
                                             MediaSniff::isMpeg1ProgramStream(path);
    if (videoCdTrack)
        options.insert(options.end(),
                       {{"demuxer-lavf-format", "mpeg"}, {"demuxer-lavf-analyzeduration", "0.5"}});
    return options;
}

#include "platform/player/mpv_player.h"
#include "diagnostics/diagnostics.h"

#include "platform/disc/disc_path.h"
#include "platform/files/media_paths.h"
#include "platform/files/media_sniff.h"
#include "platform/player/double_size.h"
#include "platform/player/mpv/disc_stream_protocol.h"

#include "platform/player/mpv_events.h"
#include "platform/player/view/mpv_full_screen.h"
#include "platform/player/view/mpv_player_view.h"
#include "platform/player/view/mpv_video_widget.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// mpv's volume scale is cubic: gain in dB = 60 * log10(volume / 100).
constexpr double kStartLevelDb = -2.9;

// The disc path a file plays from: disc files, and movie files on a mounted CD (whose Form 2
// sectors the kernel cannot read), are read sector by sector through our own protocol.
std::optional<QString> discPathOf(const QString& path)
{
    if (MediaPaths::isDiscPath(path))
        return path;
    return MediaPaths::discPathOnMountedCd(path);
}

QByteArray mpvPath(const QString& path)
{
    // URLs go through untouched; local names become absolute so that a relative name with a
    // colon is not taken for a protocol.
    if (const std::optional<QString> onDisc = discPathOf(path))
        return discStreamUri(*onDisc).toUtf8();
    if (path.contains(QLatin1String("://")))
        return path.toUtf8();
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

// Options that hold for one file alone. A Video CD track is an MPEG program stream behind a
// run of empty sectors, on which the probe goes through seven rounds of every format on up to
// 128 KiB before it is sure (about 15 ms of the start): its format is named. Its one video and
// one audio stream both begin in its first second, so libavformat need not read five seconds
// of it to describe them before the first picture (each track change would pay it). The same
// holds for an MPEG-1 program stream on disk, the form Video CD tracks take when copied.
MpvPlayer::FileOptions fileOptionsFor(const QString& path)
{
    const std::optional<QString> onDisc = discPathOf(path);
    const std::optional<DiscPath> discPath = onDisc ? DiscPath::parse(*onDisc) : std::nullopt;
    const bool videoCdTrack = discPath ? discPath->isMovieTrack()
                                       : !onDisc && !path.contains(QLatin1String("://")) &&
                                             MediaSniff::isMpeg1ProgramStream(path);
    if (!videoCdTrack)
        return {};
    return {{"demuxer-lavf-format", "mpeg"}, {"demuxer-lavf-analyzeduration", "0.5"}};
}

mpv_node stringNode(const char* text)
{
    mpv_node node{};
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char*>(text);
    return node;
}

MpvLoadSequence::Medium mediumOf(const QString& path)
{
    if (path.isEmpty())
        return MpvLoadSequence::Medium::None;
    // mpv would open a directory as a play list of everything in it.
    if (QFileInfo(path).isDir())
        return MpvLoadSequence::Medium::Directory;
    return MpvLoadSequence::Medium::File;
}

} // namespace

MpvPlayer::MpvPlayer(const Options& options, QObject* parent)
    : MediaPlayer(parent), m_options(options)
{
    // libmpv parses and prints numbers with the C locale and refuses to start otherwise;
    // QApplication has set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");

    // Opening libmpv and starting its core take longer than building the window, so they
    // run beside it; the first call that needs the handle waits for what is left.
    m_handleInMaking = std::async(std::launch::async, [this] {
        MpvHandlePtr mpv = createHandle();
        if (mpv)
            watchEvents(mpv.get());
        // A software picture can be set up as soon as the handle exists. The call dies with
        // the player, which waits for this thread before it goes.
        QMetaObject::invokeMethod(this, &MpvPlayer::onHandleMade, Qt::QueuedConnection);
        return mpv;
    });
    createView();
}

MpvPlayer::~MpvPlayer()
{
    if (mpv_handle* mpv = handle())
        mpv_set_wakeup_callback(mpv, nullptr, nullptr);
    leaveFullScreen();
    m_fullScreen->removeShortcuts();
    // The render context must go before the mpv handle it belongs to.
    if (m_view && m_view->renderedPicture())
        m_view->renderedPicture()->releaseRenderContext();
    delete m_view;
    m_mpv.reset();
}

mpv_handle* MpvPlayer::handle() const
{
    if (m_handleInMaking.valid()) {
        Diagnostics::mark("mpv: handle needed");
        m_mpv = m_handleInMaking.get();
        Diagnostics::mark("mpv: handle ready");
    }
    return m_mpv.get();
}

bool MpvPlayer::isStarting() const
{
    using namespace std::chrono_literals;
    return m_handleInMaking.valid() && m_handleInMaking.wait_for(0s) != std::future_status::ready;
}

// Runs on the thread that makes the handle: touches nothing of the player but its options.
MpvHandlePtr MpvPlayer::createHandle() const
{
    Diagnostics::mark("mpv: creating the handle");
    MpvHandlePtr mpv(mpv_create());
    if (!mpv) {
        qCCritical(lcMpv, "mpv_create failed");
        return mpv;
    }
    const QByteArray volume =
        QByteArray::number(100.0 * std::pow(10.0, kStartLevelDb / 60.0), 'f', 4);
    const std::pair<const char*, QByteArray> defaults[] = {
        {"vo", m_options.renderVideo ? "libmpv" : "null"},
        {"load-scripts", "no"},
        // mpv's built-in scripts (console, statistics, profile switching) would start a Lua
        // interpreter on threads of their own, competing with the start for the CPU.
        {"load-osd-console", "no"},
        {"load-stats-overlay", "no"},
        {"load-auto-profiles", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"terminal", "no"},
        // Without a sound device audio-only media still run (silently) to their end.
        {"audio-fallback-to-null", "yes"},
        // A file being replaced or stopped during a slow read is dropped at once rather than
        // given time to end its read cleanly.
        {"demuxer-termination-timeout", "0"},
        {"volume", volume},
    };
    for (const auto& [name, value] : defaults) {
        if (mpv_set_option_string(mpv.get(), name, value.constData()) < 0)
            qCWarning(lcMpv, "mpv does not accept %s=%s", name, value.constData());
    }
    for (const QString& option : m_options.extraOptions) {
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        const QByteArray name = option.left(equals).toUtf8();
        const QByteArray value = equals < 0 ? QByteArray("yes") : option.mid(equals + 1).toUtf8();
        if (mpv_set_option_string(mpv.get(), name.constData(), value.constData()) < 0)
            qCWarning(lcMpv, "mpv does not accept %s=%s", name.constData(), value.constData());
    }
    Diagnostics::mark("mpv: options set");
    if (mpv_initialize(mpv.get()) < 0) {
        qCCritical(lcMpv, "mpv_initialize failed");
        return nullptr;
    }
    if (m_options.discs && !registerDiscStreamProtocol(mpv.get(), *m_options.discs))
        qCWarning(lcMpv, "mpv refused the disc stream protocol: discs will not play");
    Diagnostics::mark("mpv: initialised");
    return mpv;
}

void MpvPlayer::watchEvents(mpv_handle* mpv)
{
    mpv_observe_property(mpv, MpvDurationProperty, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, MpvTimePosProperty, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, MpvVideoWidthProperty, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(mpv, MpvVideoHeightProperty, "dheight", MPV_FORMAT_INT64);
    mpv_request_log_messages(mpv, "warn");
    mpv_set_wakeup_callback(
        mpv,
        [](void* player) {
            // Called on mpv's threads: never call mpv here, only wake the GUI thread.
            // The callback is removed before the player goes away, and calls still
            // queued die with the player object.
            auto* self = static_cast<MpvPlayer*>(player);
            if (!self->m_drainQueued.exchange(true))
                QMetaObject::invokeMethod(self, &MpvPlayer::drainEvents, Qt::QueuedConnection);
        },
        this);
}

void MpvPlayer::createView()
{
    m_view = new MpvPlayerView(m_options.renderVideo ? MpvHandleSource([this] { return handle(); })
                                                     : MpvHandleSource(),
                               m_options.output);
    m_fullScreen = new MpvFullScreen(m_view, this);
    connect(m_view, &MpvPlayerView::shown, m_fullScreen, &MpvFullScreen::ensureShortcuts);
    connect(m_view, &MpvPlayerView::pauseToggleRequested, this, &MpvPlayer::togglePause);
    connect(m_view, &MpvPlayerView::stopRequested, this, &MpvPlayer::Stop);
    connect(m_view, &MpvPlayerView::seekRequested, this, &MpvPlayer::setCurrentPosition);
    connect(m_view, &MpvPlayerView::pictureResized, this, [this] {
        if (m_displaySize == DoubleSize)
            applyDisplaySize();
    });
    connect(m_fullScreen, &MpvFullScreen::leaveRequested, this,
            [this] { setDisplaySize(m_sizeBeforeFullScreen); });
    connect(m_fullScreen, &MpvFullScreen::toggleRequested, this, [this] {
        setDisplaySize(m_fullScreen->isActive() ? m_sizeBeforeFullScreen : FullScreen);
    });

    if (MpvVideoWidget* picture = m_view->renderedPicture()) {
        using Picture = MpvLoadSequence::Picture;
        carryOut(m_sequence.pictureChanged(Picture::AwaitingRenderContext));
        connect(picture, &MpvVideoWidget::renderContextReady, this,
                [this] { carryOut(m_sequence.pictureChanged(Picture::Rendered)); });
        connect(picture, &MpvVideoWidget::frameRendered, this,
                [this] { carryOut(m_sequence.frameShown()); });
        // Gone with the window it was placed on: no render context to wait for any more.
        // The view is being destroyed, so only the sequence hears of it; losing the picture
        // starts nothing.
        connect(picture, &QObject::destroyed, this,
                [this] { m_sequence.pictureChanged(Picture::None); });
    }
    m_view->setControlsVisible(m_showControls);
    refreshControls();
}

void MpvPlayer::onHandleMade()
{
    if (MpvVideoWidget* picture = m_view ? m_view->renderedPicture() : nullptr)
        picture->mpvReady();
}

QWidget* MpvPlayer::videoWidget()
{
    return m_view;
}

// ---- mpv requests -------------------------------------------------------------------------

void MpvPlayer::command(std::uint64_t replyId, std::initializer_list<QByteArray> args)
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return;
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    mpv_command_async(mpv, replyId, argv.data());
}

void MpvPlayer::loadFile(std::uint64_t replyId, const QByteArray& url,
                         const FileOptions& fileOptions)
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return;
    // Named arguments: the positions after the flags differ between mpv versions.
    std::vector<char*> optionKeys;
    std::vector<mpv_node> optionValues;
    for (const auto& [name, value] : fileOptions) {
        optionKeys.push_back(const_cast<char*>(name));
        optionValues.push_back(stringNode(value));
    }
    mpv_node_list optionList{int(optionKeys.size()), optionValues.data(), optionKeys.data()};
    mpv_node options{};
    options.format = MPV_FORMAT_NODE_MAP;
    options.u.list = &optionList;

    char* keys[] = {const_cast<char*>("name"), const_cast<char*>("url"), const_cast<char*>("flags"),
                    const_cast<char*>("options")};
    mpv_node values[] = {stringNode("loadfile"), stringNode(url.constData()), stringNode("replace"),
                         options};
    mpv_node_list list{fileOptions.empty() ? 3 : 4, values, keys};
    mpv_node args{};
    args.format = MPV_FORMAT_NODE_MAP;
    args.u.list = &list;
    mpv_command_node_async(mpv, replyId, &args);
}

void MpvPlayer::setMpvProperty(const char* name, const QByteArray& value, std::uint64_t replyId)
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return;
    const char* data = value.constData();
    mpv_set_property_async(mpv, replyId, name, MPV_FORMAT_STRING, &data);
}

QString MpvPlayer::mpvProperty(const char* name) const
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return {};
    MpvStringPtr value(mpv_get_property_string(mpv, name));
    return value ? QString::fromUtf8(value.get()) : QString();
}

QImage MpvPlayer::videoFrame() const
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return {};
    const char* args[] = {"screenshot-raw", "video", nullptr};
    mpv_node result{};
    if (mpv_command_ret(mpv, args, &result) < 0)
        return {};
    // The node owns the pixels until it is freed; the image takes a copy first.
    const std::unique_ptr<mpv_node, void (*)(mpv_node*)> guard(&result, mpv_free_node_contents);
    if (result.format != MPV_FORMAT_NODE_MAP)
        return {};
    std::int64_t width = 0, height = 0, stride = 0;
    QByteArray format;
    const mpv_byte_array* data = nullptr;
    const mpv_node_list* map = result.u.list;
    for (int i = 0; i < map->num; ++i) {
        const QByteArray key(map->keys[i]);
        const mpv_node& value = map->values[i];
        if (value.format == MPV_FORMAT_INT64 && key == "w")
            width = value.u.int64;
        else if (value.format == MPV_FORMAT_INT64 && key == "h")
            height = value.u.int64;
        else if (value.format == MPV_FORMAT_INT64 && key == "stride")
            stride = value.u.int64;
        else if (value.format == MPV_FORMAT_STRING && key == "format")
            format = value.u.string;
        else if (value.format == MPV_FORMAT_BYTE_ARRAY && key == "data")
            data = value.u.ba;
    }
    // "bgr0": blue, green, red and a padding byte, which is RGB32 in a little-endian word.
    if (format != "bgr0" || !data || width <= 0 || height <= 0 || stride < width * 4 ||
        std::int64_t(data->size) < stride * height || Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        return {};
    return QImage(static_cast<const uchar*>(data->data), int(width), int(height), qsizetype(stride),
                  QImage::Format_RGB32)
        .copy();
}

// ---- MediaPlayer ---------------------------------------------------------------------------

void MpvPlayer::setFileName(const QString& path)
{
    m_fileName = path;
    if (!handle())
        return;
    // A software picture needs nothing but the handle: it is set up here rather than when the
    // handle thread's queued call comes through, behind whatever the window has queued, so
    // that the first file loads at once.
    onHandleMade();
    carryOut(m_sequence.open(mediumOf(path)));
}

void MpvPlayer::Play()
{
    if (handle())
        carryOut(m_sequence.play());
}

void MpvPlayer::Pause()
{
    if (handle())
        carryOut(m_sequence.pause());
}

void MpvPlayer::Stop()
{
    if (handle())
        carryOut(m_sequence.stop());
}

void MpvPlayer::setCurrentPosition(double seconds)
{
    if (handle())
        carryOut(m_sequence.seek(seconds));
}

void MpvPlayer::togglePause()
{
    if (PlayState() == Playing)
        Pause();
    else
        Play();
}

// ---- Carrying out what the load sequence decided -------------------------------------------

void MpvPlayer::carryOut(const MpvLoadSequence::Actions& actions)
{
    refreshControls();
    // A listener may delete the player; stop touching it then.
    QPointer<MpvPlayer> self(this);
    for (const MpvLoadAction& action : actions) {
        if (!self)
            return;
        carryOut(action);
    }
}

void MpvPlayer::carryOut(const MpvLoadAction& action)
{
    switch (action.kind) {
    case MpvLoadAction::SetPause:
        setMpvProperty("pause", action.paused ? "yes" : "no");
        break;
    case MpvLoadAction::Loadfile:
        Diagnostics::mark("mpv: loadfile sent");
        loadFile(mpvReplyId(MpvRequest::Load, action.serial), mpvPath(m_fileName),
                 fileOptionsFor(m_fileName));
        break;
    case MpvLoadAction::StopPlayback:
        command(mpvReplyId(MpvRequest::Untracked), {"stop"});
        break;
    case MpvLoadAction::Seek:
        command(mpvReplyId(MpvRequest::Seek),
                {"seek", QByteArray::number(action.seconds, 'f', 3), "absolute"});
        break;
    case MpvLoadAction::ClearPlaylist:
        command(mpvReplyId(MpvRequest::Untracked), {"playlist-clear"});
        break;
    case MpvLoadAction::AskDuration:
        if (mpv_handle* mpv = handle())
            mpv_get_property_async(mpv, mpvReplyId(MpvRequest::Duration, action.serial), "duration",
                                   MPV_FORMAT_DOUBLE);
        break;
    case MpvLoadAction::ReportFailureLater:
        QTimer::singleShot(0, this, [this, action] {
            carryOut(m_sequence.failureDue(action.serial, action.error));
        });
        break;
    case MpvLoadAction::ReportState:
        emit PlayStateChange(action.oldState, action.newState);
        break;
    case MpvLoadAction::ReportEndOfStream:
        emit EndOfStream(0);
        break;
    case MpvLoadAction::ReportLoadFailed:
        emit loadFailed(m_fileName, action.error);
        break;
    case MpvLoadAction::ReportFirstFrame:
        Diagnostics::mark("first frame shown (swapped)");
        emit firstFrameShown();
        break;
    }
}

// ---- mpv events ----------------------------------------------------------------------------

void MpvPlayer::drainEvents()
{
    m_drainQueued = false;
    // A signal handler may delete the player; stop touching it then.
    QPointer<MpvPlayer> self(this);
    while (self && handle()) {
        const mpv_event* event = mpv_wait_event(m_mpv.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE)
            noteVideoSize(event->reply_userdata,
                          *static_cast<const mpv_event_property*>(event->data));
        // The event is read completely first: a listener may delete the player or start a
        // new mpv_wait_event through a nested event loop, which invalidates `event`.
        carryOut(feedMpvEvent(*event, m_sequence));
    }
}

// ---- Audio ---------------------------------------------------------------------------------

void MpvPlayer::setBalance(int balance)
{
    m_balance = std::clamp(balance, BalanceFirstChannel, BalanceSecondChannel);
    setAudioStage(QString::fromLatin1(MpvAudioFilterChain::ChannelStage),
                  MpvAudioFilterChain::channelFilter(m_balance));
}

void MpvPlayer::setTone(double bassDb, double trebleDb)
{
    setAudioStage(QString::fromLatin1(MpvAudioFilterChain::ToneStage),
                  MpvAudioFilterChain::toneFilter(bassDb, trebleDb));
}

void MpvPlayer::setAudioStage(const QString& label, const QString& filter)
{
    // The whole chain at once: mpv swaps it in place while playing.
    if (m_audioFilters.setStage(label, filter))
        setMpvProperty("af", m_audioFilters.text().toUtf8(), mpvReplyId(MpvRequest::Filters));
}

// ---- Picture and controls ------------------------------------------------------------------

void MpvPlayer::setDisplaySize(Display size)
{
    if (size == FullScreen) {
        enterFullScreen();
        return;
    }
    if (size != DoubleSize && size != FitToSize)
        return;
    leaveFullScreen();
    m_displaySize = size;
    applyDisplaySize();
}

void MpvPlayer::noteVideoSize(std::uint64_t id, const mpv_event_property& property)
{
    if (id != MpvVideoWidthProperty && id != MpvVideoHeightProperty)
        return;
    // Unavailable between files and without video: the size is unknown then.
    const std::int64_t value =
        property.format == MPV_FORMAT_INT64 ? *static_cast<const std::int64_t*>(property.data) : 0;
    const QSize before = m_videoSize;
    if (id == MpvVideoWidthProperty)
        m_videoSize.setWidth(int(std::clamp<std::int64_t>(value, 0, 1 << 16)));
    else
        m_videoSize.setHeight(int(std::clamp<std::int64_t>(value, 0, 1 << 16)));
    if (m_videoSize != before && m_displaySize == DoubleSize)
        applyDisplaySize();
}

void MpvPlayer::applyDisplaySize()
{
    // Double size: twice the picture's own size where the view has room, as large as fits
    // otherwise; never cropped. mpv scales the fitted picture by 2^zoom.
    double zoom = 0;
    if (m_displaySize == DoubleSize && m_view)
        zoom = doubleSizeZoom(QSizeF(m_videoSize), m_view->pictureSizeInPixels(),
                              m_view->devicePixelRatioF());
    const QByteArray zoomText = QByteArray::number(zoom, 'f', 6);
    if (zoomText == m_zoomSent)
        return;
    m_zoomSent = zoomText;
    setMpvProperty("video-unscaled", "no");
    setMpvProperty("video-zoom", zoomText);
}

void MpvPlayer::enterFullScreen()
{
    if (m_fullScreen->isActive() || !m_view)
        return;
    m_sizeBeforeFullScreen = m_displaySize;
    m_displaySize = FullScreen;
    applyDisplaySize();
    m_fullScreen->enter();
    SetFocus();
}

void MpvPlayer::leaveFullScreen()
{
    if (!m_fullScreen->isActive())
        return;
    m_fullScreen->leave();
    m_displaySize = m_sizeBeforeFullScreen;
    applyDisplaySize();
}

bool MpvPlayer::SetFocus()
{
    return m_view && m_view->focusPicture();
}

void MpvPlayer::setShowControls(bool show)
{
    m_showControls = show;
    if (m_view)
        m_view->setControlsVisible(show);
    refreshControls();
    if (m_fullScreen->isActive())
        m_fullScreen->scheduleCover();
}

void MpvPlayer::refreshControls()
{
    if (m_view)
        m_view->showProgress(PlayState() == Playing, Duration(), CurrentPosition());
}

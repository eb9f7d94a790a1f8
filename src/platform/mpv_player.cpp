#include "platform/mpv_player.h"

#include "platform/disc_stream_protocol.h"
#include "platform/media_paths.h"

#include "platform/mpv_video_widget.h"

#include <QBoxLayout>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLoggingCategory>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <functional>
#include <vector>

Q_LOGGING_CATEGORY(lcMpv, "tamrel.mpv", QtWarningMsg)

namespace {

// reply_userdata of async requests: a tag in the top byte, a serial below it.
enum ReplyTag : std::uint64_t { TagNone = 0, TagLoad = 1, TagSeek = 2, TagFilters = 3 };
constexpr int kTagShift = 56;
constexpr std::uint64_t tagged(ReplyTag tag, std::uint64_t serial = 0)
{
    return (std::uint64_t(tag) << kTagShift) | serial;
}
constexpr ReplyTag tagOf(std::uint64_t id)
{
    return ReplyTag(id >> kTagShift);
}
constexpr std::uint64_t serialOf(std::uint64_t id)
{
    return id & ((std::uint64_t(1) << kTagShift) - 1);
}

// reply_userdata of observed properties.
enum ObservedProperty : std::uint64_t { PropDuration = 1, PropTimePos = 2 };

// mpv's volume scale is cubic: gain in dB = 60 * log10(volume / 100).
constexpr double kStartLevelDb = -2.9;

constexpr const char* kChannelStage = "chan";

// The container videoWidget() hands out: picture on top, control bar below. Space toggles
// pause while it or the picture has the focus; key events the picture ignores arrive here.
class PlayerView : public QWidget {
public:
    std::function<void()> onShown;
    std::function<void()> onSpace;

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        if (onShown)
            onShown();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Space && MediaPlayer::isPlayerKey(event)) {
            if (!event->isAutoRepeat() && onSpace)
                onSpace();
            event->accept();
            return;
        }
        QWidget::keyPressEvent(event);
    }
};

QByteArray mpvPath(const QString& path)
{
    // Disc files, and movie files on a mounted CD (whose Form 2 sectors the kernel cannot
    // read), are read sector by sector through our own protocol; URLs go through
    // untouched; local names become absolute so that a relative name with a colon is not
    // taken for a protocol.
    if (MediaPaths::isDiscPath(path))
        return discStreamUri(path).toUtf8();
    if (const std::optional<QString> onDisc = MediaPaths::discPathOnMountedCd(path))
        return discStreamUri(*onDisc).toUtf8();
    if (path.contains(QLatin1String("://")))
        return path.toUtf8();
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

// Read by the window's proportional resizer.
constexpr const char* SkipResizeProperty = "tamrelResizerSkip";

} // namespace

MpvPlayer::MpvPlayer(const Options& options, QObject* parent)
    : MediaPlayer(parent), options_(options)
{
    // libmpv parses and prints numbers with the C locale and refuses to start otherwise;
    // QApplication has set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");

    mpv_.reset(mpv_create());
    if (!mpv_) {
        qCCritical(lcMpv, "mpv_create failed");
    } else {
        const QByteArray volume =
            QByteArray::number(100.0 * std::pow(10.0, kStartLevelDb / 60.0), 'f', 4);
        const std::pair<const char*, QByteArray> defaults[] = {
            {"vo", options_.renderVideo ? "libmpv" : "null"},
            {"load-scripts", "no"},
            {"ytdl", "no"},
            {"osc", "no"},
            {"input-default-bindings", "no"},
            {"input-vo-keyboard", "no"},
            {"idle", "yes"},
            {"keep-open", "no"},
            {"terminal", "no"},
            // Without a sound device audio-only media still run (silently) to their end.
            {"audio-fallback-to-null", "yes"},
            {"volume", volume},
        };
        for (const auto& [name, value] : defaults) {
            if (mpv_set_option_string(mpv_.get(), name, value.constData()) < 0)
                qCWarning(lcMpv, "mpv does not accept %s=%s", name, value.constData());
        }
        for (const QString& option : options_.extraOptions) {
            const qsizetype equals = option.indexOf(QLatin1Char('='));
            const QByteArray name = option.left(equals).toUtf8();
            const QByteArray value =
                equals < 0 ? QByteArray("yes") : option.mid(equals + 1).toUtf8();
            if (mpv_set_option_string(mpv_.get(), name.constData(), value.constData()) < 0)
                qCWarning(lcMpv, "mpv does not accept %s=%s", name.constData(), value.constData());
        }
        if (mpv_initialize(mpv_.get()) < 0) {
            qCCritical(lcMpv, "mpv_initialize failed");
            mpv_.reset();
        } else if (options_.discs && !registerDiscStreamProtocol(mpv_.get(), *options_.discs)) {
            qCWarning(lcMpv, "mpv refused the disc stream protocol: discs will not play");
        }
    }

    if (mpv_) {
        mpv_observe_property(mpv_.get(), PropDuration, "duration", MPV_FORMAT_DOUBLE);
        mpv_observe_property(mpv_.get(), PropTimePos, "time-pos", MPV_FORMAT_DOUBLE);
        mpv_request_log_messages(mpv_.get(), "warn");
        // Observed values arrive only when mpv's event queue runs empty: a file that opens
        // and ends within one busy moment of the GUI never reports its duration otherwise.
        mpv_hook_add(mpv_.get(), 0, "on_unload", 0);
        mpv_set_wakeup_callback(
            mpv_.get(),
            [](void* player) {
                // Called on mpv's threads: never call mpv here, only wake the GUI thread.
                // The callback is removed before the player goes away, and calls still
                // queued die with the player object.
                auto* self = static_cast<MpvPlayer*>(player);
                if (!self->drainQueued_.exchange(true))
                    QMetaObject::invokeMethod(self, &MpvPlayer::drainEvents, Qt::QueuedConnection);
            },
            this);
    }
    createView();
}

MpvPlayer::~MpvPlayer()
{
    if (mpv_)
        mpv_set_wakeup_callback(mpv_.get(), nullptr, nullptr);
    if (fullScreen_)
        leaveFullScreen();
    delete escapeShortcut_;
    delete fullScreenShortcut_;
    // The render context must go before the mpv handle it belongs to.
    if (glVideo_)
        glVideo_->releaseRenderContext();
    delete view_;
    mpv_.reset();
}

void MpvPlayer::createView()
{
    auto* view = new PlayerView;
    view->setObjectName(QStringLiteral("playerView"));
    QPointer<MpvPlayer> self(this);
    view->onShown = [self] {
        if (self)
            self->ensureShortcuts();
    };
    view->onSpace = [self] {
        if (self)
            self->togglePause();
    };
    view_ = view;

    if (options_.renderVideo && mpv_) {
        glVideo_ = new MpvVideoWidget(mpv_.get(), view);
        connect(glVideo_, &MpvVideoWidget::frameRendered, this, &MpvPlayer::onFrameRendered);
        connect(glVideo_, &MpvVideoWidget::renderContextReady, this,
                &MpvPlayer::onRenderContextReady);
        video_ = glVideo_.data();
    } else {
        video_ = new QWidget(view);
        video_->setFocusPolicy(Qt::StrongFocus);
        video_->setAutoFillBackground(true);
        QPalette palette = video_->palette();
        palette.setColor(QPalette::Window, Qt::black);
        video_->setPalette(palette);
    }
    video_->setObjectName(QStringLiteral("playerVideo"));
    video_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    view->setFocusProxy(video_);

    controls_ = new QWidget(view);
    controls_->setObjectName(QStringLiteral("playerControls"));
    // Opaque: in full screen the bar lies over the window's own controls.
    controls_->setAutoFillBackground(true);
    auto* bar = new QHBoxLayout(controls_);
    bar->setContentsMargins(2, 2, 2, 2);
    // The bar never takes the keyboard, so Space keeps reaching the picture.
    playPauseButton_ = new QToolButton(controls_);
    playPauseButton_->setObjectName(QStringLiteral("playerPlayPause"));
    playPauseButton_->setFocusPolicy(Qt::NoFocus);
    auto* stopButton = new QToolButton(controls_);
    stopButton->setObjectName(QStringLiteral("playerStop"));
    stopButton->setFocusPolicy(Qt::NoFocus);
    stopButton->setIcon(view->style()->standardIcon(QStyle::SP_MediaStop));
    stopButton->setToolTip(tr("Stop"));
    positionSlider_ = new QSlider(Qt::Horizontal, controls_);
    positionSlider_->setObjectName(QStringLiteral("playerPosition"));
    positionSlider_->setFocusPolicy(Qt::NoFocus);
    positionSlider_->setPageStep(10000);
    bar->addWidget(playPauseButton_);
    bar->addWidget(stopButton);
    bar->addWidget(positionSlider_, 1);

    connect(playPauseButton_, &QToolButton::clicked, this, &MpvPlayer::togglePause);
    connect(stopButton, &QToolButton::clicked, this, &MpvPlayer::Stop);
    connect(positionSlider_, &QSlider::sliderMoved, this,
            [this](int ms) { setCurrentPosition(ms / 1000.0); });
    connect(positionSlider_, &QSlider::actionTriggered, this, [this](int action) {
        // Clicks on the groove; dragging is handled by sliderMoved.
        if (action != QAbstractSlider::SliderMove)
            setCurrentPosition(positionSlider_->sliderPosition() / 1000.0);
    });

    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(video_, 1);
    layout->addWidget(controls_);
    controls_->setVisible(showControls_);
    updateControls();
}

QWidget* MpvPlayer::videoWidget()
{
    return view_;
}

// ---- mpv requests -------------------------------------------------------------------------

void MpvPlayer::command(std::uint64_t replyId, std::initializer_list<QByteArray> args)
{
    if (!mpv_)
        return;
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    mpv_command_async(mpv_.get(), replyId, argv.data());
}

void MpvPlayer::setMpvProperty(const char* name, const QByteArray& value, std::uint64_t replyId)
{
    if (!mpv_)
        return;
    const char* data = value.constData();
    mpv_set_property_async(mpv_.get(), replyId, name, MPV_FORMAT_STRING, &data);
}

QString MpvPlayer::mpvProperty(const char* name) const
{
    if (!mpv_)
        return {};
    MpvStringPtr value(mpv_get_property_string(mpv_.get(), name));
    return value ? QString::fromUtf8(value.get()) : QString();
}

void MpvPlayer::setPause(bool paused)
{
    paused_ = paused;
    setMpvProperty("pause", paused ? "yes" : "no");
}

void MpvPlayer::seekTo(double seconds)
{
    heldAtStart_ = false;
    seekTarget_ = seconds;
    command(tagged(TagSeek), {"seek", QByteArray::number(seconds, 'f', 3), "absolute"});
}

void MpvPlayer::load(bool paused, bool stopped)
{
    paused_ = paused;
    stopped_ = stopped;
    heldAtStart_ = false;
    loaded_ = false;
    restarted_ = false;
    endedAtEof_ = false;
    videoConfigured_ = false;
    firstFramePending_ = true;
    clearPlaylistOnStart_ = false;
    seekTarget_.reset();
    ++loadSerial_;
    currentEntry_ = -1;
    awaitingLoadReply_ = false;
    // mpv would open a directory as a play list of everything in it.
    if (fileName_.isEmpty() || QFileInfo(fileName_).isDir()) {
        loading_ = loadDeferred_ = false;
        command(tagged(TagNone), {"stop"});
        if (!fileName_.isEmpty())
            failLoadLater(MPV_ERROR_LOADING_FAILED);
        return;
    }
    loading_ = true;
    if (glVideo_ && !glVideo_->hasRenderContext()) {
        // vo=libmpv without a render context would drop the video track for this file;
        // the render context appears when the view is first shown.
        loadDeferred_ = true;
        return;
    }
    startLoad();
}

void MpvPlayer::startLoad()
{
    loadDeferred_ = false;
    awaitingLoadReply_ = true;
    // Ordered before the loadfile: async requests reach mpv's core in the order sent.
    setPause(paused_);
    command(tagged(TagLoad, loadSerial_), {"loadfile", mpvPath(fileName_), "replace"});
}

void MpvPlayer::onRenderContextReady()
{
    if (loadDeferred_)
        startLoad();
}

void MpvPlayer::failLoadLater(int error)
{
    // Reported from the event loop like mpv's own load errors, never from inside setFileName.
    const std::uint64_t serial = loadSerial_;
    QTimer::singleShot(0, this, [this, serial, error] {
        if (serial == loadSerial_)
            emit loadFailed(fileName_, error);
    });
}

// ---- MediaPlayer ---------------------------------------------------------------------------

void MpvPlayer::setFileName(const QString& path)
{
    fileName_ = path;
    durationAfterEnd_ = 0;
    if (!mpv_)
        return;
    load(false, false);
    setState(Stopped);
}

void MpvPlayer::Play()
{
    if (!mpv_ || fileName_.isEmpty())
        return;
    if (loaded_ && restarted_) {
        // The file is known to play: resuming is immediate.
        stopped_ = heldAtStart_ = false;
        if (state_ != Playing)
            setPause(false);
        setState(Playing);
    } else if (loading_) {
        // Still opening; PLAYBACK_RESTART decides the state.
        stopped_ = heldAtStart_ = false;
        setPause(false);
    } else {
        load(false, false);
    }
}

void MpvPlayer::Pause()
{
    if (!mpv_)
        return;
    if (state_ == Playing) {
        setPause(true);
        setState(Paused);
    } else if (loading_ && !restarted_ && !stopped_) {
        // Opens paused; PLAYBACK_RESTART then reports state Paused.
        setPause(true);
    }
}

void MpvPlayer::Stop()
{
    if (!mpv_)
        return;
    if (loading_) {
        stopped_ = true;
        setPause(true);
        if (restarted_)
            seekTo(0);
    } else if (endedAtEof_ && !fileName_.isEmpty()) {
        // keep-open=no unloaded the file at its end; hold it again at its start.
        load(true, true);
    }
    // mpv's time-pos at the start is the first frame's, a few milliseconds in.
    heldAtStart_ = true;
    setState(Stopped);
}

double MpvPlayer::Duration() const
{
    return loaded_ ? mpvDuration_ : durationAfterEnd_;
}

double MpvPlayer::CurrentPosition() const
{
    if (heldAtStart_)
        return 0;
    if (seekTarget_)
        return *seekTarget_;
    if (!loaded_ || !restarted_)
        return 0;
    return std::max(0.0, mpvPosition_);
}

void MpvPlayer::setCurrentPosition(double seconds)
{
    if (!mpv_ || !loaded_ || !std::isfinite(seconds))
        return;
    seekTo(std::max(0.0, seconds));
    updateControls();
}

void MpvPlayer::setState(int state)
{
    if (state == state_)
        return;
    const int old = state_;
    state_ = state;
    updateControls();
    emit PlayStateChange(old, state);
}

void MpvPlayer::togglePause()
{
    if (state_ == Playing)
        Pause();
    else
        Play();
}

// ---- mpv events ----------------------------------------------------------------------------

void MpvPlayer::drainEvents()
{
    drainQueued_ = false;
    // A signal handler may delete the player; stop touching it then.
    QPointer<MpvPlayer> self(this);
    while (self && mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

// Signals are emitted last in each branch: a handler may delete the player or start a new
// mpv_wait_event through a nested event loop, which invalidates `event`.
void MpvPlayer::handleEvent(const mpv_event& event)
{
    const bool ours = !awaitingLoadReply_ && currentEntry_ >= 0 && activeEntry_ == currentEntry_;
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY: {
        const std::uint64_t id = event.reply_userdata;
        if (tagOf(id) == TagLoad && serialOf(id) == loadSerial_ && awaitingLoadReply_) {
            awaitingLoadReply_ = false;
            const auto* reply = static_cast<const mpv_event_command*>(event.data);
            if (event.error >= 0 && reply->result.format == MPV_FORMAT_NODE_MAP) {
                const mpv_node_list* map = reply->result.u.list;
                for (int i = 0; i < map->num; ++i) {
                    if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 &&
                        map->values[i].format == MPV_FORMAT_INT64)
                        currentEntry_ = map->values[i].u.int64;
                }
            }
            if (currentEntry_ < 0) {
                const int error = event.error < 0 ? event.error : MPV_ERROR_GENERIC;
                loading_ = false;
                QPointer<MpvPlayer> self(this);
                setState(Stopped);
                if (self)
                    emit loadFailed(fileName_, error);
            }
        } else if (tagOf(id) == TagSeek && event.error < 0) {
            seekTarget_.reset();
        } else if (tagOf(id) == TagFilters && event.error < 0) {
            qCWarning(lcMpv, "mpv rejected the audio filters: %s", mpv_error_string(event.error));
        }
        break;
    }
    case MPV_EVENT_START_FILE: {
        activeEntry_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        if (clearPlaylistOnStart_ && activeEntry_ == currentEntry_) {
            // Only the first entry of a play list file is played.
            clearPlaylistOnStart_ = false;
            command(tagged(TagNone), {"playlist-clear"});
        }
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (ours) {
            loaded_ = true;
            mpvPosition_ = 0;
        }
        break;
    case MPV_EVENT_VIDEO_RECONFIG:
        if (ours && loaded_)
            videoConfigured_ = true;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (ours && loaded_) {
            restarted_ = true;
            seekTarget_.reset();
            updateControls();
            const bool announceFrame = !glVideo_ && firstFramePending_ && videoConfigured_;
            if (announceFrame)
                firstFramePending_ = false;
            QPointer<MpvPlayer> self(this);
            setState(stopped_ ? Stopped : paused_ ? Paused : Playing);
            if (self && announceFrame)
                emit firstFrameShown();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id == activeEntry_)
            activeEntry_ = -1;
        // Ends of replaced files, and any end before the latest load is even known.
        if (!awaitingLoadReply_ && end->playlist_entry_id == currentEntry_)
            handleEndFile(*end);
        break;
    }
    case MPV_EVENT_HOOK: {
        // mpv waits for the continue, so the synchronous read is answered at once.
        const auto* hook = static_cast<const mpv_event_hook*>(event.data);
        if (ours && loaded_) {
            double duration = 0;
            if (mpv_get_property(mpv_.get(), "duration", MPV_FORMAT_DOUBLE, &duration) >= 0)
                mpvDuration_ = duration;
        }
        mpv_hook_continue(mpv_.get(), hook->id);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event.reply_userdata,
                             *static_cast<const mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        const QByteArray text = QByteArray(message->text).trimmed();
        if (message->log_level <= MPV_LOG_LEVEL_ERROR)
            qCWarning(lcMpv, "%s: %s", message->prefix, text.constData());
        else
            qCInfo(lcMpv, "%s: %s", message->prefix, text.constData());
        break;
    }
    default:
        break;
    }
}

void MpvPlayer::handleEndFile(const mpv_event_end_file& end)
{
    if (end.reason == MPV_END_FILE_REASON_REDIRECT) {
        // A play list file: follow its first entry as the medium.
        if (end.playlist_insert_num_entries > 0) {
            currentEntry_ = end.playlist_insert_id;
            clearPlaylistOnStart_ = end.playlist_insert_num_entries > 1;
        }
        return;
    }
    if (loaded_)
        durationAfterEnd_ = mpvDuration_;
    loading_ = loaded_ = restarted_ = false;
    paused_ = stopped_ = heldAtStart_ = false;
    seekTarget_.reset();
    currentEntry_ = -1;
    QPointer<MpvPlayer> self(this);
    if (end.reason == MPV_END_FILE_REASON_EOF) {
        endedAtEof_ = true;
        setState(Stopped);
        if (self)
            emit EndOfStream(0);
    } else if (end.reason == MPV_END_FILE_REASON_ERROR) {
        const int error = end.error;
        setState(Stopped);
        if (self)
            emit loadFailed(fileName_, error);
    } else {
        setState(Stopped);
    }
}

void MpvPlayer::handlePropertyChange(std::uint64_t id, const mpv_event_property& property)
{
    const double value =
        property.format == MPV_FORMAT_DOUBLE ? *static_cast<const double*>(property.data) : 0.0;
    if (id == PropDuration)
        mpvDuration_ = value;
    else if (id == PropTimePos)
        mpvPosition_ = value;
    else
        return;
    updateControls();
}

void MpvPlayer::onFrameRendered()
{
    if (firstFramePending_ && loaded_ && videoConfigured_) {
        firstFramePending_ = false;
        emit firstFrameShown();
    }
}

// ---- Audio ---------------------------------------------------------------------------------

void MpvPlayer::setBalance(int balance)
{
    balance_ = std::clamp(balance, BalanceFirstChannel, BalanceSecondChannel);
    // aformat first, so that a mono source is made stereo before pan picks channels.
    QString filter;
    if (balance_ < BalanceBoth)
        filter = QStringLiteral("lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=c0|c1=c0]");
    else if (balance_ > BalanceBoth)
        filter = QStringLiteral("lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=c1|c1=c1]");
    setAudioStage(QString::fromLatin1(kChannelStage), filter);
}

void MpvPlayer::setAudioStage(const QString& label, const QString& filter)
{
    auto stage = std::find_if(audioStages_.begin(), audioStages_.end(),
                              [&](const auto& entry) { return entry.first == label; });
    if (stage == audioStages_.end()) {
        if (filter.isEmpty())
            return;
        audioStages_.emplace_back(label, filter);
    } else if (filter.isEmpty()) {
        audioStages_.erase(stage);
    } else if (stage->second == filter) {
        return;
    } else {
        stage->second = filter;
    }
    applyAudioStages();
}

void MpvPlayer::applyAudioStages()
{
    // The whole chain at once: mpv swaps it in place while playing.
    QStringList chain;
    for (const auto& [label, filter] : audioStages_)
        chain << QLatin1Char('@') + label + QLatin1Char(':') + filter;
    setMpvProperty("af", chain.join(QLatin1Char(',')).toUtf8(), tagged(TagFilters));
}

// ---- Picture -------------------------------------------------------------------------------

void MpvPlayer::setDisplaySize(int size)
{
    if (size == FullScreen) {
        enterFullScreen();
        return;
    }
    if (size != DoubleSize && size != FitToSize)
        return;
    if (fullScreen_)
        leaveFullScreen();
    displaySize_ = size;
    applyDisplaySize();
}

void MpvPlayer::applyDisplaySize()
{
    // Double size: the picture at twice its own size, centred and clipped by the view.
    const bool doubleSize = displaySize_ == DoubleSize;
    setMpvProperty("video-unscaled", doubleSize ? "yes" : "no");
    setMpvProperty("video-zoom", doubleSize ? "1" : "0");
}

void MpvPlayer::enterFullScreen()
{
    if (fullScreen_ || !view_)
        return;
    QWidget* window = view_->window();
    sizeBeforeFullScreen_ = displaySize_;
    fullScreen_ = true;
    displaySize_ = FullScreen;
    setMpvProperty("video-unscaled", "no");
    setMpvProperty("video-zoom", "0");
    fullScreenWindow_ = window;
    windowStateBeforeFullScreen_ = window->windowState();
    // Whatever scales the window's controls on resizes leaves the covering view alone.
    view_->setProperty(SkipResizeProperty, true);
    if (window != view_) {
        // Reparenting would move the picture's native window to another top-level window, so
        // the view stays where it is and is laid over the whole window instead.
        geometryBeforeFullScreen_ = view_->geometry();
        fullScreenParent_ = view_->parentWidget();
        window->installEventFilter(this);
        if (fullScreenParent_ != window)
            fullScreenParent_->installEventFilter(this);
        // A QLayout would put the view back into its cell after every change inside it.
        if (QLayout* layout = fullScreenParent_->layout()) {
            suspendedLayout_ = layout;
            layout->setEnabled(false);
        }
    }
    window->showFullScreen();
    coverWindow();
    if (escapeShortcut_)
        escapeShortcut_->setEnabled(true);
    SetFocus();
}

void MpvPlayer::leaveFullScreen()
{
    if (!fullScreen_)
        return;
    fullScreen_ = false;
    if (view_)
        view_->setProperty(SkipResizeProperty, false);
    if (escapeShortcut_)
        escapeShortcut_->setEnabled(false);
    if (fullScreenWindow_) {
        fullScreenWindow_->removeEventFilter(this);
        if (fullScreenParent_)
            fullScreenParent_->removeEventFilter(this);
        fullScreenWindow_->setWindowState(windowStateBeforeFullScreen_);
        if (view_ && fullScreenWindow_ != view_)
            view_->setGeometry(geometryBeforeFullScreen_);
    }
    if (suspendedLayout_) {
        suspendedLayout_->setEnabled(true);
        suspendedLayout_->invalidate();
    }
    suspendedLayout_ = nullptr;
    fullScreenWindow_ = nullptr;
    fullScreenParent_ = nullptr;
    displaySize_ = sizeBeforeFullScreen_;
    applyDisplaySize();
}

bool MpvPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (fullScreen_ && (watched == fullScreenWindow_ || watched == fullScreenParent_)) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::LayoutRequest:
        case QEvent::Show:
            // Whatever arranges the window's children reacts to this event too, possibly
            // after this filter: cover once it is done.
            scheduleCover();
            break;
        default:
            break;
        }
    }
    return MediaPlayer::eventFilter(watched, event);
}

void MpvPlayer::scheduleCover()
{
    if (coverQueued_)
        return;
    coverQueued_ = true;
    QTimer::singleShot(0, this, &MpvPlayer::coverWindow);
}

void MpvPlayer::coverWindow()
{
    coverQueued_ = false;
    if (!fullScreen_ || !view_ || !fullScreenWindow_ || !fullScreenParent_ ||
        fullScreenWindow_ == view_)
        return;
    const QRect whole(fullScreenParent_->mapFrom(fullScreenWindow_, QPoint(0, 0)),
                      fullScreenWindow_->size());
    if (view_->geometry() != whole)
        view_->setGeometry(whole);
    view_->raise();
}

// ---- Keyboard and controls -----------------------------------------------------------------

void MpvPlayer::ensureShortcuts()
{
    if (!view_)
        return;
    QWidget* window = view_->window();
    if (window == shortcutWindow_ && escapeShortcut_ && fullScreenShortcut_)
        return;
    delete escapeShortcut_;
    delete fullScreenShortcut_;
    shortcutWindow_ = window;
    // Window-wide, so they work whichever child of the window has the focus.
    escapeShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escapeShortcut_->setContext(Qt::WindowShortcut);
    // Only while full screen; otherwise Esc stays with the window's own widgets.
    escapeShortcut_->setEnabled(fullScreen_);
    connect(escapeShortcut_, &QShortcut::activated, this, [this] {
        if (fullScreen_)
            setDisplaySize(sizeBeforeFullScreen_);
    });
    fullScreenShortcut_ = new QShortcut(window);
    fullScreenShortcut_->setKeys(
        {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
    fullScreenShortcut_->setContext(Qt::WindowShortcut);
    connect(fullScreenShortcut_, &QShortcut::activated, this,
            [this] { setDisplaySize(fullScreen_ ? sizeBeforeFullScreen_ : int(FullScreen)); });
}

bool MpvPlayer::SetFocus()
{
    if (!video_ || !video_->isEnabled() || !video_->isVisible())
        return false;
    video_->setFocus(Qt::OtherFocusReason);
    // An inactive window keeps the focus widget for when it is activated again.
    return video_->window()->focusWidget() == video_;
}

void MpvPlayer::setShowControls(bool show)
{
    showControls_ = show;
    if (controls_)
        controls_->setVisible(show);
    updateControls();
    if (fullScreen_)
        scheduleCover();
}

void MpvPlayer::updateControls()
{
    if (!controls_ || controls_->isHidden())
        return;
    // Only on change: setIcon re-lays out the bar and everything around the view.
    const bool playing = state_ == Playing;
    if (barShowsPause_ != playing) {
        barShowsPause_ = playing;
        playPauseButton_->setIcon(controls_->style()->standardIcon(playing ? QStyle::SP_MediaPause
                                                                           : QStyle::SP_MediaPlay));
        playPauseButton_->setToolTip(playing ? tr("Pause") : tr("Play"));
    }
    if (!positionSlider_->isSliderDown()) {
        const auto toMs = [](double seconds) { return int(std::lround(seconds * 1000.0)); };
        positionSlider_->setRange(0, toMs(Duration()));
        positionSlider_->setValue(toMs(CurrentPosition()));
    }
}

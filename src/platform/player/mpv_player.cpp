#include "platform/player/mpv_player.h"
#include "diagnostics/diagnostics.h"

#include "platform/player/double_size.h"
#include "platform/player/mpv_events.h"
#include "platform/player/mpv_file_options.h"
#include "platform/player/view/mpv_full_screen.h"
#include "platform/player/view/mpv_player_view.h"
#include "platform/player/view/mpv_video_widget.h"

#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

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
    : MediaPlayer(parent), m_options(options),
      m_mpv({options.renderVideo, options.extraOptions, options.discs,
             options.keyFilterName.toUtf8()}),
      m_sound(m_mpv, options.keyFilterName)
{
    // A software picture can be set up as soon as the handle exists.
    connect(&m_mpv, &MpvClient::handleMade, this, &MpvPlayer::onHandleMade);
    connect(&m_mpv, &MpvClient::eventsWaiting, this, &MpvPlayer::drainEvents);
    createView();
}

MpvPlayer::~MpvPlayer()
{
    leaveFullScreen();
    m_fullScreen->removeShortcuts();
    // The render context must go before the mpv handle it belongs to.
    if (m_view && m_view->renderedPicture())
        m_view->renderedPicture()->releaseRenderContext();
    delete m_view;
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
    if (handle())
        m_sound.handleMade();
}

QWidget* MpvPlayer::videoWidget()
{
    return m_view;
}

void MpvPlayer::setPictureElsewhere(QWidget* elsewhere)
{
    if (MpvVideoWidget* picture = m_view ? m_view->renderedPicture() : nullptr)
        picture->drawIn(elsewhere);
}

// ---- MediaPlayer ---------------------------------------------------------------------------

void MpvPlayer::setFileName(const QString& path)
{
    m_fileName = path;
    m_holdLastPicture = std::exchange(m_holdNextPicture, false);
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
        m_mpv.setProperty("pause", action.paused ? "yes" : "no");
        break;
    case MpvLoadAction::Loadfile:
        // A key moved in place lives only in the running filter: the new file's chain is built
        // from "af", which must say it.
        m_sound.beforeLoad();
        Diagnostics::mark("mpv: loadfile sent");
        m_mpv.loadFile(mpvReplyId(MpvRequest::Load, action.serial), mpvPath(m_fileName),
                       fileOptionsFor(m_fileName, m_holdLastPicture));
        break;
    case MpvLoadAction::StopPlayback:
        m_mpv.command(mpvReplyId(MpvRequest::Untracked), {"stop"});
        break;
    case MpvLoadAction::Seek:
        m_mpv.command(mpvReplyId(MpvRequest::Seek),
                      {"seek", QByteArray::number(action.seconds, 'f', 3), "absolute"});
        break;
    case MpvLoadAction::ClearPlaylist:
        m_mpv.command(mpvReplyId(MpvRequest::Untracked), {"playlist-clear"});
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
    // A signal handler may delete the player; stop touching it then.
    QPointer<MpvPlayer> self(this);
    while (self && handle()) {
        const mpv_event* event = mpv_wait_event(handle(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE)
            noteVideoSize(event->reply_userdata,
                          *static_cast<const mpv_event_property*>(event->data));
        m_sound.noteEvent(*event);
        // The event is read completely first: a listener may delete the player or start a
        // new mpv_wait_event through a nested event loop, which invalidates `event`.
        carryOut(feedMpvEvent(*event, m_sequence));
    }
}

// ---- Audio ---------------------------------------------------------------------------------

void MpvPlayer::setBalance(int balance)
{
    m_sound.setBalance(balance);
}

void MpvPlayer::setTone(double bassDb, double trebleDb)
{
    m_sound.setTone(bassDb, trebleDb);
}

void MpvPlayer::setAudioStage(const QString& label, const QString& filter)
{
    m_sound.setStage(label, filter);
}

void MpvPlayer::setKey(int semitones)
{
    m_sound.setKey(semitones);
}

void MpvPlayer::setTempo(int percent)
{
    m_sound.setTempo(percent);
}

void MpvPlayer::setVoiceCancel(bool on)
{
    m_sound.setVoiceCancel(on);
}

void MpvPlayer::setAvailabilityListener(std::function<void()> listener)
{
    m_sound.setAvailabilityListener(std::move(listener));
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
    m_mpv.setProperty("video-unscaled", "no");
    m_mpv.setProperty("video-zoom", zoomText);
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

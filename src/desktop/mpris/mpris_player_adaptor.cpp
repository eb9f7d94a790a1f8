#include "desktop/mpris/mpris_player_adaptor.h"

#include "desktop/media_transport.h"
#include "desktop/mpris/mpris_metadata.h"

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* exported, MediaTransport& transport)
    : QDBusAbstractAdaptor(exported), m_transport(transport)
{
    connect(&m_transport, &MediaTransport::seeked, this,
            [this](double seconds) { emit Seeked(MprisMetadata::microseconds(seconds)); });
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return MprisMetadata::playbackStatus(m_transport.state());
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return MprisMetadata::metadata(m_transport.track());
}

qlonglong MprisPlayerAdaptor::position() const
{
    return MprisMetadata::microseconds(m_transport.positionSeconds());
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_transport.canGoNext();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_transport.canPlay();
}

bool MprisPlayerAdaptor::canPause() const
{
    return m_transport.canPause();
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_transport.canSeek();
}

void MprisPlayerAdaptor::Next()
{
    m_transport.next();
}

void MprisPlayerAdaptor::Pause()
{
    m_transport.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    if (m_transport.state() == MediaTransport::State::Playing)
        m_transport.pause();
    else
        m_transport.play();
}

void MprisPlayerAdaptor::Stop()
{
    m_transport.stop();
}

void MprisPlayerAdaptor::Play()
{
    m_transport.play();
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    if (!m_transport.canSeek())
        return;
    const MediaTransport::Track track = m_transport.track();
    const double target = m_transport.positionSeconds() + MprisMetadata::seconds(offset);
    // Past the end counts as the next track; before the start as the start.
    if (track.lengthSeconds > 0 && target > track.lengthSeconds)
        m_transport.next();
    else
        m_transport.seekTo(qMax(0.0, target));
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    const MediaTransport::Track track = m_transport.track();
    // A position for a track that is no longer current, or outside this one, is ignored.
    if (trackId != MprisMetadata::trackId(track) || position < 0)
        return;
    const double seconds = MprisMetadata::seconds(position);
    if (seconds > track.lengthSeconds)
        return;
    m_transport.seekTo(seconds);
}

double MprisPlayerAdaptor::rate() const
{
    return m_transport.rate();
}

void MprisPlayerAdaptor::setRate(double rate)
{
    if (rate >= m_transport.minimumRate() && rate <= m_transport.maximumRate())
        m_transport.setRate(rate);
}

double MprisPlayerAdaptor::minimumRate() const
{
    return m_transport.minimumRate();
}

double MprisPlayerAdaptor::maximumRate() const
{
    return m_transport.maximumRate();
}

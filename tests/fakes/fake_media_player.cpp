#include "fake_media_player.h"

#include <QCoreApplication>
#include <QFileInfo>

FakeMediaPlayer::FakeMediaPlayer(QObject* parent) : MediaPlayer(parent), m_view(new QWidget)
{
    m_view->setObjectName("player");
    m_view->setFocusPolicy(Qt::StrongFocus);
}

FakeMediaPlayer::~FakeMediaPlayer()
{
    if (m_view && !m_view->parent())
        delete m_view;
}

bool FakeMediaPlayer::canPlay(const QString& path) const
{
    if (path.isEmpty() || unplayable.contains(path))
        return false;
    return !requireExistingFiles || QFileInfo(path).isFile();
}

void FakeMediaPlayer::open(bool play)
{
    m_position = 0;
    m_duration = 0;
    m_stateWhenOpen = play ? Playing : Stopped;
    const quint64 serial = ++m_openSerial;
    if (!canPlay(m_fileName)) {
        m_phase = Phase::Closed;
        reportIfMissing(serial);
        return;
    }
    m_phase = Phase::Opening;
    QMetaObject::invokeMethod(
        this, [this, serial] { finishOpening(serial); }, Qt::QueuedConnection);
}

void FakeMediaPlayer::finishOpening(quint64 serial)
{
    if (serial != m_openSerial || m_phase != Phase::Opening)
        return;                 // replaced by a later medium
    if (!canPlay(m_fileName)) { // gone while it was being opened
        m_phase = Phase::Closed;
        reportIfMissing(serial);
        return;
    }
    m_phase = Phase::Open;
    m_duration = m_length;
    setStateByPlayer(m_stateWhenOpen);
}

void FakeMediaPlayer::reportIfMissing(quint64 serial)
{
    // libmpv says so of a file that is not there, from its event loop (error -13).
    if (!requireExistingFiles || m_fileName.isEmpty() || QFileInfo::exists(m_fileName))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            if (serial == m_openSerial)
                emit loadFailed(m_fileName, MissingFileError);
        },
        Qt::QueuedConnection);
}

void FakeMediaPlayer::settle()
{
    for (int round = 0; round < 100 && m_phase == Phase::Opening; ++round)
        QCoreApplication::processEvents();
}

void FakeMediaPlayer::setDuration(double seconds)
{
    m_length = seconds;
    if (m_phase == Phase::Open)
        m_duration = seconds;
}

void FakeMediaPlayer::setFileName(const QString& path)
{
    calls << "FileName=" + path;
    m_fileName = path;
    openedFiles << path;
    setStateByPlayer(Stopped); // the previous medium goes away at once
    open(autoStart);
}

void FakeMediaPlayer::Play()
{
    calls << "Play";
    switch (m_phase) {
    case Phase::Open:
        setStateByPlayer(Playing);
        break;
    case Phase::Opening:
        m_stateWhenOpen = Playing;
        break;
    case Phase::Closed:
        open(true); // after its end a medium opens again from the start
        break;
    }
}

void FakeMediaPlayer::Pause()
{
    calls << "Pause";
    if (m_phase == Phase::Opening && m_stateWhenOpen == Playing)
        m_stateWhenOpen = Paused;
    else if (m_state == Playing)
        setStateByPlayer(Paused);
}

void FakeMediaPlayer::Stop()
{
    calls << "Stop";
    m_position = 0;
    if (m_phase == Phase::Opening)
        m_stateWhenOpen = Stopped;
    setStateByPlayer(Stopped);
}

void FakeMediaPlayer::setCurrentPosition(double seconds)
{
    calls << QString("CurrentPosition=%1").arg(seconds);
    if (m_phase == Phase::Open)
        m_position = seconds;
}

void FakeMediaPlayer::setDisplaySize(Display size)
{
    calls << QString("DisplaySize=%1").arg(size);
    m_displaySize = size;
}

bool FakeMediaPlayer::SetFocus()
{
    calls << "SetFocus";
    if (failFocus)
        return false;
    m_view->setFocus();
    return true;
}

void FakeMediaPlayer::setStateByPlayer(State state)
{
    const int old = m_state;
    m_state = state;
    if (old != state)
        emit PlayStateChange(old, state);
}

void FakeMediaPlayer::finishMedium()
{
    m_position = m_duration;
    m_phase = Phase::Closed;
    setStateByPlayer(Stopped);
    emit EndOfStream(0);
}

void FakeMediaPlayer::setKey(int semitones)
{
    if (!keyMissing.isEmpty())
        return;
    key = semitones;
    calls << QStringLiteral("setKey %1").arg(semitones);
}

void FakeMediaPlayer::setTempo(int percent)
{
    tempo = percent;
    calls << QStringLiteral("setTempo %1").arg(percent);
}

void FakeMediaPlayer::setVoiceCancel(bool on)
{
    voiceCancel = on;
    calls << QStringLiteral("setVoiceCancel %1").arg(on);
}

void FakeMediaPlayer::setAvailabilityListener(std::function<void()> listener)
{
    availabilityListener = std::move(listener);
}

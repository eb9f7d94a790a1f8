#include "fake_media_player.h"

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
    if (unplayable.contains(path))
        return false;
    return !requireExistingFiles || QFileInfo(path).isFile();
}

void FakeMediaPlayer::setFileName(const QString& path)
{
    calls << "FileName=" + path;
    m_fileName = path;
    openedFiles << path;
    m_position = 0;
    setStateByPlayer(Stopped); // the previous medium goes away
    if (autoStart && canPlay(path))
        setStateByPlayer(Playing);
}

void FakeMediaPlayer::Play()
{
    calls << "Play";
    if (canPlay(m_fileName) && !m_fileName.isEmpty())
        setStateByPlayer(Playing);
}

void FakeMediaPlayer::Pause()
{
    calls << "Pause";
    if (m_state == Playing)
        setStateByPlayer(Paused);
}

void FakeMediaPlayer::Stop()
{
    calls << "Stop";
    m_position = 0;
    setStateByPlayer(Stopped);
}

void FakeMediaPlayer::setCurrentPosition(double seconds)
{
    calls << QString("CurrentPosition=%1").arg(seconds);
    m_position = seconds;
}

void FakeMediaPlayer::setDisplaySize(int size)
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

void FakeMediaPlayer::setStateByPlayer(int state)
{
    const int old = m_state;
    m_state = state;
    if (old != state)
        emit PlayStateChange(old, state);
}

void FakeMediaPlayer::finishMedium()
{
    m_position = m_duration;
    setStateByPlayer(Stopped);
    emit EndOfStream(0);
}

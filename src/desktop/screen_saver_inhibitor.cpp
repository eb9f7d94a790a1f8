#include "desktop/screen_saver_inhibitor.h"

#include "desktop/idle_lock.h"
#include "desktop/media_transport.h"

ScreenSaverInhibitor::ScreenSaverInhibitor(MediaTransport& transport, const QDBusConnection& bus,
                                           QObject* parent)
    : QObject(parent), m_transport(transport)
{
    m_locks = {new ScreenSaverLock(bus, this), new PortalIdleLock(bus, this)};
    m_releaseDelay.setSingleShot(true);
    m_releaseDelay.setInterval(ReleaseDelayMs);
    connect(&m_releaseDelay, &QTimer::timeout, this, &ScreenSaverInhibitor::release);
    connect(&m_transport, &MediaTransport::changed, this, &ScreenSaverInhibitor::follow);
    follow();
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() = default;

void ScreenSaverInhibitor::follow()
{
    if (m_transport.state() == MediaTransport::State::Playing) {
        m_releaseDelay.stop();
        acquire();
    } else if (m_wanted && !m_releaseDelay.isActive()) {
        m_releaseDelay.start();
    }
}

void ScreenSaverInhibitor::acquire()
{
    m_wanted = true;
    for (IdleLock* lock : m_locks)
        lock->acquire();
}

void ScreenSaverInhibitor::release()
{
    m_wanted = false;
    for (IdleLock* lock : m_locks)
        lock->release();
}

void ScreenSaverInhibitor::releaseNow()
{
    m_releaseDelay.stop();
    m_wanted = false;
    disconnect(&m_transport, nullptr, this, nullptr);
    for (IdleLock* lock : m_locks)
        lock->releaseNow();
}

bool ScreenSaverInhibitor::isHeld() const
{
    for (const IdleLock* lock : m_locks)
        if (lock->isHeld())
            return true;
    return false;
}

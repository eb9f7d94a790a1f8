#include "desktop/desktop_session.h"

#include "desktop/mpris/mpris_service.h"
#include "desktop/screen_saver_inhibitor.h"

#include <QDBusMessage>

DesktopSession::DesktopSession(MediaTransport& transport, std::optional<QDBusConnection> bus,
                               QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{
    if (!m_bus || !m_bus->isConnected())
        return;
    m_mpris = new MprisService(transport, *m_bus, this);
    m_inhibitor = new ScreenSaverInhibitor(transport, *m_bus, this);
}

DesktopSession::~DesktopSession() = default;

void DesktopSession::beforeExit()
{
    if (!m_bus || !m_bus->isConnected())
        return;
    m_inhibitor->releaseNow();
    // Messages leave in order: once the bus answers this, everything sent before is out.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    m_bus->call(ping, QDBus::Block, 500);
}

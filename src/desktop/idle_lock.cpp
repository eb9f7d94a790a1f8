#include "desktop/idle_lock.h"

#include "settings/product.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString Reason = QStringLiteral("Playing a video");

} // namespace

IdleLock::IdleLock(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {}

void IdleLock::acquire()
{
    m_wanted = true;
    if (m_held || m_pending || !m_bus.isConnected())
        return;
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(acquireMessage(), AcquireTimeoutMs), this);
    m_pending = watcher;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &IdleLock::onAcquireAnswered);
}

void IdleLock::onAcquireAnswered(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    if (watcher == m_pending)
        m_pending = nullptr;
    // No such service, or it refused: the screen saver is simply not held this way.
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || !takeToken(reply))
        return;
    m_held = true;
    if (!m_wanted)
        release();
}

void IdleLock::release()
{
    m_wanted = false;
    if (!m_held)
        return;
    m_held = false;
    m_bus.asyncCall(releaseMessage(), ReleaseTimeoutMs);
}

void IdleLock::releaseNow()
{
    m_wanted = false;
    delete m_pending;
    if (!m_held)
        return;
    m_held = false;
    m_bus.call(releaseMessage(), QDBus::Block, ReleaseTimeoutMs);
}

QDBusMessage ScreenSaverLock::acquireMessage() const
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"));
    message << Product::Title << Reason;
    return message;
}

bool ScreenSaverLock::takeToken(const QDBusMessage& reply)
{
    const QVariantList arguments = reply.arguments();
    if (arguments.isEmpty() || !arguments.front().canConvert<uint>())
        return false;
    m_cookie = arguments.front().toUInt();
    return true;
}

QDBusMessage ScreenSaverLock::releaseMessage() const
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("UnInhibit"));
    message << m_cookie;
    return message;
}

QDBusMessage PortalIdleLock::acquireMessage() const
{
    constexpr uint Idle = 8;
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    message << QString() << Idle << QVariantMap{{QStringLiteral("reason"), Reason}};
    return message;
}

bool PortalIdleLock::takeToken(const QDBusMessage& reply)
{
    const QVariantList arguments = reply.arguments();
    if (arguments.isEmpty() || !arguments.front().canConvert<QDBusObjectPath>())
        return false;
    m_request = arguments.front().value<QDBusObjectPath>().path();
    return !m_request.isEmpty();
}

QDBusMessage PortalIdleLock::releaseMessage() const
{
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), m_request,
        QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
}

#include "bus_support.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QTimer>

PrivateBus::PrivateBus()
{
    m_daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
        return;
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    kill();
}

QDBusConnection PrivateBus::connect(const QString& connectionName) const
{
    return QDBusConnection::connectToBus(m_address, connectionName);
}

void PrivateBus::kill()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.kill();
    m_daemon.waitForFinished(3000);
}

void IdleServices::Log::add(const QString& call)
{
    QMutexLocker lock(&mutex);
    calls << call;
}

void IdleServices::Log::answered()
{
    QMutexLocker lock(&mutex);
    ++answers;
}

namespace {

// A service object whose answers come after the configured delay, from the service thread's
// event loop; each answer sent is counted in the log.
class DelayedAnswers : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    DelayedAnswers(std::shared_ptr<IdleServices::Log> log, int delayMs)
        : m_log(std::move(log)), m_delayMs(delayMs)
    {
    }

protected:
    // Called from a slot: its own return value is not sent.
    void answerLater(const QVariant& value)
    {
        setDelayedReply(true);
        const QDBusMessage reply =
            value.isValid() ? message().createReply(value) : message().createReply();
        QDBusConnection bus = connection();
        auto send = [bus, reply, log = m_log]() mutable {
            bus.send(reply);
            log->answered();
        };
        if (m_delayMs <= 0) {
            send();
            return;
        }
        // The timer belongs to the answering object, so an answer still pending when the
        // services go away goes with it.
        QTimer::singleShot(m_delayMs, this, send);
    }

    std::shared_ptr<IdleServices::Log> m_log;

private:
    int m_delayMs;
};

class ScreenSaverObject : public DelayedAnswers {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    using DelayedAnswers::DelayedAnswers;

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        const uint cookie = ++m_lastCookie;
        m_log->add(QStringLiteral("Inhibit %1").arg(cookie));
        answerLater(cookie);
        return 0;
    }
    void UnInhibit(uint cookie) { m_log->add(QStringLiteral("UnInhibit %1").arg(cookie)); }

private:
    uint m_lastCookie = 0;
};

class PortalRequestObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    PortalRequestObject(std::shared_ptr<IdleServices::Log> log, QString path)
        : m_log(std::move(log)), m_path(std::move(path))
    {
    }

public slots:
    void Close() { m_log->add("portal Close " + m_path); }

private:
    std::shared_ptr<IdleServices::Log> m_log;
    QString m_path;
};

class PortalInhibitObject : public DelayedAnswers {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    using DelayedAnswers::DelayedAnswers;

public slots:
    QDBusObjectPath Inhibit(const QString&, uint, const QVariantMap&)
    {
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/1_1/t%1").arg(++m_requests);
        auto* request = new PortalRequestObject(m_log, path);
        request->setParent(this);
        connection().registerObject(path, request, QDBusConnection::ExportAllSlots);
        m_log->add("portal Inhibit " + path);
        answerLater(QVariant::fromValue(QDBusObjectPath(path)));
        return {};
    }

private:
    int m_requests = 0;
};

} // namespace

IdleServices::IdleServices(const QDBusConnection& bus, int offers, int answerDelayMs)
    : m_bus(bus), m_log(std::make_shared<Log>())
{
    m_thread.start();
    auto offer = [this](QObject* object, const QString& path, const QString& name) {
        object->moveToThread(&m_thread);
        m_objects.push_back(object);
        m_registered = m_registered &&
                       m_bus.registerObject(path, object, QDBusConnection::ExportAllSlots) &&
                       m_bus.registerService(name);
        m_names << name;
    };
    if (offers & ScreenSaver)
        offer(new ScreenSaverObject(m_log, answerDelayMs), "/org/freedesktop/ScreenSaver",
              "org.freedesktop.ScreenSaver");
    if (offers & Portal)
        offer(new PortalInhibitObject(m_log, answerDelayMs), "/org/freedesktop/portal/desktop",
              "org.freedesktop.portal.Desktop");
}

IdleServices::~IdleServices()
{
    for (const QString& name : m_names)
        m_bus.unregisterService(name);
    m_bus.unregisterObject("/org/freedesktop/ScreenSaver", QDBusConnection::UnregisterTree);
    m_bus.unregisterObject("/org/freedesktop/portal/desktop", QDBusConnection::UnregisterTree);
    // Deleted in their own thread and waited for: a deleteLater could still be queued
    // when the thread's loop quits, and the objects would never go.
    for (QObject* object : m_objects)
        QMetaObject::invokeMethod(
            object, [object] { delete object; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QStringList IdleServices::calls() const
{
    QMutexLocker lock(&m_log->mutex);
    return m_log->calls;
}

int IdleServices::answers() const
{
    QMutexLocker lock(&m_log->mutex);
    return m_log->answers;
}

int IdleServices::count(const QString& prefix) const
{
    int n = 0;
    for (const QString& call : calls())
        n += call.startsWith(prefix);
    return n;
}

QVariant MprisClient::property(const QString& name, const QString& interface) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(m_service, "/org/mpris/MediaPlayer2",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << interface << name;
    const QDBusMessage reply = m_bus.call(get, QDBus::BlockWithGui, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().front().value<QDBusVariant>().variant();
}

QVariantMap MprisClient::metadata() const
{
    return qdbus_cast<QVariantMap>(property("Metadata"));
}

bool MprisClient::setProperty(const QString& name, const QVariant& value,
                              const QString& interface) const
{
    QDBusMessage set = QDBusMessage::createMethodCall(m_service, "/org/mpris/MediaPlayer2",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << interface << name << QVariant::fromValue(QDBusVariant(value));
    return m_bus.call(set, QDBus::BlockWithGui, 5000).type() == QDBusMessage::ReplyMessage;
}

bool MprisClient::call(const QString& method, const QVariantList& arguments,
                       const QString& interface) const
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(m_service, "/org/mpris/MediaPlayer2", interface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::BlockWithGui, 5000).type() == QDBusMessage::ReplyMessage;
}

QStringList namesOnBus(const QDBusConnection& bus, const QString& prefix)
{
    QStringList found;
    const QDBusReply<QStringList> names = bus.interface()->registeredServiceNames();
    for (const QString& name : names.value())
        if (name.startsWith(prefix))
            found << name;
    return found;
}

#include "bus_support.moc"

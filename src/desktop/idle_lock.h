#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>

class QDBusPendingCallWatcher;

// One way of keeping the screen from blanking, held through a D-Bus service that may be
// absent, slow or gone: acquire and release never block and never fail loudly. A release
// asked for while the service has not answered the acquire yet is carried out on the answer.
class IdleLock : public QObject {
    Q_OBJECT
public:
    IdleLock(const QDBusConnection& bus, QObject* parent = nullptr);

    void acquire();
    void release();
    // Releases before the process ends and waits (briefly) until the release is delivered.
    // An acquire still unanswered is abandoned: the service forgets the holds of a program
    // that leaves the bus.
    void releaseNow();
    bool isHeld() const { return m_held; }

    // A service that has not answered an acquire by then is taken to be absent.
    static constexpr int AcquireTimeoutMs = 5000;
    // How long the exit waits for the release to be delivered.
    static constexpr int ReleaseTimeoutMs = 500;

protected:
    virtual QDBusMessage acquireMessage() const = 0;
    // Takes what the service handed out for the lock from its answer; false when unusable.
    virtual bool takeToken(const QDBusMessage& reply) = 0;
    virtual QDBusMessage releaseMessage() const = 0;

private:
    void onAcquireAnswered(QDBusPendingCallWatcher* watcher);

    QDBusConnection m_bus;
    QPointer<QDBusPendingCallWatcher> m_pending;
    bool m_wanted = false;
    bool m_held = false;
};

// org.freedesktop.ScreenSaver: Inhibit gives a cookie, UnInhibit returns it.
class ScreenSaverLock : public IdleLock {
    Q_OBJECT
public:
    using IdleLock::IdleLock;

protected:
    QDBusMessage acquireMessage() const override;
    bool takeToken(const QDBusMessage& reply) override;
    QDBusMessage releaseMessage() const override;

private:
    uint m_cookie = 0;
};

// The desktop portal's Inhibit (idle): it answers with a request object, closed to release.
class PortalIdleLock : public IdleLock {
    Q_OBJECT
public:
    using IdleLock::IdleLock;

protected:
    QDBusMessage acquireMessage() const override;
    bool takeToken(const QDBusMessage& reply) override;
    QDBusMessage releaseMessage() const override;

private:
    QString m_request;
};

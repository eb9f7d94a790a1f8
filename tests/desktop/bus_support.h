#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

// A bus daemon of the test's own, which it can take away while its clients still use it.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // A new connection of its own to this bus.
    QDBusConnection connect(const QString& connectionName) const;
    // The daemon dies; its clients' connections drop.
    void kill();

private:
    QProcess m_daemon;
    QString m_address;
};

// The desktop's idle services as a desktop offers them: org.freedesktop.ScreenSaver and the
// portal's Inhibit, on their own thread so that a client blocking on the bus from the test's
// thread still gets its answers. Every call is recorded: "Inhibit 1" (the cookie handed
// out), "UnInhibit 1", "portal Inhibit /path", "portal Close /path".
class IdleServices {
public:
    enum Offer { ScreenSaver = 1, Portal = 2 };

    // Registers the services offered on `bus` under their well-known names.
    IdleServices(const QDBusConnection& bus, int offers, int answerDelayMs = 0);
    ~IdleServices();
    bool isRegistered() const { return m_registered; }
    QStringList calls() const;
    int count(const QString& prefix) const;
    // How many calls have been answered so far.
    int answers() const;

    struct Log {
        mutable QMutex mutex;
        QStringList calls;
        int answers = 0;
        void add(const QString& call);
        void answered();
    };

private:
    QDBusConnection m_bus;
    QThread m_thread;
    std::shared_ptr<Log> m_log;
    std::vector<QObject*> m_objects;
    QStringList m_names;
    bool m_registered = true;
};

// Reading and calling a media player on a bus. Calls wait with an event loop running, so
// the player may live in the test process itself.
class MprisClient {
public:
    MprisClient(const QDBusConnection& bus, const QString& service) : m_bus(bus), m_service(service)
    {
    }
    QVariant property(const QString& name, const QString& interface = PlayerInterface) const;
    QVariantMap metadata() const;
    bool setProperty(const QString& name, const QVariant& value,
                     const QString& interface = PlayerInterface) const;
    // A method call answered without an error.
    bool call(const QString& method, const QVariantList& arguments = {},
              const QString& interface = PlayerInterface) const;

    static inline const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
    static inline const QString RootInterface = QStringLiteral("org.mpris.MediaPlayer2");

private:
    QDBusConnection m_bus;
    QString m_service;
};

// Names now on the bus that start with `prefix`.
QStringList namesOnBus(const QDBusConnection& bus, const QString& prefix);

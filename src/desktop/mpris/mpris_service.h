#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

class MediaTransport;

// The player on the session bus as an MPRIS media player, for media keys and the desktop's
// sound applets. It owns the exported object and its three adaptors, takes the well-known name
// (or, when another player of ours holds it, an instance name of its own) and announces
// changed properties. Registration failures leave it quietly unregistered.
class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";
    static inline const QString ServiceName =
        QStringLiteral("org.mpris.MediaPlayer2.tamrel_vcd_player");

    MprisService(MediaTransport& transport, const QDBusConnection& bus, QObject* parent = nullptr);
    ~MprisService() override;

    // The name taken on the bus; empty when none could be.
    QString serviceName() const { return m_serviceName; }

private:
    bool registerOnBus();
    void scheduleRefresh();
    void refresh();
    void announce(const char* interface, const QVariantMap& now, QVariantMap& announced);
    QVariantMap playerProperties() const;
    QVariantMap rootProperties() const;

    MediaTransport& m_transport;
    QDBusConnection m_bus;
    QString m_serviceName;
    QVariantMap m_announcedPlayer;
    QVariantMap m_announcedRoot;
    bool m_refreshQueued = false;
};

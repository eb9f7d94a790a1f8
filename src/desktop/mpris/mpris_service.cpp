#include "desktop/mpris/mpris_service.h"

#include "desktop/media_transport.h"
#include "desktop/mpris/mpris_metadata.h"
#include "desktop/mpris/mpris_player_adaptor.h"
#include "desktop/mpris/mpris_root_adaptor.h"
#include "desktop/mpris/mpris_track_list_adaptor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QTimer>

MprisService::MprisService(MediaTransport& transport, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_transport(transport), m_bus(bus)
{
    new MprisRootAdaptor(this, m_transport, m_bus);
    new MprisPlayerAdaptor(this, m_transport);
    new MprisTrackListAdaptor(this, m_transport, m_bus);
    if (!registerOnBus())
        return;
    m_announcedPlayer = playerProperties();
    m_announcedRoot = rootProperties();
    connect(&m_transport, &MediaTransport::changed, this, &MprisService::scheduleRefresh);
}

MprisService::~MprisService()
{
    if (m_serviceName.isEmpty())
        return;
    m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
}

bool MprisService::registerOnBus()
{
    if (!m_bus.isConnected())
        return false;
    if (!m_bus.registerObject(QString::fromLatin1(ObjectPath), this,
                              QDBusConnection::ExportAdaptors))
        return false;
    // A second player of ours takes a name of its own, as media players do.
    const QString instance =
        ServiceName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    for (const QString& name : {ServiceName, instance}) {
        if (m_bus.registerService(name)) {
            m_serviceName = name;
            return true;
        }
    }
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
    return false;
}

void MprisService::scheduleRefresh()
{
    // A track change reports several changes in a row; they are announced once.
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, &MprisService::refresh);
}

void MprisService::refresh()
{
    m_refreshQueued = false;
    announce(MprisPlayerAdaptor::Interface, playerProperties(), m_announcedPlayer);
    announce(MprisRootAdaptor::Interface, rootProperties(), m_announcedRoot);
}

QVariantMap MprisService::playerProperties() const
{
    return {
        {QStringLiteral("PlaybackStatus"), MprisMetadata::playbackStatus(m_transport.state())},
        {QStringLiteral("Metadata"), MprisMetadata::metadata(m_transport.track())},
        {QStringLiteral("CanPlay"), m_transport.canPlay()},
        {QStringLiteral("CanPause"), m_transport.canPause()},
        {QStringLiteral("CanSeek"), m_transport.canSeek()},
        {QStringLiteral("CanGoNext"), m_transport.canGoNext()},
        {QStringLiteral("Rate"), m_transport.rate()},
    };
}

QVariantMap MprisService::rootProperties() const
{
    return {
        {QStringLiteral("Fullscreen"), m_transport.isFullScreen()},
        {QStringLiteral("CanSetFullscreen"), m_transport.canFullScreen()},
    };
}

void MprisService::announce(const char* interface, const QVariantMap& now, QVariantMap& announced)
{
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty())
        return;
    announced = now;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(interface) << changed << QStringList();
    m_bus.send(signal);
}

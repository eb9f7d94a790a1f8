#include "desktop/mpris/mpris_root_adaptor.h"

#include "desktop/desktop_entry.h"
#include "desktop/media_transport.h"
#include "settings/product.h"

#include <QDBusMessage>
#include <QTimer>

MprisRootAdaptor::MprisRootAdaptor(QObject* exported, MediaTransport& transport,
                                   const QDBusConnection& bus)
    : QDBusAbstractAdaptor(exported), m_transport(transport), m_bus(bus)
{
}

bool MprisRootAdaptor::fullscreen() const
{
    return m_transport.isFullScreen();
}

void MprisRootAdaptor::setFullscreen(bool on)
{
    m_transport.setFullScreen(on);
}

bool MprisRootAdaptor::canSetFullscreen() const
{
    return m_transport.canFullScreen();
}

QString MprisRootAdaptor::identity() const
{
    return Product::Title;
}

QString MprisRootAdaptor::desktopEntry() const
{
    return DesktopEntry::Id;
}

void MprisRootAdaptor::Raise()
{
    m_transport.raise();
}

void MprisRootAdaptor::Quit(const QDBusMessage& message)
{
    // The exit sequence ends the process at once: the caller gets its answer first, and the
    // exit runs from the event loop.
    message.setDelayedReply(true);
    m_bus.send(message.createReply());
    QTimer::singleShot(0, &m_transport, &MediaTransport::quit);
}

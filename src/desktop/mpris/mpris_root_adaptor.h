#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QStringList>

class MediaTransport;
class QDBusMessage;

// org.mpris.MediaPlayer2: who the player is, raising the window and quitting.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool Fullscreen READ fullscreen WRITE setFullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ canSetFullscreen)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    static constexpr const char* Interface = "org.mpris.MediaPlayer2";

    MprisRootAdaptor(QObject* exported, MediaTransport& transport, const QDBusConnection& bus);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool fullscreen() const;
    void setFullscreen(bool on);
    bool canSetFullscreen() const;
    // The songs inside a disc track (MprisTrackListAdaptor).
    bool hasTrackList() const { return true; }
    QString identity() const;
    QString desktopEntry() const;
    // Media are opened on the command line and in the window, not over the bus.
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit(const QDBusMessage& message);

private:
    MediaTransport& m_transport;
    QDBusConnection m_bus;
};

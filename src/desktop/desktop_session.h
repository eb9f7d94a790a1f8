#pragma once

#include <QDBusConnection>
#include <QObject>
#include <optional>

class MediaTransport;
class MprisService;
class ScreenSaverInhibitor;

// The player as a member of the desktop session: media keys and sound applets (MPRIS) and
// the screen saver held while playing. With no session bus nothing is registered and nothing
// is said about it.
class DesktopSession : public QObject {
    Q_OBJECT
public:
    DesktopSession(MediaTransport& transport, std::optional<QDBusConnection> bus,
                   QObject* parent = nullptr);
    ~DesktopSession() override;

    // Run by the exit paths just before the process ends: the screen saver is let go and
    // the answers already given (to Quit, say) are delivered.
    void beforeExit();

    MprisService* mpris() const { return m_mpris; }
    ScreenSaverInhibitor* inhibitor() const { return m_inhibitor; }

private:
    std::optional<QDBusConnection> m_bus;
    MprisService* m_mpris = nullptr;
    ScreenSaverInhibitor* m_inhibitor = nullptr;
};

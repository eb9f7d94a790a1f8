#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <vector>

class IdleLock;
class MediaTransport;

// Keeps the screen from blanking while the player plays: held through the screen saver
// service and the desktop portal (whichever the desktop has), let go on pause, stop, the end
// of the list and exit. The short stop between two tracks does not let go.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    // How long playback may rest before the screen may blank again.
    static constexpr int ReleaseDelayMs = 2000;

    ScreenSaverInhibitor(MediaTransport& transport, const QDBusConnection& bus,
                         QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // Lets go at once, before the process ends.
    void releaseNow();
    bool isHeld() const;

private:
    void follow();
    void acquire();
    void release();

    MediaTransport& m_transport;
    std::vector<IdleLock*> m_locks;
    QTimer m_releaseDelay;
    // Playing, or resting for less than the release delay.
    bool m_wanted = false;
};

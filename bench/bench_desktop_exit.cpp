// What leaving the desktop costs the player's exit: letting go of the screen saver while its
// answer is still on the way, with no screen saver service at all, and after the session bus
// went away, and taking the media player off a bus that went away. Run on a session bus;
// prints each in milliseconds.
//   bench_desktop_exit
#include "../tests/desktop/bus_support.h"
#include "../tests/desktop/fake_transport.h"
#include "desktop/mpris/mpris_service.h"
#include "desktop/screen_saver_inhibitor.h"
#include "desktop/session_bus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

using State = MediaTransport::State;

// Runs the event loop until `done` holds, for at most 10 s.
bool runUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// Runs the event loop for `ms`.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double millisecondsOf(const std::function<void()>& step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!SessionBus::isAdvertised()) {
        std::puts("bench_desktop_exit: no session bus (run it under dbus-run-session)");
        return 1;
    }
    const QDBusConnection inhibitorBus = QDBusConnection::sessionBus();
    FakeTransport transport;

    double answerPending = 0;
    {
        // The service answers long after the exit.
        IdleServices services(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "idle-services"),
            IdleServices::ScreenSaver, ScreenSaverInhibitor::ReleaseDelayMs + 500);
        ScreenSaverInhibitor inhibitor(transport, inhibitorBus);
        transport.setState(State::Playing);
        if (!runUntil([&] { return services.calls().size() == 1; }))
            return 1;
        answerPending = millisecondsOf([&] { inhibitor.releaseNow(); });
        transport.setState(State::Stopped);
    }

    double noService = 0;
    {
        ScreenSaverInhibitor inhibitor(transport, inhibitorBus);
        transport.setState(State::Playing);
        spin(200); // the bus's "no such service" comes back
        noService = millisecondsOf([&] { inhibitor.releaseNow(); });
        transport.setState(State::Stopped);
    }

    double screenSaverBusGone = 0;
    double mediaPlayerBusGone = 0;
    {
        PrivateBus bus;
        if (!bus.isRunning())
            return 1;
        auto services = std::make_unique<IdleServices>(bus.connect("private-services"),
                                                       IdleServices::ScreenSaver);
        QDBusConnection connection = bus.connect("private-inhibitor");
        ScreenSaverInhibitor inhibitor(transport, connection);
        auto mpris = std::make_unique<MprisService>(transport, connection);
        transport.setState(State::Playing);
        if (!runUntil([&] { return inhibitor.isHeld(); }))
            return 1;
        bus.kill();
        if (!runUntil([&] { return !QDBusConnection(connection).isConnected(); }))
            return 1;
        transport.setState(State::Stopped);
        screenSaverBusGone = millisecondsOf([&] { inhibitor.releaseNow(); });
        mediaPlayerBusGone = millisecondsOf([&] { mpris.reset(); });
        services.reset();
    }
    std::printf("exit, screen saver's answer pending: %.2f ms\n", answerPending);
    std::printf("exit, no screen saver service: %.2f ms\n", noService);
    std::printf("exit, session bus gone: screen saver %.2f ms, media player %.2f ms\n",
                screenSaverBusGone, mediaPlayerBusGone);
    return 0;
}

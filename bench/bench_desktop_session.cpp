// What joining the desktop session costs the player's start: connecting to the session bus,
// exporting the media player and taking its name (the screen saver is only asked later, while
// playing, and without waiting). Run on a session bus. Once per process, as the player does
// it (the first connection of a process also starts the bus library), printing
// "connect_ms register_ms"; or ROUNDS times on fresh connections of one process, medians.
//   bench_desktop_session [ROUNDS]
#include "../tests/desktop/fake_transport.h"
#include "desktop/desktop_session.h"
#include "desktop/session_bus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

int coldStart()
{
    FakeTransport transport;
    QElapsedTimer clock;
    clock.start();
    std::optional<QDBusConnection> bus = SessionBus::connect();
    const double connecting = clock.nsecsElapsed() / 1e6;
    clock.restart();
    DesktopSession session(transport, bus);
    std::printf("%.3f %.3f\n", connecting, clock.nsecsElapsed() / 1e6);
    return bus ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!SessionBus::isAdvertised()) {
        std::puts("bench_desktop_session: no session bus (run it under dbus-run-session)");
        return 1;
    }
    if (argc < 2)
        return coldStart();
    const int rounds = std::max(1, std::atoi(argv[1]));
    FakeTransport transport;
    std::vector<double> connecting;
    std::vector<double> registering;
    for (int round = 0; round < rounds; ++round) {
        const QString name = QStringLiteral("bench%1").arg(round);
        QElapsedTimer clock;
        clock.start();
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        connecting.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        {
            DesktopSession session(transport, bus);
            registering.push_back(clock.nsecsElapsed() / 1e6);
        }
        QDBusConnection::disconnectFromBus(name);
    }
    std::printf("joining the session bus again: connecting %.2f ms, media player exported and "
                "named %.2f ms (medians of %d)\n",
                median(connecting), median(registering), rounds);
    return 0;
}

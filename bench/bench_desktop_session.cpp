// What joining the desktop session costs the player's start: connecting to the session bus,
// exporting the media player and taking its name (the screen saver is only asked later, while
// playing, and without waiting). Run on a session bus (dbus-run-session), medians of N rounds.
//   bench_desktop_session [ROUNDS]
#include "../tests/desktop/fake_transport.h"
#include "desktop/desktop_session.h"

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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::puts("bench_desktop_session: no session bus (run it under dbus-run-session)");
        return 1;
    }
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
    std::printf("joining the session bus: connecting %.2f ms, media player exported and named "
                "%.2f ms (medians of %d)\n",
                median(connecting), median(registering), rounds);
    return 0;
}

#include "bus_support.h"
#include "desktop/screen_saver_inhibitor.h"
#include "desktop/session_bus.h"
#include "fake_transport.h"

#include <QDBusMessage>
#include <QRegularExpression>
#include <QTest>

using State = MediaTransport::State;

namespace {

// Every answer sent to `bus` before this call has been received and handed on by the time it
// returns: the bus delivers in order, and the blocking call's own answer comes after them.
bool answersDelivered(const QDBusConnection& bus)
{
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping");
    const bool answered = QDBusConnection(bus).call(ping, QDBus::BlockWithGui, 10000).type() ==
                          QDBusMessage::ReplyMessage;
    QCoreApplication::processEvents();
    return answered;
}

} // namespace

// The screen saver held while playing, against idle services on a real bus (the test runs
// under dbus-run-session; the services answer from a thread of their own).
class TestScreenSaver : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void heldWhilePlayingOnly_data();
    void heldWhilePlayingOnly();
    void trackChangeKeepsTheHold();
    void releasedBeforeExit();
    void slowServiceIsReleasedOnItsAnswer();
    void noServiceIsQuiet();
    void vanishingBusIsQuiet();

private:
    static QDBusConnection inhibitorBus() { return QDBusConnection::sessionBus(); }
    static QDBusConnection serviceBus()
    {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "idle-services");
    }
    static constexpr int AfterDelayMs = ScreenSaverInhibitor::ReleaseDelayMs + 2000;
};

void TestScreenSaver::initTestCase()
{
    if (!SessionBus::connect())
        QSKIP("no session bus (run under dbus-run-session)");
}

void TestScreenSaver::init()
{
    // Absent or failing services must never make the program complain.
    QTest::failOnWarning(QRegularExpression(".*"));
}

void TestScreenSaver::heldWhilePlayingOnly_data()
{
    QTest::addColumn<int>("offers");
    QTest::addColumn<State>("rest");
    QTest::addColumn<QStringList>("expected");
    const QString request = "/org/freedesktop/portal/desktop/request/1_1/t1";
    QTest::newRow("screen saver, pause") << int(IdleServices::ScreenSaver) << State::Paused
                                         << QStringList{"Inhibit 1", "UnInhibit 1"};
    QTest::newRow("screen saver, stop") << int(IdleServices::ScreenSaver) << State::Stopped
                                        << QStringList{"Inhibit 1", "UnInhibit 1"};
    QTest::newRow("portal") << int(IdleServices::Portal) << State::Stopped
                            << QStringList{"portal Inhibit " + request, "portal Close " + request};
    QTest::newRow("both") << int(IdleServices::ScreenSaver | IdleServices::Portal) << State::Paused
                          << QStringList{"Inhibit 1", "portal Inhibit " + request, "UnInhibit 1",
                                         "portal Close " + request};
}

void TestScreenSaver::heldWhilePlayingOnly()
{
    QFETCH(int, offers);
    QFETCH(State, rest);
    QFETCH(QStringList, expected);
    IdleServices services(serviceBus(), offers);
    QVERIFY(services.isRegistered());
    FakeTransport transport;
    ScreenSaverInhibitor inhibitor(transport, inhibitorBus());
    QTest::qWait(100); // a span in which nothing may be taken: nothing held while stopped
    QVERIFY(services.calls().isEmpty());

    transport.setState(State::Playing);
    QTRY_VERIFY(inhibitor.isHeld());
    transport.setState(rest);
    QTRY_VERIFY_WITH_TIMEOUT(!inhibitor.isHeld(), AfterDelayMs);
    QTRY_COMPARE(services.calls().size(), expected.size());
    QStringList calls = services.calls();
    // The two services are called independently; each keeps its own order.
    if (offers == (IdleServices::ScreenSaver | IdleServices::Portal)) {
        std::sort(calls.begin(), calls.end());
        std::sort(expected.begin(), expected.end());
    }
    QCOMPARE(calls, expected);
}

void TestScreenSaver::trackChangeKeepsTheHold()
{
    IdleServices services(serviceBus(), IdleServices::ScreenSaver);
    FakeTransport transport;
    ScreenSaverInhibitor inhibitor(transport, inhibitorBus());
    transport.setState(State::Playing);
    QTRY_VERIFY(inhibitor.isHeld());
    for (int track = 0; track < 3; ++track) {
        transport.setState(State::Stopped); // between two tracks
        QTest::qWait(100); // the short stop of a track change, as the player makes it
        transport.setState(State::Playing);
    }
    // A span longer than the release delay in which nothing may be let go.
    QTest::qWait(ScreenSaverInhibitor::ReleaseDelayMs + 200);
    QCOMPARE(services.calls(), QStringList{"Inhibit 1"});

    transport.setState(State::Stopped);
    QTRY_COMPARE_WITH_TIMEOUT(services.calls(), (QStringList{"Inhibit 1", "UnInhibit 1"}),
                              AfterDelayMs);
    transport.setState(State::Playing); // a new hold, with a new cookie
    QTRY_COMPARE(services.calls().size(), 3);
    QCOMPARE(services.calls().last(), QString("Inhibit 2"));
}

void TestScreenSaver::releasedBeforeExit()
{
    IdleServices services(serviceBus(), IdleServices::ScreenSaver | IdleServices::Portal);
    FakeTransport transport;
    ScreenSaverInhibitor inhibitor(transport, inhibitorBus());
    transport.setState(State::Playing);
    QTRY_COMPARE(services.calls().size(), 2);
    // The process ends right after: the releases must have arrived when this returns.
    inhibitor.releaseNow();
    QCOMPARE(services.count("UnInhibit 1"), 1);
    QCOMPARE(services.count("portal Close"), 1);
    transport.setState(State::Paused);
    transport.setState(State::Playing); // the exit path runs on: nothing taken again
    QTest::qWait(100);                  // a span in which nothing may be taken
    QCOMPARE(services.calls().size(), 4);
}

void TestScreenSaver::slowServiceIsReleasedOnItsAnswer()
{
    // Answers come later than the release is due.
    IdleServices services(serviceBus(), IdleServices::ScreenSaver,
                          ScreenSaverInhibitor::ReleaseDelayMs + 500);
    FakeTransport transport;
    {
        ScreenSaverInhibitor inhibitor(transport, inhibitorBus());
        transport.setState(State::Playing);
        QTRY_COMPARE(services.calls(), QStringList{"Inhibit 1"});
        transport.setState(State::Stopped);
        QTRY_COMPARE_WITH_TIMEOUT(services.calls(), (QStringList{"Inhibit 1", "UnInhibit 1"}),
                                  AfterDelayMs);
        QVERIFY(!inhibitor.isHeld());
    }
    // An exit while the answer is on its way does not wait for it.
    ScreenSaverInhibitor inhibitor(transport, inhibitorBus());
    transport.setState(State::Playing);
    QTRY_COMPARE(services.calls().size(), 3);
    QCOMPARE(services.answers(), 1);
    inhibitor.releaseNow();
    // Had it waited for the answer, the answer would have come first: the services answer from
    // a thread of their own. (How long the exit takes: bench/bench_desktop_exit.)
    QCOMPARE(services.answers(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(services.answers(), 2, AfterDelayMs);
    QVERIFY(answersDelivered(inhibitorBus())); // the late answer goes nowhere
    QVERIFY(!inhibitor.isHeld());
}

void TestScreenSaver::noServiceIsQuiet()
{
    FakeTransport transport;
    ScreenSaverInhibitor inhibitor(transport, inhibitorBus());
    for (int i = 0; i < 3; ++i) {
        transport.setState(State::Playing);
        QVERIFY(answersDelivered(inhibitorBus())); // the bus's "no such service"
        transport.setState(State::Paused);
    }
    QVERIFY(!inhibitor.isHeld());
    inhibitor.releaseNow(); // nothing to wait for (its cost: bench/bench_desktop_exit)
    QVERIFY(!inhibitor.isHeld());
}

void TestScreenSaver::vanishingBusIsQuiet()
{
    PrivateBus bus;
    QVERIFY(bus.isRunning());
    auto services =
        std::make_unique<IdleServices>(bus.connect("private-services"), IdleServices::ScreenSaver);
    FakeTransport transport;
    QDBusConnection connection = bus.connect("private-inhibitor");
    ScreenSaverInhibitor inhibitor(transport, connection);
    transport.setState(State::Playing);
    QTRY_VERIFY(inhibitor.isHeld());
    bus.kill();
    QTRY_VERIFY(!QDBusConnection(connection).isConnected());
    transport.setState(State::Stopped);
    // The delayed release goes out to the dead bus.
    QTRY_VERIFY_WITH_TIMEOUT(!inhibitor.isHeld(), AfterDelayMs);
    inhibitor.releaseNow(); // nothing left to wait for (its cost: bench/bench_desktop_exit)
    services.reset();
}

QTEST_MAIN(TestScreenSaver)
#include "test_screen_saver.moc"

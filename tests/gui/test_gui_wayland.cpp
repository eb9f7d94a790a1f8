#include "../desktop/bus_support.h"
#include "app/window_modes.h"
#include "desktop/mpris/mpris_service.h"
#include "fake_platform.h"
#include "test_media.h"
#include "wayland_player.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cstdio>

namespace {

// A Weston compositor of the test's own, drawing with pixman so that its screenshots show
// what is on the output. Headless has no input devices; nested in the test's X display it
// takes the keyboard from there.
class Weston {
public:
    enum class Backend { Headless, NestedInX11 };
    static constexpr int Width = 1024;
    static constexpr int Height = 768;

    ~Weston()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

    bool start(Backend backend)
    {
        if (!m_runtime.isValid())
            return false;
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        if (backend == Backend::Headless)
            env.remove("DISPLAY");
        m_process.setProcessEnvironment(env);
        m_process.setStandardOutputFile(m_runtime.filePath("weston.log"));
        m_process.setStandardErrorFile(m_runtime.filePath("weston.log"), QIODevice::Append);
        const QString module = backend == Backend::Headless ? "headless" : "x11";
        m_process.start("weston",
                        {"--backend=" + module + "-backend.so", "--use-pixman", "--debug",
                         "--idle-time=0", "--socket=" + socket(), QString("--width=%1").arg(Width),
                         QString("--height=%1").arg(Height)});
        if (!m_process.waitForStarted(5000))
            return false;
        if (!QTest::qWaitFor([this] { return QFile::exists(m_runtime.filePath(socket())); }, 10000))
            return false;
        // The shell's panel and background fade in: done when two pictures in a row agree.
        QImage last;
        return QTest::qWaitFor(
            [&] {
                const QImage shot = screenshot();
                const bool still = !shot.isNull() && shot == last;
                last = shot;
                return still;
            },
            15000);
    }

    QString socket() const { return "tamrel-wayland-test"; }
    QString runtimeDir() const { return m_runtime.path(); }

    QImage screenshot()
    {
        QDir dir(m_runtime.path());
        for (const QString& old : dir.entryList({"wayland-screenshot-*.png"}))
            dir.remove(old);
        QProcess shooter;
        shooter.setProcessEnvironment(clientEnvironment());
        shooter.setWorkingDirectory(m_runtime.path());
        shooter.start("weston-screenshooter", {});
        shooter.waitForFinished(10000);
        const QStringList shots = dir.entryList({"wayland-screenshot-*.png"});
        return shots.isEmpty() ? QImage() : QImage(dir.filePath(shots.front()));
    }

    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        env.insert("WAYLAND_DISPLAY", socket());
        env.insert("QT_QPA_PLATFORM", "wayland");
        env.remove("DISPLAY");
        return env;
    }

private:
    QTemporaryDir m_runtime;
    QProcess m_process;
};

Weston* headless = nullptr;

// Share of the output showing the test pattern's saturated colours: none on the desktop
// itself, the picture's part of the window, most of the output in full screen.
double pictureShare(const QImage& shot)
{
    if (shot.isNull())
        return -1;
    long coloured = 0;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            const QRgb p = shot.pixel(x, y);
            const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
            const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
            coloured += high - low > 96;
        }
    }
    return coloured / (shot.width() / 2.0 * shot.height() / 2.0);
}

// Waits until the output's picture share is inside [low, high]; the last share seen.
double waitForPictureShare(Weston& weston, double low, double high, int timeoutMs = 10000)
{
    double share = -1;
    const bool inside = QTest::qWaitFor(
        [&] {
            share = pictureShare(weston.screenshot());
            return share >= low && share <= high;
        },
        timeoutMs);
    return inside ? share : pictureShare(weston.screenshot());
}

const QString Playing1 = "status: Playing Avseq01.dat  ........";

} // namespace

// The player under a Wayland compositor: it plays a disc image, shows the picture, goes full
// screen and back; On Top is disabled there and says why.
class TestGuiWayland : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void onTopIsDisabledWithItsReason();
    void playsAndGoesFullScreenAndBack();
    void keysTakeItToFullScreenAndBack();
};

void TestGuiWayland::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QString("wayland"));
    QVERIFY(pictureShare(headless->screenshot()) < 0.01);
}

void TestGuiWayland::onTopIsDisabledWithItsReason()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.show();
    // Generous: the window manager frames it first, slowly on a busy machine.
    QVERIFY(QTest::qWaitForWindowExposed(&w, 20000));
    rig.load();
    QVERIFY(!w.cmdOnTop->isEnabled());
    QCOMPARE(w.cmdOnTop->toolTip(), WindowModes::OnTopUnavailableTip);
    w.modes().OnTopToggle(); // reached from code: still nothing
    QVERIFY(!w.modes().isOnTop());
    QVERIFY(!w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    w.modes().FullScreen(); // leaves On Top first: nothing to leave
    QCOMPARE(rig.player.DisplaySize(), int(MediaPlayer::FullScreen));
}

void TestGuiWayland::playsAndGoesFullScreenAndBack()
{
    WaylandPlayer player(headless->clientEnvironment());
    QVERIFY2(player.waitForLine(Playing1), qPrintable(player.printed()));
    MprisClient media(QDBusConnection::sessionBus(), MprisService::ServiceName);
    QTRY_COMPARE_WITH_TIMEOUT(media.property("PlaybackStatus").toString(), QString("Playing"),
                              10000);
    // The picture of the render API's native child window is on the output.
    double share = waitForPictureShare(*headless, 0.1, 0.45);
    QVERIFY2(share >= 0.1 && share <= 0.45, qPrintable(QString::number(share)));

    QVERIFY(media.setProperty("Fullscreen", true, MprisClient::RootInterface));
    QVERIFY(media.property("Fullscreen", MprisClient::RootInterface).toBool());
    share = waitForPictureShare(*headless, 0.55, 1);
    QVERIFY2(share >= 0.55, qPrintable(QString::number(share)));

    QVERIFY(media.setProperty("Fullscreen", false, MprisClient::RootInterface));
    QVERIFY(!media.property("Fullscreen", MprisClient::RootInterface).toBool());
    share = waitForPictureShare(*headless, 0.1, 0.45);
    QVERIFY2(share >= 0.1 && share <= 0.45, qPrintable(QString::number(share)));
    QCOMPARE(media.property("PlaybackStatus").toString(), QString("Playing"));
}

void TestGuiWayland::keysTakeItToFullScreenAndBack()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("keys reach a compositor through a seat: this part needs an X display for one");
    Weston nested;
    QVERIFY(nested.start(Weston::Backend::NestedInX11));
    QProcess search;
    search.start("xdotool", {"search", "--class", "weston"});
    QVERIFY(search.waitForFinished(5000));
    const QString output = QString::fromUtf8(search.readAllStandardOutput()).split('\n').front();
    QVERIFY(!output.isEmpty());
    const auto press = [&output](const QString& keys) {
        return QProcess::execute("xdotool", {"key", "--window", output, keys}) == 0;
    };

    // The compositor's output has the X keyboard before the player's window maps, so the
    // compositor hands it to that window as it comes up.
    QCOMPARE(QProcess::execute("xdotool", {"windowfocus", "--sync", output}), 0);
    WaylandPlayer player(nested.clientEnvironment());
    QVERIFY2(player.waitForLine(Playing1), qPrintable(player.printed()));
    const double windowed = waitForPictureShare(nested, 0.1, 0.45);
    QVERIFY2(windowed >= 0.1 && windowed <= 0.45, qPrintable(QString::number(windowed)));

    // The start-up notice had the keyboard; the compositor gives it back to the main window a
    // moment after the notice has closed. The window has it once a key for track 2 gets there.
    QVERIFY2(QTest::qWaitFor(
                 [&] { return press("2") && player.waitForLine("track: 02 of 3", 500); }, 15000),
             qPrintable(player.printed()));
    QVERIFY(press("alt+Return"));
    double share = waitForPictureShare(nested, 0.55, 1);
    QVERIFY2(share >= 0.55, qPrintable(QString::number(share)));
    QVERIFY(press("Escape"));
    share = waitForPictureShare(nested, 0.1, 0.45);
    QVERIFY2(share >= 0.1 && share <= 0.45, qPrintable(QString::number(share)));
}

// The compositor comes first: the test itself is one of its clients.
int main(int argc, char* argv[])
{
    Weston weston;
    if (!weston.start(Weston::Backend::Headless)) {
        std::puts("Skipped: weston did not start");
        return 77;
    }
    headless = &weston;
    qputenv("XDG_RUNTIME_DIR", weston.runtimeDir().toUtf8());
    qputenv("WAYLAND_DISPLAY", weston.socket().toUtf8());
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    TestGuiWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_gui_wayland.moc"

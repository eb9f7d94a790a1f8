// Captures on a real X screen and a real file system: the grab shows what is on the screen,
// the bitmap is a 24-bit BMP as another reader sees it, and folders a user cannot write to
// (or a disk that is full) are reported while playback goes on.

#include "capture_rig.h"
#include "platform/player/mpv_player.h"
#include "platform/shell/linux_system_folders.h"
#include "platform/shell/qt_screen_grabber.h"
#include "platform/shell/screen_grabber.h"
#include "platform/shell/system_folders.h"
#include "playback/playback_engine.h"
#include "test_media.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QtEndian>
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QColor Marker(230, 20, 160);

// A borderless window of one colour, kept above the others.
struct ColourWindow : QWidget {
    explicit ColourWindow(const QRect& where)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
    {
        setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Marker);
        setPalette(palette);
        setGeometry(where);
        show();
    }
};

// What a BMP file says of itself, read from its headers without any image library.
struct BmpHeader {
    bool valid = false;
    qint32 width = 0;
    qint32 height = 0; // positive: rows stored bottom-up
    quint16 bitsPerPixel = 0;
    quint32 compression = 0;
    quint32 pixelsAt = 0;
    QByteArray bytes;

    explicit BmpHeader(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        bytes = file.readAll();
        if (bytes.size() < 54 || !bytes.startsWith("BM"))
            return;
        const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
        pixelsAt = qFromLittleEndian<quint32>(data + 10);
        width = qFromLittleEndian<qint32>(data + 18);
        height = qFromLittleEndian<qint32>(data + 22);
        bitsPerPixel = qFromLittleEndian<quint16>(data + 28);
        compression = qFromLittleEndian<quint32>(data + 30);
        valid = true;
    }
    // The pixel at (x, y) counted from the top, for 24-bit rows padded to four bytes.
    QColor pixel(int x, int y) const
    {
        const int stride = (width * 3 + 3) & ~3;
        const int row = height > 0 ? height - 1 - y : y;
        const qsizetype at = pixelsAt + qsizetype(row) * stride + x * 3;
        if (at + 2 >= bytes.size())
            return {};
        return QColor(uchar(bytes[at + 2]), uchar(bytes[at + 1]), uchar(bytes[at]));
    }
};

// Pixels of strong colour (the test clip's bars), not black, grey or white.
int colouredPixels(const QImage& image)
{
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            coloured += image.pixelColor(x, y).hsvSaturation() > 150;
    return coloured;
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 &&
           qAbs(a.blue() - b.blue()) < 8;
}

// Runs one test function of this program again in a process of user nobody (a root test run
// could write anywhere), on the offscreen platform; `diskFull` limits files to 4 KiB.
bool runAsNobody(const QString& function, const QString& scenario, bool diskFull, QString* output)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TAMREL_CAPTURE_SCENARIO", scenario);
    env.remove("XDG_RUNTIME_DIR");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([diskFull] {
        if (diskFull) {
            // Writes beyond the limit fail with EFBIG, as on a full disk, instead of a signal.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
    });
    child.start(QCoreApplication::applicationFilePath(), {function});
    const bool done = child.waitForFinished(60000);
    *output = QString::fromLocal8Bit(child.readAll());
    return done && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

} // namespace

class TestCaptureReal : public QObject {
    Q_OBJECT
private slots:
    void grabShowsTheScreen();
    void playerFrameOfTheVideo_data();
    void playerFrameOfTheVideo();
    void chainWritesA24BitBitmapOfTheScreen();
    void missingXdgFolderIsMade_data();
    void missingXdgFolderIsMade();
    void unwritableDestinations_data();
    void unwritableDestinations();
    void unwritableDestinationChild();
};

void TestCaptureReal::grabShowsTheScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ColourWindow marker({100, 120, 200, 150});
    QVERIFY(QTest::qWaitForWindowExposed(&marker));
    QtScreenGrabber grabber;
    QImage grab;
    const auto markerOnScreen = [&] {
        grab = grabber.grabScreen(screen);
        return near(grab.pixelColor(200, 195), Marker);
    };
    QTRY_VERIFY_WITH_TIMEOUT(markerOnScreen(), 10000);
    QCOMPARE(grab.size(), screen->geometry().size() * screen->devicePixelRatio());
    QVERIFY(near(grab.pixelColor(200, 195), Marker));
    QVERIFY(!near(grab.pixelColor(20, 20), Marker));
}

void TestCaptureReal::playerFrameOfTheVideo_data()
{
    QTest::addColumn<bool>("drawn");
    QTest::newRow("video drawn in the window") << true;
    QTest::newRow("no video output") << false;
}

// The stand-in for a screen the display will not hand out: the frame libmpv shows.
void TestCaptureReal::playerFrameOfTheVideo()
{
    QFETCH(bool, drawn);
#ifdef __SANITIZE_ADDRESS__
    if (drawn)
        QSKIP("Mesa's GLX keeps allocations to the end, which the leak checker reports");
#endif
    const QString clip = TestMedia::clip("long.mpg");
    QVERIFY(QFile::exists(clip));
    MpvPlayer player(MpvPlayer::Options{drawn, {"ao=null"}, nullptr});
    QWidget window;
    player.videoWidget()->setParent(&window);
    player.videoWidget()->setGeometry(0, 0, 480, 360);
    window.resize(480, 360);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(player.videoFrame(), QImage()); // nothing open yet
    player.setFileName(clip);
    QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), int(MediaPlayer::Playing), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(player.CurrentPosition() > 0.5, 10000);
    player.Pause();
    QImage frame;
    const bool kept = QTest::qWaitFor(
        [&] {
            frame = player.videoFrame();
            return !frame.isNull();
        },
        drawn ? 10000 : 2000);
    if (!drawn && !kept)
        QSKIP("libmpv keeps no frame without a video output");
    QVERIFY(kept);
    const QSize size(player.mpvProperty("width").toInt(), player.mpvProperty("height").toInt());
    QCOMPARE(frame.size(), size);
    QVERIFY(colouredPixels(frame) > frame.width() * frame.height() / 10);
    const QImage fitted = QtScreenGrabber::fitToScreen(frame, {1280, 800});
    QCOMPARE(fitted.size(), QSize(1280, 800));
}

void TestCaptureReal::chainWritesA24BitBitmapOfTheScreen()
{
    QtScreenGrabber grabber;
    CaptureRig rig;
    rig.fake.screenGrabber = &grabber;
    Playerfrm& w = rig.start();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ColourWindow marker({400, 300, 160, 120});
    QVERIFY(QTest::qWaitForWindowExposed(&marker));
    QVERIFY(rig.capture());

    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QString path = rig.desktop() + "/ScreenShot.bmp";
    const BmpHeader header(path);
    QVERIFY(header.valid);
    QCOMPARE(header.bitsPerPixel, quint16(24));
    QCOMPARE(header.compression, 0u);
    QCOMPARE(QSize(header.width, qAbs(header.height)), screen + QSize(0, 20));
    QVERIFY(near(header.pixel(480, 360), Marker));
    QCOMPARE(header.bytes.back(), 'p');

    // ImageMagick, an independent reader: a bitmap of direct colour, no alpha, no compression.
    QProcess identify;
    identify.start("identify", {"-format", "%m %w %h %r %A %C", path});
    QVERIFY2(identify.waitForFinished(30000) && identify.exitCode() == 0,
             identify.readAllStandardError().constData());
    const QString identified = QString::fromLatin1(identify.readAllStandardOutput()).simplified();
    QCOMPARE(identified, QString("BMP3 %1 %2 DirectClass sRGB False None")
                             .arg(screen.width())
                             .arg(screen.height() + 20));

    const QImage read(path);
    QCOMPARE(read.size(), screen + QSize(0, 20));
    QVERIFY(near(read.pixelColor(480, 360), Marker));
    QCOMPARE(read.pixelColor(5, read.height() - 1), QColor(Qt::black)); // the caption strip
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestCaptureReal::missingXdgFolderIsMade_data()
{
    // The user's folders as XDG names them: in user-dirs.dirs, or by default under the home.
    QTest::addColumn<QString>("userDirs"); // the contents of user-dirs.dirs; empty: no file
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("folder"); // made, and the picture saved there
    QTest::addColumn<QString>("absent"); // not made
    QTest::newRow("default desktop") << "" << SettingsKeys::Screenshot << "Desktop"
                                     << "Documents";
    QTest::newRow("desktop named by the user") << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                               << SettingsKeys::Screenshot << "Schreibtisch"
                                               << "Desktop";
    QTest::newRow("documents named by the user, deeper")
        << "XDG_DOCUMENTS_DIR=\"$HOME/files/Dokumente\"\n"
        << SettingsKeys::MyDocuments << "files/Dokumente"
        << "Documents";
}

// A fresh account without its desktop or documents folder: the capture makes the folder the
// user's XDG settings name, and nowhere else, and saves the picture there.
void TestCaptureReal::missingXdgFolderIsMade()
{
    QFETCH(QString, userDirs);
    QFETCH(QString, key);
    QFETCH(QString, folder);
    QFETCH(QString, absent);
    QTemporaryDir home;
    const QByteArray homeBefore = qgetenv("HOME");
    const QByteArray configBefore = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", homeBefore);
        qputenv("XDG_CONFIG_HOME", configBefore);
    });
    if (!userDirs.isEmpty()) {
        QDir(home.path()).mkpath(".config");
        QFile dirs(home.filePath(".config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write(userDirs.toUtf8());
    }

    LinuxSystemFolders folders;
    CaptureRig rig(key.toLatin1().constData());
    rig.fake.systemFolders = &folders;
    rig.start();
    QVERIFY(!QFileInfo::exists(home.filePath(folder)));
    QVERIFY(rig.capture());

    const QStringList pictures = QDir(home.filePath(folder)).entryList({"*.bmp"}, QDir::Files);
    QCOMPARE(pictures.size(), 1);
    if (key == SettingsKeys::Screenshot)
        QCOMPARE(pictures.front(), QString("ScreenShot.bmp"));
    QVERIFY(!QFileInfo::exists(home.filePath(absent)));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestCaptureReal::unwritableDestinations_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("read-only desktop folder") << "read-only" << false;
    QTest::newRow("read-only documents folder") << "read-only documents" << false;
    QTest::newRow("full disk") << "full disk" << true;
}

void TestCaptureReal::unwritableDestinations()
{
    QFETCH(QString, scenario);
    QFETCH(bool, diskFull);
    QString output;
    QVERIFY2(runAsNobody("unwritableDestinationChild", scenario, diskFull, &output),
             qPrintable(output));
}

// Runs only in the child process that unwritableDestinations starts.
void TestCaptureReal::unwritableDestinationChild()
{
    const QString scenario = qEnvironmentVariable("TAMREL_CAPTURE_SCENARIO");
    if (scenario.isEmpty())
        QSKIP("runs as another user, from unwritableDestinations");
    const bool documents = scenario == "read-only documents";
    CaptureRig rig(documents ? SettingsKeys::MyDocuments : SettingsKeys::Screenshot);
    const QString folder = documents ? rig.documents() : rig.desktop();
    if (scenario.startsWith("read-only"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    Playerfrm& w = rig.start();
    QVERIFY(rig.capture());
    QTRY_COMPARE_WITH_TIMEOUT(w.engine().status(), "The picture could not be saved in " + folder,
                              10000);
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::FitToSize));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QCOMPARE(rig.filesWritten(), QStringList());
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(TestCaptureReal)
#include "test_capture_real.moc"

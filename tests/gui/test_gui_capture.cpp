// A capture in the real executable playing a Video CD image: the window goes full screen, the
// bitmap appears on the desktop about 1.2 s after the click, holding the video and its caption
// strip, and the video comes back to its size and plays on; a window on top is left normal.

#include "gui_session.h"
#include "settings/product.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Front panel buttons by their rectangle's left and top in twips (the panel is at 6600).
QPoint buttonAt(int leftTwips, int topTwips)
{
    return {leftTwips / 15 + 10, (6600 + topTwips) / 15 + 8};
}
const QPoint CaptureButton = buttonAt(5475, 80);
const QPoint OnTopButton = buttonAt(4200, 80);

bool isOnTop(const QString& window)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", window, "_NET_WM_STATE"});
    xprop.waitForFinished(5000);
    return xprop.readAllStandardOutput().contains("_NET_WM_STATE_ABOVE");
}

// The first window type a window gives itself (task bars list only normal windows).
QByteArray windowType(const QString& window)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", window, "_NET_WM_WINDOW_TYPE"});
    xprop.waitForFinished(5000);
    const QString answer = QString::fromLatin1(xprop.readAllStandardOutput());
    return answer.section('=', 1).section(',', 0, 0).trimmed().toLatin1();
}

// Share of the area's pixels that are strongly coloured (the test picture's bars), neither
// black, grey nor white.
double colouredShare(const QImage& image, const QRect& area)
{
    long coloured = 0;
    long all = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4)
        for (int x = area.left(); x <= area.right(); x += 4) {
            const QColor c = image.pixelColor(x, y);
            coloured += c.hsvSaturation() > 150 && c.value() > 100;
            ++all;
        }
    return all ? double(coloured) / all : 0;
}

bool isCaptionYellow(const QColor& c)
{
    return c.red() > 150 && c.green() > 150 && c.blue() < 80;
}

} // namespace

class TestGuiCapture : public QObject {
    Q_OBJECT
private slots:
    void captureWhilePlaying_data();
    void captureWhilePlaying();
};

void TestGuiCapture::captureWhilePlaying_data()
{
    QTest::addColumn<bool>("onTopFirst");
    QTest::newRow("normal window") << false;
    QTest::newRow("window on top first") << true;
}

void TestGuiCapture::captureWhilePlaying()
{
    QFETCH(bool, onTopFirst);
    QTemporaryDir home;
    const QString config = home.filePath("config");
    const QString desktop = home.filePath("Desktop");
    QVERIFY(QDir().mkpath(config) && QDir().mkpath(desktop));
    QFile dirs(config + "/user-dirs.dirs");
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write(QString("XDG_DESKTOP_DIR=\"%1\"\nXDG_DOCUMENTS_DIR=\"%2\"\n")
                   .arg(desktop, home.filePath("Documents"))
                   .toUtf8());
    dirs.close();

    GuiSession session;
    // The desktop destination, no desktop to set a wallpaper on and no bus to a portal: the
    // user's own wallpaper is never touched.
    QVERIFY(session.startPlayer(
        {}, {"TAMREL_CD_DRIVES=" + TestMedia::disc("vcd-a.cue"), "TAMREL_TRACE=1",
             "TAMREL_MPV_OPTIONS=ao=null", "XDG_CONFIG_HOME=" + config,
             "XDG_DATA_HOME=" + home.filePath("data"), "HOME=" + home.path(),
             "XDG_CURRENT_DESKTOP=", "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"}));
    const QString window = session.waitForWindow(Product::Caption);
    QVERIFY(!window.isEmpty());
    QVERIFY(session.waitForLine("track: 01 of 3"));
    QVERIFY(session.waitForLine("time: 0:1", 8000));
    const QSize normal = session.windowGeometry(window).size();
    const QSize screen = session.screenSize();

    const auto click = [&](QPoint where) {
        return session.xdotool({"mousemove", "--window", window, QString::number(where.x()),
                                QString::number(where.y()), "click", "1"});
    };
    if (onTopFirst) {
        QVERIFY(click(OnTopButton));
        QTRY_VERIFY_WITH_TIMEOUT(isOnTop(window), 3000);
    }

    const QString picture = desktop + "/ScreenShot.bmp";
    QVERIFY(click(CaptureButton));
    // Full screen, then the curtain over the whole screen while the second's wait runs, then
    // the bitmap, and the curtain gone. (How long it takes: bench/bench_capture.)
    bool wentFullScreen = false;
    const auto noteFullScreen = [&] {
        wentFullScreen = wentFullScreen || session.windowGeometry(window).size() == screen;
    };
    QString curtain;
    const auto curtainShown = [&] {
        noteFullScreen();
        curtain = session.waitForWindow("Form2", 100);
        return !curtain.isEmpty();
    };
    QTRY_VERIFY_WITH_TIMEOUT(curtainShown(), 10000);
    QCOMPARE(session.windowGeometry(curtain).size(), screen);
    QCOMPARE(windowType(curtain), QByteArray("_NET_WM_WINDOW_TYPE_UTILITY"));
    const QImage covered = session.grabScreen();
    QVERIFY(covered.pixelColor(screen.width() / 2, screen.height() / 3) == Qt::black);
    QVERIFY(!QFile::exists(picture));
    const auto pictureWritten = [&] {
        noteFullScreen();
        return QFile::exists(picture);
    };
    QTRY_VERIFY_WITH_TIMEOUT(pictureWritten(), 10000);
    QVERIFY(wentFullScreen);
    QTRY_VERIFY_WITH_TIMEOUT(session.waitForWindow("Form2", 100).isEmpty(), 10000);

    // Back at its size, and the video moves again.
    QVERIFY(session.waitForGeometry(window, normal, 10000));
    const QRect video = session.windowGeometry(window).adjusted(20, 20, -20, -160);
    QVERIFY(session.waitForMovingVideo(video, 0.001));
    QVERIFY(!isOnTop(window));

    // The screen as the full-screen video showed it, and the caption strip below it.
    QTRY_COMPARE_WITH_TIMEOUT(QImage(picture).size(), screen + QSize(0, 20), 10000);
    const QImage saved(picture);
    QCOMPARE(saved.size(), screen + QSize(0, 20));
    QVERIFY2(colouredShare(saved, QRect(0, 0, saved.width(), screen.height())) > 0.3,
             qPrintable(QString::number(colouredShare(saved, QRect(QPoint(), screen)))));
    int yellow = 0;
    int black = 0;
    for (int y = screen.height(); y < saved.height(); ++y)
        for (int x = 0; x < saved.width(); ++x) {
            const QColor c = saved.pixelColor(x, y);
            yellow += isCaptionYellow(c);
            black += c == Qt::black;
        }
    QVERIFY(yellow > 50);
    QVERIFY(black > saved.width() * 20 * 8 / 10);
    QCOMPARE(QDir(desktop).entryList(QDir::Files), QStringList{"ScreenShot.bmp"});
    for (const QString& line : session.lines())
        QVERIFY2(!line.contains("could not"), qPrintable(line));
}

QTEST_MAIN(TestGuiCapture)
#include "test_gui_capture.moc"

// The capture chain through the main window on fakes: its stages and their timing, the
// curtain, the player around it, the destinations and what a failed step leaves behind.

#include "capture/capture_curtain.h"
#include "capture_rig.h"
#include "platform/shell/qt_screen_grabber.h"
#include "platform/shell/screen_grabber.h"
#include "playback/playback_engine.h"
#include "settings/settings_keys.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using Stage = CaptureChain::Stage;
Q_DECLARE_METATYPE(CaptureChain::Stage)

namespace {

const QDateTime SevenDecember(QDate(2026, 12, 7), QTime(9, 5, 7));

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The capture rig's bitmap has the caption strip below the grabbed picture and the mark.
bool isCaptioned(const QString& path, const QImage& grabbed)
{
    const QByteArray bytes = contentsOf(path);
    const QImage saved = QImage::fromData(bytes, "BMP");
    return !bytes.isEmpty() && bytes.back() == 'p' && saved.width() == grabbed.width() &&
           saved.height() == grabbed.height() + 20 &&
           saved.pixel(10, 10) == grabbed.pixel(10, 10) &&
           saved.pixel(10, saved.height() - 1) == qRgb(0, 0, 0);
}

QList<QTimer*> timersOf(Playerfrm& w)
{
    return {&w.Timer1, &w.Timer2, &w.Timer3};
}

// The timer each stage may have running (none while Timer1's step waits).
QTimer* timerOf(Playerfrm& w, Stage stage)
{
    switch (stage) {
    case Stage::Armed:
        return &w.Timer1;
    case Stage::Clicking:
        return &w.Timer2;
    case Stage::Saving:
        return &w.Timer3;
    default:
        return nullptr;
    }
}

int curtainsShown()
{
    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        shown += window->objectName() == "Capturefrm" && window->isVisible();
    return shown;
}

} // namespace

class TestCaptureChain : public QObject {
    Q_OBJECT
private slots:
    void stagesTimersAndPlayer();
    void curtainClosesOnRealClick();
    void destinations_data();
    void destinations();
    void twoCapturesInOneSecondKeepBoth();
    void grabGoesToTheDialogsPathCaptionToTheWindows();
    void failuresAreReportedAndPlaybackResumes_data();
    void failuresAreReportedAndPlaybackResumes();
    void onTopLeftAndNotRestored();
    void pressedFiveTimesRunsOneChain();
    void pausedBeforeCapturePlaysAfter();
    void nothingPlayingIsQuiet();
    void clipboardUntouched();
    void captions_data();
    void captions();
    void menuItemRunsTheSameCommand();
    void desktopPathAtStartUp_data();
    void desktopPathAtStartUp();
    void playerFrameFitsTheScreen_data();
    void playerFrameFitsTheScreen();
};

void TestCaptureChain::stagesTimersAndPlayer()
{
    CaptureRig rig;
    Playerfrm& w = rig.start();
    QCOMPARE(w.txtcopyrname, rig.desktop() + "/ScreenShot.bmp");

    QElapsedTimer clock;
    QList<QPair<Stage, qint64>> stages;
    connect(&rig.chain(), &CaptureChain::stageChanged, this, [&](Stage stage) {
        stages.append({stage, clock.elapsed()});
    });
    // Watches the timers all through the chain (the event loop's pace is bench_capture's).
    QStringList faults;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, this, [&] {
        int running = 0;
        for (QTimer* timer : timersOf(w))
            running += timer->isActive();
        QTimer* allowed = timerOf(w, rig.chain().stage());
        if (running > 1 || (running == 1 && !(allowed && allowed->isActive())))
            faults << QString("at %1 ms: %2 timers running").arg(clock.elapsed()).arg(running);
    });
    bool fullScreenAtGrab = false;
    bool curtainGoneAtGrab = false;
    rig.fake.grabber.onGrab = [&] {
        fullScreenAtGrab = rig.fake.player.DisplaySize() == MediaPlayer::FullScreen;
        curtainGoneAtGrab = !rig.chain().curtain() && curtainsShown() == 0;
    };

    rig.fake.player.calls.clear();
    clock.start();
    watch.start();
    QTest::mouseClick(w.cmdCapture, Qt::LeftButton);
    // The command itself: paused, full screen, the curtain over the whole screen.
    QCOMPARE(rig.fake.player.calls, (QStringList{"Pause", "DisplaySize=3"}));
    rig.fake.player.calls.clear();
    QCOMPARE(rig.chain().stage(), Stage::Armed);
    QVERIFY(w.Timer1.isActive() && !w.Timer2.isActive() && !w.Timer3.isActive());
    Capturefrm* curtain = rig.chain().curtain();
    QVERIFY(curtain && curtain->isVisible());
    QCOMPARE(curtain->geometry(), w.screen()->geometry());
    QVERIFY(curtain->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(curtain->windowType(), Qt::Tool); // no task bar entry

    QSignalSpy finished(&rig.chain(), &CaptureChain::finished);
    QVERIFY(finished.wait(5000));
    QTest::qWait(50); // a span after the end in which no timer may run
    watch.stop();

    QCOMPARE(faults, QStringList());
    QCOMPARE(stages.size(), 4);
    const QList<Stage> order{stages[0].first, stages[1].first, stages[2].first, stages[3].first};
    QCOMPARE(order, (QList<Stage>{Stage::Armed, Stage::Clicking, Stage::Saving, Stage::Idle}));
    // 100 ms to Timer1, its second, then 100 ms to each of the two other steps.
    const qint64 clicking = stages[1].second;
    const qint64 saving = stages[2].second - clicking;
    const qint64 idle = stages[3].second - stages[2].second;
    QVERIFY2(clicking >= 1095 && clicking <= 1400, qPrintable(QString::number(clicking)));
    QVERIFY2(saving >= 95 && saving <= 250, qPrintable(QString::number(saving)));
    QVERIFY2(idle >= 95 && idle <= 250, qPrintable(QString::number(idle)));

    QVERIFY(fullScreenAtGrab);
    QVERIFY(curtainGoneAtGrab);
    QCOMPARE(rig.fake.grabber.grabs, 1);
    rig.fake.player.calls.removeAll("SetFocus"); // the window hands the keyboard back
    QCOMPARE(rig.fake.player.calls, (QStringList{"DisplaySize=4", "Play"}));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    for (QTimer* timer : timersOf(w))
        QVERIFY(!timer->isActive());
    QVERIFY(isCaptioned(rig.desktop() + "/ScreenShot.bmp", rig.fake.grabber.picture));
    QCOMPARE(rig.filesWritten(), QStringList{"Desktop/ScreenShot.bmp"});
}

void TestCaptureChain::curtainClosesOnRealClick()
{
    CaptureRig rig;
    Playerfrm& w = rig.start();
    QVERIFY(rig.chain().Capture());
    QPointer<Capturefrm> curtain = rig.chain().curtain();
    QVERIFY(curtain);
    QVERIFY(QTest::qWaitForWindowExposed(curtain));
    QVERIFY(w.Timer1.isActive()); // its step is waiting
    QTest::mouseClick(curtain, Qt::LeftButton, {}, QPoint(200, 150));
    QTRY_VERIFY(!curtain);
    // The chain goes on as if its own click had closed it.
    QSignalSpy finished(&rig.chain(), &CaptureChain::finished);
    QVERIFY(finished.wait(3000));
    QCOMPARE(rig.fake.grabber.grabs, 1);
    QVERIFY(QFile::exists(w.txtcopyrname));
}

void TestCaptureChain::destinations_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("wallpaper");
    QTest::newRow("desktop") << SettingsKeys::Screenshot << "Desktop/ScreenShot.bmp" << false;
    QTest::newRow("wallpaper") << SettingsKeys::Wallpaper << "Windows/ScreenShot.bmp" << true;
    QTest::newRow("documents, time-stamped")
        << SettingsKeys::MyDocuments << "Documents/120726_9-5-7.bmp" << false;
}

void TestCaptureChain::destinations()
{
    QFETCH(QString, key);
    QFETCH(QString, file);
    QFETCH(bool, wallpaper);
    CaptureRig rig(qPrintable(key));
    Playerfrm& w = rig.start();
    rig.chain().setClock([] { return SevenDecember; });
    QVERIFY(rig.capture());
    // The wallpaper answers later.
    QTRY_COMPARE_WITH_TIMEOUT(w.engine().status(), QString("Playing Clip.mpg  ........"), 10000);

    // The bitmap is written to the dialog's path and captioned there, the main window's.
    const QString folder = file.section('/', 0, 0);
    QCOMPARE(w.txtcopyrname, rig.root.filePath(folder + "/ScreenShot.bmp"));
    QCOMPARE(rig.filesWritten(), QStringList{file});
    QVERIFY(isCaptioned(rig.root.filePath(file), rig.fake.grabber.picture));
    QCOMPARE(rig.fake.wallpaper.paths,
             wallpaper ? QStringList{rig.windowsDir() + "/ScreenShot.bmp"} : QStringList());
}

void TestCaptureChain::twoCapturesInOneSecondKeepBoth()
{
    CaptureRig rig(SettingsKeys::MyDocuments);
    rig.start();
    rig.chain().setClock([] { return SevenDecember; });
    QVERIFY(rig.capture());
    rig.fake.grabber.picture.fill(Qt::darkGreen);
    QVERIFY(rig.capture());
    QCOMPARE(rig.filesWritten(),
             (QStringList{"Documents/120726_9-5-7.bmp", "Documents/120726_9-5-7_2.bmp"}));
    // The later capture is in the new name, the earlier one untouched.
    QCOMPARE(QImage(rig.root.filePath("Documents/120726_9-5-7_2.bmp")).pixel(5, 5),
             QColor(Qt::darkGreen).rgb());
    QCOMPARE(QImage(rig.root.filePath("Documents/120726_9-5-7.bmp")).pixel(5, 5),
             qRgb(40, 90, 200));
}

void TestCaptureChain::grabGoesToTheDialogsPathCaptionToTheWindows()
{
    CaptureRig rig;
    Playerfrm& w = rig.start();
    QVERIFY(rig.capture()); // loads the settings dialog, hidden, with the desktop's path
    // The store changed behind the loaded dialog: the window follows it, the dialog does not.
    rig.fake.settings.values[SettingsKeys::Screenshot] = "0";
    rig.fake.settings.values[SettingsKeys::Wallpaper] = "1";
    rig.fake.grabber.picture.fill(Qt::darkGreen);
    QVERIFY(rig.capture());
    QCOMPARE(w.txtcopyrname, rig.windowsDir() + "/ScreenShot.bmp");
    const QImage grabbed(rig.desktop() + "/ScreenShot.bmp");
    QCOMPARE(grabbed.size(), QSize(640, 480)); // the new grab, not captioned
    QCOMPARE(grabbed.pixel(5, 5), QColor(Qt::darkGreen).rgb());
    QCOMPARE(rig.filesWritten(), QStringList{"Desktop/ScreenShot.bmp"});
    QTRY_COMPARE_WITH_TIMEOUT(w.engine().status(),
                              QString("The picture could not be made the wallpaper."), 10000);
    QCOMPARE(rig.fake.wallpaper.paths, QStringList()); // no picture to show
}

void TestCaptureChain::failuresAreReportedAndPlaybackResumes_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("missing desktop folder")
        << "missing desktop"
        << "The picture could not be saved in {root}/Gone" << QStringList();
    QTest::newRow("no desktop folder at all")
        << "no desktop"
        << "The picture could not be saved: there is no folder to save it in." << QStringList();
    QTest::newRow("no documents folder at all")
        << "no documents"
        << "The picture could not be saved: there is no folder to save it in." << QStringList();
    QTest::newRow("the file's name taken by a folder")
        << "folder in the way"
        << "The picture could not be saved in {root}/Desktop" << QStringList();
    QTest::newRow("the screen gives no picture")
        << "no picture"
        << "The screen could not be captured." << QStringList();
    QTest::newRow("no method sets the wallpaper")
        << "wallpaper refused"
        << "The picture could not be made the wallpaper." << QStringList{"Windows/ScreenShot.bmp"};
}

void TestCaptureChain::failuresAreReportedAndPlaybackResumes()
{
    QFETCH(QString, fault);
    QFETCH(QString, status);
    QFETCH(QStringList, files);
    const char* key = fault == "no documents"        ? SettingsKeys::MyDocuments
                      : fault == "wallpaper refused" ? SettingsKeys::Wallpaper
                                                     : SettingsKeys::Screenshot;
    CaptureRig rig(key);
    if (fault == "missing desktop")
        rig.fake.folders.desktop = rig.root.filePath("Gone");
    if (fault == "no desktop")
        rig.fake.folders.desktop.clear();
    if (fault == "no documents")
        rig.fake.folders.documents.clear();
    if (fault == "folder in the way")
        QVERIFY(QDir(rig.desktop()).mkdir("ScreenShot.bmp"));
    if (fault == "no picture")
        rig.fake.grabber.picture = QImage();
    if (fault == "wallpaper refused")
        rig.fake.wallpaper.succeeds = false;
    Playerfrm& w = rig.start();

    QVERIFY(rig.capture());
    QTRY_COMPARE_WITH_TIMEOUT(w.engine().status(),
                              QString(status).replace("{root}", rig.root.path()), 10000);
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::FitToSize));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QCOMPARE(rig.chain().stage(), Stage::Idle);
    files.sort();
    QCOMPARE(rig.filesWritten(), files);
    // Nothing lands in the root folder or the working folder instead.
    QVERIFY(!QFile::exists("/ScreenShot.bmp") && !QFile::exists("ScreenShot.bmp"));
    // A later capture runs as usual.
    QVERIFY(rig.capture());
}

void TestCaptureChain::onTopLeftAndNotRestored()
{
    CaptureRig rig;
    Playerfrm& w = rig.start();
    QTest::mouseClick(w.cmdOnTop, Qt::LeftButton);
    QCOMPARE(w.cmdOnTop->property("tag").toString(), QString("1"));
    QVERIFY(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(rig.chain().Capture());
    QCOMPARE(w.cmdOnTop->property("tag").toString(), QString("0")); // before anything else
    QSignalSpy finished(&rig.chain(), &CaptureChain::finished);
    QVERIFY(finished.wait(3000));
    QCOMPARE(w.cmdOnTop->property("tag").toString(), QString("0"));
    QVERIFY(!w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestCaptureChain::pressedFiveTimesRunsOneChain()
{
    CaptureRig rig;
    Playerfrm& w = rig.start();
    QSignalSpy stages(&rig.chain(), &CaptureChain::stageChanged);
    QSignalSpy finished(&rig.chain(), &CaptureChain::finished);
    int mostCurtains = 0;
    for (int press = 0; press < 5; ++press) {
        QTest::mouseClick(w.cmdCapture, Qt::LeftButton);
        mostCurtains = qMax(mostCurtains, curtainsShown());
        QTest::qWait(60); // the user's pace between two presses
    }
    w.mnucapturescreen->trigger();
    QVERIFY(finished.wait(3000));
    QTest::qWait(300); // a span in which no second chain may end
    QCOMPARE(finished.size(), 1);
    QCOMPARE(stages.size(), 4);
    QCOMPARE(mostCurtains, 1);
    QCOMPARE(rig.fake.grabber.grabs, 1);
    QCOMPARE(rig.fake.player.calls.count("Pause"), 1);
}

void TestCaptureChain::pausedBeforeCapturePlaysAfter()
{
    CaptureRig rig;
    rig.start();
    rig.fake.player.Pause();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Paused));
    QVERIFY(rig.capture());
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::FitToSize));
}

void TestCaptureChain::nothingPlayingIsQuiet()
{
    CaptureRig rig;
    Playerfrm& w = rig.fake.load();
    rig.fake.player.calls.clear();
    const QString status = w.engine().status();
    QVERIFY(!w.cmdCapture->isEnabled() && !w.mnucapturescreen->isEnabled());
    QTest::mouseClick(w.cmdCapture, Qt::LeftButton);
    QVERIFY(!rig.chain().Capture()); // even when asked directly
    QTest::qWait(1500); // a span longer than a chain's steps, in which nothing may start
    QCOMPARE(rig.chain().stage(), Stage::Idle);
    QCOMPARE(curtainsShown(), 0);
    QCOMPARE(rig.fake.player.calls, QStringList());
    QCOMPARE(rig.fake.grabber.grabs, 0);
    QCOMPARE(w.engine().status(), status);
    QCOMPARE(rig.filesWritten(), QStringList());
}

void TestCaptureChain::clipboardUntouched()
{
    CaptureRig rig(SettingsKeys::MyDocuments);
    rig.start();
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* mine = new QMimeData;
    mine->setText("the user's own text");
    mine->setData("application/x-own", "bytes");
    clipboard->setMimeData(mine);
    QVERIFY(rig.capture());
    const QMimeData* after = clipboard->mimeData();
    QVERIFY(after);
    QCOMPARE(after->text(), QString("the user's own text"));
    QCOMPARE(after->data("application/x-own"), QByteArray("bytes"));
    QVERIFY(!after->hasImage());
}

void TestCaptureChain::captions_data()
{
    QTest::addColumn<QString>("caption");
    const QString scripts = QString::fromUtf8("العربية 中文字符 😀🎤 हिन्दी עברית ภาษาไทย ");
    QString every;
    while (every.size() < 95)
        every += scripts;
    QTest::newRow("95 characters of every script") << every.left(95);
    QTest::newRow("line breaks") << "first line\nsecond line\r\nthird line";
    QTest::newRow("empty") << "";
}

void TestCaptureChain::captions()
{
    QFETCH(QString, caption);
    CaptureRig rig;
    rig.fake.settings.values[SettingsKeys::Pictextcopy] = caption;
    Playerfrm& w = rig.start();
    rig.fake.settings.values[SettingsKeys::Pictextcopy] = caption; // seeding kept none empty
    QVERIFY(rig.capture());
    QVERIFY(isCaptioned(w.txtcopyrname, rig.fake.grabber.picture));
}

void TestCaptureChain::menuItemRunsTheSameCommand()
{
    CaptureRig rig;
    Playerfrm& w = rig.start();
    QVERIFY(w.mnucapturescreen->isEnabled());
    QSignalSpy finished(&rig.chain(), &CaptureChain::finished);
    w.mnucapturescreen->trigger();
    QCOMPARE(rig.chain().stage(), Stage::Armed);
    QVERIFY(finished.wait(3000));
    QVERIFY(QFile::exists(rig.desktop() + "/ScreenShot.bmp"));
}

void TestCaptureChain::desktopPathAtStartUp_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("path");
    QTest::newRow("desktop folder") << "/home/u/Desktop"
                                    << "/home/u/Desktop/ScreenShot.bmp";
    QTest::newRow("none found: no path, not one in the root folder") << ""
                                                                     << "";
}

void TestCaptureChain::desktopPathAtStartUp()
{
    QFETCH(QString, desktop);
    QFETCH(QString, path);
    FakeRig rig;
    rig.folders.desktop = desktop;
    QCOMPARE(rig.load().txtcopyrname, path);
}

void TestCaptureChain::playerFrameFitsTheScreen_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("picture");
    QTest::newRow("4:3 on 16:10: bars left and right")
        << QSize(352, 264) << QSize(1280, 800) << QRect(107, 0, 1067, 800);
    QTest::newRow("wide on 4:3: bars above and below")
        << QSize(640, 272) << QSize(1024, 768) << QRect(0, 166, 1024, 435);
    QTest::newRow("same shape: the whole screen")
        << QSize(320, 200) << QSize(1280, 800) << QRect(0, 0, 1280, 800);
    QTest::newRow("no frame: no picture") << QSize() << QSize(1280, 800) << QRect();
}

void TestCaptureChain::playerFrameFitsTheScreen()
{
    QFETCH(QSize, frame);
    QFETCH(QSize, screen);
    QFETCH(QRect, picture);
    QImage video;
    if (frame.isValid()) {
        video = QImage(frame, QImage::Format_RGB32);
        video.fill(Qt::white);
    }
    const QImage fitted = QtScreenGrabber::fitToScreen(video, screen);
    if (picture.isNull()) {
        QVERIFY(fitted.isNull());
        return;
    }
    QCOMPARE(fitted.size(), screen);
    // White where the picture is, black around it.
    QRect white;
    for (int y = 0; y < fitted.height(); ++y)
        for (int x = 0; x < fitted.width(); x += 1)
            if (qGray(fitted.pixel(x, y)) > 128)
                white |= QRect(x, y, 1, 1);
    QVERIFY2(qAbs(white.left() - picture.left()) <= 1 && qAbs(white.top() - picture.top()) <= 1 &&
                 qAbs(white.width() - picture.width()) <= 2 &&
                 qAbs(white.height() - picture.height()) <= 2,
             qPrintable(QString("%1,%2 %3x%4")
                            .arg(white.left())
                            .arg(white.top())
                            .arg(white.width())
                            .arg(white.height())));
}

QTEST_MAIN(TestCaptureChain)
#include "test_capture_chain.moc"

#include "app/popup_menu.h"
#include "app/singer_screen.h"
#include "fake_platform.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>

namespace {

QScreen* screenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// The main window shown on the host's screen, the first of the three.
Playerfrm& shownOnHost(FakeRig& rig)
{
    Playerfrm& w = rig.window();
    w.move(screenNamed("HOST")->geometry().topLeft() + QPoint(20, 20));
    w.show();
    return w;
}

} // namespace

// The singer screen on the offscreen platform's three screens (HOST, TV, WALL; see main()):
// which screen it takes, the menu item, Esc, and a screen taken away.
class TestSingerScreen : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void opensOnTheChosenScreen_data();
    void opensOnTheChosenScreen();
    void itemOpensAndClosesIt();
    void escClosesIt();
    void ctrlTOpensAndClosesIt();
    void anotherKeyGoesToTheMainWindow();
    void removingItsScreenBringsThePictureBack();
    void removingAnotherScreenLeavesItOpen();
    void aScreenChosenOnItIsRemembered();
};

void TestSingerScreen::choice_data()
{
    QTest::addColumn<QStringList>("screens");
    QTest::addColumn<QString>("mainScreen");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<int>("expected");
    const QStringList two{"eDP-1", "HDMI-1"};
    QTest::newRow("none") << QStringList() << QString() << QString() << -1;
    QTest::newRow("one: that one") << QStringList{"eDP-1"} << "eDP-1" << QString() << 0;
    QTest::newRow("one, another remembered") << QStringList{"eDP-1"} << "eDP-1"
                                             << "HDMI-1" << 0;
    QTest::newRow("two: the other") << two << "eDP-1" << QString() << 1;
    QTest::newRow("two, main second: the first") << two << "HDMI-1" << QString() << 0;
    QTest::newRow("remembered is gone: the other") << two << "eDP-1"
                                                   << "DP-2" << 1;
    QTest::newRow("remembered is the main's: the other") << two << "HDMI-1"
                                                         << "HDMI-1" << 0;
    const QStringList three{"eDP-1", "HDMI-1", "DP-2"};
    QTest::newRow("three, remembered") << three << "eDP-1"
                                       << "DP-2" << 2;
    QTest::newRow("three, none remembered: first other") << three << "eDP-1" << QString() << 1;
    QTest::newRow("main unknown: the first") << two << QString() << QString() << 0;
}

void TestSingerScreen::choice()
{
    QFETCH(QStringList, screens);
    QFETCH(QString, mainScreen);
    QFETCH(QString, remembered);
    QFETCH(int, expected);
    QCOMPARE(SingerScreenChoice::choose(screens, mainScreen, remembered), expected);
}

void TestSingerScreen::opensOnTheChosenScreen_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing remembered") << QString() << "TV";
    QTest::newRow("remembered") << "WALL"
                                << "WALL";
    QTest::newRow("remembered one unplugged") << "GONE"
                                              << "TV";
}

void TestSingerScreen::opensOnTheChosenScreen()
{
    QFETCH(QString, remembered);
    QFETCH(QString, expected);
    FakeRig rig;
    if (!remembered.isEmpty())
        rig.singerSettings.values["Screen"] = remembered;
    Playerfrm& w = shownOnHost(rig);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    SingerScreen& singer = w.singerScreen();
    singer.open();
    QVERIFY(singer.isOpen());
    QCOMPARE(singer.window()->screen()->name(), expected);
    QVERIFY(QTest::qWaitForWindowExposed(singer.window()));
    QTRY_COMPARE(singer.window()->geometry(), screenNamed(expected)->geometry());
    QVERIFY(singer.window()->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(rig.player.pictureElsewhere.data(), singer.window());
    QCOMPARE(w.screen()->name(), QString("HOST"));
    // Opening remembers nothing: only a screen the user chooses is kept.
    QVERIFY(rig.singerSettings.saves.isEmpty());
}

void TestSingerScreen::itemOpensAndClosesIt()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    rig.player.setDisplaySize(MediaPlayer::FullScreen);
    QAction* item = w.menu().mnuSingerScreen;
    QCOMPARE(item->objectName(), QString("mnuSingerScreen"));
    QVERIFY(item->isCheckable());
    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(w.singerScreen().isOpen());
    QVERIFY(rig.player.pictureElsewhere);
    // The main window left full screen: the host keeps its controls.
    QCOMPARE(rig.player.DisplaySize(), MediaPlayer::FitToSize);
    QPointer<SingerWindow> window = w.singerScreen().window();
    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(!w.singerScreen().isOpen());
    QVERIFY(!rig.player.pictureElsewhere);
    QTRY_VERIFY(!window);
}

void TestSingerScreen::escClosesIt()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    w.menu().mnuSingerScreen->trigger();
    QTest::keyClick(w.singerScreen().window(), Qt::Key_Escape);
    QVERIFY(!w.singerScreen().isOpen());
    QVERIFY(!w.menu().mnuSingerScreen->isChecked());
    QVERIFY(!rig.player.pictureElsewhere);
    // Opened again, it works as the first time.
    w.menu().mnuSingerScreen->trigger();
    QVERIFY(w.singerScreen().isOpen());
    QVERIFY(rig.player.pictureElsewhere);
}

void TestSingerScreen::ctrlTOpensAndClosesIt()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(w.singerScreen().isOpen());
    SingerWindow* window = w.singerScreen().window();
    // The host keeps the keyboard; a desktop may give it to the new window all the same.
    QVERIFY(w.isActiveWindow());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // On the singer window too: it takes the main window's shortcuts.
    QTest::keyClick(window, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!w.singerScreen().isOpen());
    QVERIFY(!rig.player.pictureElsewhere);
}

void TestSingerScreen::anotherKeyGoesToTheMainWindow()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    w.menu().mnuSingerScreen->trigger();
    // Watches the keys reaching the main window, before its own keyboard takes them.
    struct Seen : QObject {
        QWidget* window = nullptr;
        QList<int> keys;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->window() == window)
                keys << static_cast<QKeyEvent*>(event)->key();
            return false;
        }
    } seen;
    seen.window = &w;
    qApp->installEventFilter(&seen);
    QTest::keyClick(w.singerScreen().window(), Qt::Key_2);
    qApp->removeEventFilter(&seen);
    QCOMPARE(seen.keys, QList<int>{Qt::Key_2});
    QVERIFY(w.singerScreen().isOpen());
    // The window's shortcuts are its shortcuts too.
    QCOMPARE(w.singerScreen().window()->actions(), w.actions());
}

void TestSingerScreen::removingItsScreenBringsThePictureBack()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    w.menu().mnuSingerScreen->trigger();
    QScreen* tv = w.singerScreen().screen();
    QVERIFY(tv);
    // What Qt tells when the screen is unplugged.
    emit qApp->screenRemoved(tv);
    QVERIFY(!w.singerScreen().isOpen());
    QVERIFY(!w.menu().mnuSingerScreen->isChecked());
    QVERIFY(!rig.player.pictureElsewhere);
    // Quietly: no window of the player's but the main one.
    const auto shown = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::count_if(windows.begin(), windows.end(),
                             [](const QWidget* window) { return window->isVisible(); });
    };
    QTRY_COMPARE(shown(), 1);
}

void TestSingerScreen::removingAnotherScreenLeavesItOpen()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    w.menu().mnuSingerScreen->trigger();
    emit qApp->screenRemoved(screenNamed("WALL"));
    QVERIFY(w.singerScreen().isOpen());
    QVERIFY(rig.player.pictureElsewhere);
}

void TestSingerScreen::aScreenChosenOnItIsRemembered()
{
    FakeRig rig;
    Playerfrm& w = shownOnHost(rig);
    w.menu().mnuSingerScreen->trigger();
    emit w.singerScreen().window()->screenChosen(screenNamed("WALL"));
    QCOMPARE(w.singerScreen().screen()->name(), QString("WALL"));
    QTRY_COMPARE(w.singerScreen().window()->geometry(), screenNamed("WALL")->geometry());
    QCOMPARE(rig.singerSettings.values.value("Screen"), QString("WALL"));
    QCOMPARE(rig.player.pictureElsewhere.data(), w.singerScreen().window());
}

// Three screens side by side, from the offscreen platform's configuration file (which lists
// them to Qt by name: HOST, TV, WALL).
int main(int argc, char* argv[])
{
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [
        {"name": "HOST", "x": 0, "y": 0, "width": 1024, "height": 768},
        {"name": "TV", "x": 1024, "y": 0, "width": 1280, "height": 720},
        {"name": "WALL", "x": 2304, "y": 0, "width": 800, "height": 600}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toUtf8());
    QApplication app(argc, argv);
    TestSingerScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_singer_screen.moc"

#include "app/popup_menu.h"
#include "app/window_modes.h"
#include "fake_platform.h"
#include "playback/playback_engine.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
// The menu tree as "level caption [off] [checked]" lines, separators as "-".
QStringList describe(const QMenu* menu, int level = 1)
{
    QStringList lines;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            lines << QStringLiteral("%1 -").arg(level);
            continue;
        }
        QString line = QStringLiteral("%1 %2").arg(level).arg(action->text());
        if (!action->isEnabled())
            line += " [off]";
        if (action->isChecked())
            line += " [checked]";
        lines << line;
        if (action->menu())
            lines << describe(action->menu(), level + 1);
    }
    return lines;
}
} // namespace

class TestWindowModes : public QObject {
    Q_OBJECT
private slots:
    void menuTree();
    void menuItemsHaveTheirNames();
    void onTopTwiceReturnsToNormal();
    void fullScreenLeavesOnTopFirst();
    void altLeavesOnTopOnlyWhenOnTop();
    void audioChannelSetsBalanceAndMovesCheck();
    void menuButtonLeavesOnTopAndShowsMenu();
    void exitAndCancelItems();
};

void TestWindowModes::menuTree()
{
    FakeRig rig;
    const QStringList expected{
        "1 VCD",
        "2 Open Video CD  (Auto detect)",
        "2 Open  (Browse)",
        "2 Retrieve  Bookmark [off]",
        "2 Add  Bookmark [off]",
        "2 Clear Bookmark [off]",
        "2 -",
        "2 Next Track [off]",
        "2 Play [off]",
        "2 Pause [off]",
        "2 Stop",
        "2 -",
        "2 Capture Screen [off]",
        "2 -",
        "2 Playback Control",
        "2 Next Song",
        "2 Previous Song",
        "1 -",
        "1 About this program",
        "1 -",
        "1 Open CD Tray",
        "1 Setting",
        "1 Song Queue",
        "1 Singer Screen",
        "1 -",
        "1 Audio Channel",
        "2 First",
        "2 Second",
        "2 Both [checked]",
        "1 Karaoke",
        "2 Key up",
        "2 Key down",
        "2 Original key [off]",
        "2 -",
        "2 Tempo faster",
        "2 Tempo slower",
        "2 Normal tempo [off]",
        "2 -",
        "2 Voice cancel",
        "1 -",
        "1 Help",
        "1 -",
        "1 Exit",
        "1 -",
        "1 Cancel",
        "1 -",
    };
    QCOMPARE(describe(rig.window().menu().mnuPopup), expected);
}

void TestWindowModes::menuItemsHaveTheirNames()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    for (const char* name :
         {"mnuOpenVCD",   "mnuOpenall", "mnuvcdbookmark", "mnuaddbookmark", "MnuClearbookmark",
          "mnunexttrack", "mnuplay",    "mnupause",       "mnustop",        "mnucapturescreen",
          "mnuprogram",   "mnutray",    "mnuSetting",     "mnuSongQueue",   "mnuSingerScreen",
          "mnuFirst",     "mnuSecond",  "mnuBoth",        "mnuhelp",        "mnuExit",
          "mnuCancel"})
        QVERIFY2(w.findChild<QAction*>(name), name);
}

void TestWindowModes::onTopTwiceReturnsToNormal()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.cmdOnTop->click();
    QCOMPARE(w.cmdOnTop->property("tag").toString(), QString("1"));
    QVERIFY(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(w.cmdOnTop->text(), QString("On Top"));
    QCOMPARE(rig.player.calls.last(), QString("SetFocus"));
    w.cmdOnTop->click();
    QCOMPARE(w.cmdOnTop->property("tag").toString(), QString("0"));
    QVERIFY(!w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
}

void TestWindowModes::fullScreenLeavesOnTopFirst()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.modes().OnTopToggle();
    rig.player.calls.clear();
    w.cmdFullscreen->click();
    QVERIFY(!w.modes().isOnTop());
    QCOMPARE(rig.player.DisplaySize(), int(MediaPlayer::FullScreen));
    QVERIFY(rig.player.ShowControls());
    QVERIFY(rig.player.fullScreenControlsEnabled());
    QCOMPARE(rig.player.calls.last(), QString("DisplaySize=3"));
}

void TestWindowModes::altLeavesOnTopOnlyWhenOnTop()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(rig.player.videoWidget(), Qt::Key_X, Qt::AltModifier);
    QVERIFY(!w.modes().isOnTop()); // nothing to leave
    w.modes().OnTopToggle();
    QTest::keyPress(rig.player.videoWidget(), Qt::Key_Alt, Qt::AltModifier);
    QVERIFY(!w.modes().isOnTop());
}

void TestWindowModes::audioChannelSetsBalanceAndMovesCheck()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    PopupMenu& menu = w.menu();
    menu.mnuSecond->trigger();
    QCOMPARE(rig.player.Balance(), 10000);
    QVERIFY(menu.mnuSecond->isChecked());
    QVERIFY(!menu.mnuBoth->isChecked() && !menu.mnuFirst->isChecked());
    menu.mnuFirst->trigger();
    QCOMPARE(rig.player.Balance(), -10000);
    menu.mnuBoth->trigger();
    QCOMPARE(rig.player.Balance(), 0);
    QVERIFY(rig.player.openedFiles.isEmpty()); // nothing is reloaded
}

void TestWindowModes::menuButtonLeavesOnTopAndShowsMenu()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.modes().OnTopToggle();
    bool shown = false;
    QTimer::singleShot(50, [&] {
        shown = w.menu().mnuPopup->isVisible();
        w.menu().mnuCancel->trigger();
        w.menu().mnuPopup->close();
    });
    w.cmdMenu->click();
    QVERIFY(shown);
    QVERIFY(!w.modes().isOnTop());
    QCOMPARE(rig.player.calls.last(), QString("SetFocus"));
}

void TestWindowModes::exitAndCancelItems()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.menu().mnuCancel->trigger();
    QVERIFY(rig.exitCodes.isEmpty());
    w.menu().mnuExit->trigger();
    QCOMPARE(rig.exitCodes, QList<int>{0});
}

QTEST_MAIN(TestWindowModes)
#include "test_window_modes.moc"

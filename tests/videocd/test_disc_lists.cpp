#include "fake_platform.h"
#include "platform/disc/disc_control.h"
#include "playback/playback_engine.h"
#include "videocd/disc_lists.h"
#include "videocd/track_panel.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace VideoCdControl;

// The disc's own lists followed on the main window: the fake player records what the lists
// ask it to open, and the fake disc control hands out lists built here.
class TestDiscLists : public QObject {
    Q_OBJECT
private slots:
    void inputsInTheMenu_data();
    void inputsInTheMenu();
    void stillHeldForItsWaitThenTheNextItem();
    void playListEndsAtTheEndList();
    void digitsAddUpForTwoDigitNumbers();
    void oneDigitIsTakenAfterThePause();
    void menuOffersItsNumbersOnTheTrackButtons();
    void entryPlaysItsTrackFromTheSongStart();
    void returnGoesBackToTheMenu();
    void somethingElsePlayedLeavesTheLists();
    void discWithoutListsOrUncheckedPlaysTrackOne_data();
    void discWithoutListsOrUncheckedPlaysTrackOne();
    void itemRemembered();
};

namespace {

const QString Track1 = QStringLiteral("SR0:\\Mpegav\\AVSEQ01.DAT");
const QString Track2 = QStringLiteral("SR0:\\Mpegav\\AVSEQ02.DAT");
const QString Menu = QStringLiteral("SR0:\\SEGMENT\\ITEM0001.DAT");
const QString Picture = QStringLiteral("SR0:\\SEGMENT\\ITEM0002.DAT");

Link to(std::uint16_t offset)
{
    return Link{offset, 0};
}

PsdList playList(std::uint16_t offset, std::vector<int> items, std::uint8_t wait = 0)
{
    PsdList list;
    list.kind = ListKind::Play;
    list.offset = offset;
    list.listId = offset + 1;
    list.lotId = offset + 1;
    list.complete = true;
    list.items = std::move(items);
    list.waitTime = wait;
    list.next = to(3);
    list.back = to(0);
    return list;
}

// List 1: a menu over the still segment 1, "1" playing track 1 (list 2), "2" the still
// segment 2 held 1 s and then track 2 (list 3), list 4 the end; `selections` more numbers
// than two all lead to list 2.
VideoCdControlFiles menuDisc(int selections = 2)
{
    PsdList menu;
    menu.kind = ListKind::Selection;
    menu.offset = 0;
    menu.listId = menu.lotId = 1;
    menu.complete = true;
    menu.baseNumber = 1;
    menu.selectionCount = selections;
    menu.selections = {to(1), to(2)};
    while (int(menu.selections.size()) < selections)
        menu.selections.push_back(to(1));
    menu.defaultLink = to(1);
    menu.timeoutLink = to(3);
    menu.timeout = 255; // for ever
    menu.loopCount = 1;
    menu.item = 1000;
    menu.next = to(3);
    PsdList end;
    end.kind = ListKind::End;
    end.offset = 3;
    end.listId = end.lotId = 4;
    end.complete = true;

    VideoCdControlFiles files;
    files.psd.lists = {menu, playList(1, {2}), playList(2, {1001, 3}, 1), end};
    files.info = Info{};
    files.info->segments = {Segment{0, 1, false, 0}, Segment{0, 1, false, 0}};
    files.entries = Entries{};
    files.entries->entries = {Entry{2, {}, true}, Entry{2, {}, true}, Entry{3, {}, true}};
    return files;
}

struct MenuRig {
    explicit MenuRig(VideoCdControlFiles files = menuDisc(), bool checked = true)
    {
        rig.drives.add("sr0");
        rig.folderLister.discFolders["SR0:\\Mpegav"] = {"AVSEQ01.DAT", "AVSEQ02.DAT"};
        rig.discControl.discs["SR0"] = std::move(files);
        if (checked)
            rig.listSettings.values["Enabled"] = "1";
        rig.load();
    }
    Playerfrm& window() { return rig.window(); }
    DiscLists& lists() { return rig.window().discLists(); }
    QString opened() const
    {
        return rig.player.openedFiles.value(rig.player.openedFiles.size() - 1);
    }
    QString label() { return rig.window().trackPanel().lblTrack_Display->text(); }
    void type(const QString& keys)
    {
        for (QChar c : keys)
            lists().typed(c);
        rig.settle();
    }
    // The medium playing reaches its end.
    void finish()
    {
        rig.player.finishMedium();
        rig.settle();
    }
    FakeRig rig;
};

} // namespace

void TestDiscLists::inputsInTheMenu_data()
{
    QTest::addColumn<QString>("input"); // typed characters, or "button N", "next", "enter"
    QTest::addColumn<QString>("plays");
    QTest::addColumn<QString>("label");

    QTest::newRow("number 1") << "1" << Track1 << "01 of 2";
    QTest::newRow("number 2: a still") << "2" << Picture << "Still";
    QTest::newRow("number 3 names nothing") << "3" << Menu << "Menu";
    QTest::newRow("number 0 names nothing") << "0" << Menu << "Menu";
    QTest::newRow("Enter: the default") << "\r" << Track1 << "01 of 2";
    QTest::newRow("track button 2") << "button 2" << Picture << "Still";
    QTest::newRow("track button 9 names nothing") << "button 9" << Menu << "Menu";
    QTest::newRow("Next: the end list") << "next" << Menu << "00 of 0";
    QTest::newRow("letters do nothing") << "xyz" << Menu << "Menu";
}

void TestDiscLists::inputsInTheMenu()
{
    QFETCH(QString, input);
    QFETCH(QString, plays);
    QFETCH(QString, label);
    MenuRig menu;
    QCOMPARE(menu.opened(), Menu);
    QCOMPARE(menu.label(), QString("Menu"));
    const int opened = menu.rig.player.openedFiles.size();
    if (input.startsWith("button ")) {
        const int number = input.mid(7).toInt();
        menu.window().trackPanel().Songcmd[number - 1]->setEnabled(true);
        menu.window().trackPanel().Songcmd[number - 1]->click();
        menu.rig.settle();
    } else if (input == "next") {
        menu.lists().next();
        menu.rig.settle();
    } else {
        menu.type(input);
    }
    QCOMPARE(menu.opened(), plays);
    QCOMPARE(menu.rig.player.openedFiles.size() > opened, plays != Menu);
    if (label == "00 of 0") // the end list stopped everything
        QVERIFY(!menu.lists().active());
    else
        QCOMPARE(menu.label(), label);
}

void TestDiscLists::stillHeldForItsWaitThenTheNextItem()
{
    MenuRig menu;
    menu.type("2"); // the still is on screen once it plays: it is held for the list's wait
    QCOMPARE(menu.opened(), Picture);
    QCOMPARE(menu.label(), QString("Still"));
    QVERIFY(menu.rig.player.calls.contains("holdLastPicture 1"));
    QTRY_COMPARE_WITH_TIMEOUT(menu.opened(), Track2, 5000);
    menu.rig.settle();
    QCOMPARE(menu.label(), QString("02 of 2"));
}

void TestDiscLists::playListEndsAtTheEndList()
{
    MenuRig menu;
    menu.type("1");
    QCOMPARE(menu.opened(), Track1);
    menu.finish();
    QVERIFY(!menu.lists().active());
    QCOMPARE(menu.rig.player.PlayState(), MediaPlayer::Stopped);
    QCOMPARE(menu.opened(), Track1); // the play order did not go on to track 2
}

void TestDiscLists::digitsAddUpForTwoDigitNumbers()
{
    MenuRig menu(menuDisc(12));
    menu.type("1");
    QCOMPARE(menu.opened(), Menu); // 1 could still become 10, 11 or 12
    menu.type("2");
    QCOMPARE(menu.opened(), Track1); // 12: list 2
}

void TestDiscLists::oneDigitIsTakenAfterThePause()
{
    MenuRig menu(menuDisc(12));
    menu.type("1"); // 1, once no second digit comes (10, 11 and 12 could follow)
    QCOMPARE(menu.opened(), Menu);
    QTRY_COMPARE_WITH_TIMEOUT(menu.opened(), Track1, DiscLists::DigitMilliseconds * 3);
}

void TestDiscLists::menuOffersItsNumbersOnTheTrackButtons()
{
    MenuRig menu(menuDisc(12)); // two tracks, twelve numbers
    const QList<QPushButton*>& buttons = menu.window().trackPanel().Songcmd;
    QVERIFY(buttons[11]->isEnabled());
    QVERIFY(!buttons[12]->isEnabled());
    QCOMPARE(menu.window().engine().status(), QString("Menu: type 1 to 12"));
    buttons[11]->click(); // 12: list 2, track 1
    menu.rig.settle();
    QCOMPARE(menu.opened(), Track1);
    // Out of the menu the buttons are the tracks' again.
    QVERIFY(buttons[1]->isEnabled());
    QVERIFY(!buttons[2]->isEnabled());
    QVERIFY(!buttons[11]->isEnabled());
}

void TestDiscLists::entryPlaysItsTrackFromTheSongStart()
{
    VideoCdControlFiles files = menuDisc();
    files.psd.lists[1].items = {101}; // entry 2: the second song of track 1
    MenuRig menu(std::move(files));
    menu.rig.songStarts.starts[Track1] = {0.0, 3.0, 6.0};
    menu.type("1");
    QCOMPARE(menu.opened(), Track1);
    QCOMPARE(menu.rig.player.CurrentPosition(), 3.0);
}

void TestDiscLists::returnGoesBackToTheMenu()
{
    MenuRig menu;
    menu.type("1");
    QCOMPARE(menu.opened(), Track1);
    QVERIFY(menu.lists().returnChosen());
    menu.rig.settle();
    QCOMPARE(menu.opened(), Menu);
    QCOMPARE(menu.label(), QString("Menu"));
}

void TestDiscLists::somethingElsePlayedLeavesTheLists()
{
    MenuRig menu;
    menu.type("1");
    // Outside a menu a track button plays its track as always, and the play order goes on.
    menu.window().trackPanel().Songcmd[1]->click();
    menu.rig.settle();
    QCOMPARE(menu.opened(), Track2);
    QVERIFY(!menu.lists().active());
    QCOMPARE(menu.label(), QString("02 of 2"));

    MenuRig stopped;
    stopped.window().engine().StopCommand();
    QVERIFY(!stopped.lists().active());
}

void TestDiscLists::discWithoutListsOrUncheckedPlaysTrackOne_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("withLists");
    QTest::addColumn<bool>("leadsNowhere");
    QTest::newRow("unchecked") << false << true << false;
    QTest::newRow("no lists") << true << false << false;
    QTest::newRow("first list leads nowhere") << true << true << true;
    QTest::newRow("first list a menu with nothing to show") << true << true << false;
}

void TestDiscLists::discWithoutListsOrUncheckedPlaysTrackOne()
{
    QFETCH(bool, checked);
    QFETCH(bool, withLists);
    QFETCH(bool, leadsNowhere);
    VideoCdControlFiles files = withLists ? menuDisc() : VideoCdControlFiles{};
    if (withLists && !leadsNowhere && checked) {
        // A menu cut short: no picture, no numbers, nothing to wait for but for ever.
        files.psd.lists[0].item = 0;
        files.psd.lists[0].selections.clear();
    }
    if (leadsNowhere) {
        // An empty play list whose next is itself, and nothing else.
        PsdList loop = playList(0, {});
        loop.listId = loop.lotId = 1;
        loop.next = to(0);
        files.psd.lists = {loop};
    }
    MenuRig menu(std::move(files), checked);
    QCOMPARE(menu.rig.player.openedFiles, QStringList{Track1});
    QVERIFY(!menu.lists().active());
    QCOMPARE(menu.label(), QString("01 of 2"));
    // Unchecked, the control files are not even read.
    QCOMPARE(menu.rig.discControl.asked.isEmpty(), !checked);
}

void TestDiscLists::itemRemembered()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    QAction* item = w.discLists().mnuPlaybackControl;
    QCOMPARE(item->text(), QString("Playback Control"));
    QVERIFY(item->isCheckable());
    QVERIFY(!item->isChecked());
    item->setChecked(true);
    QCOMPARE(rig.listSettings.values.value("Enabled"), QString("1"));
    item->setChecked(false);
    QCOMPARE(rig.listSettings.values.value("Enabled"), QString("0"));
    // The "Settings" section is left alone.
    QVERIFY(!rig.settings.values.contains("Enabled"));
}

QTEST_MAIN(TestDiscLists)
#include "test_disc_lists.moc"

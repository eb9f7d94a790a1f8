// Every command from the keyboard, on the main window built with fakes: the keys that type no
// character run their commands wherever the focus is, Tab walks the controls and Space presses
// the one that has the focus, the dialogs close with Esc, and the typed-character rule stays
// as it was.

#include "about/about_window.h"
#include "about/help_window.h"
#include "about/key_guide.h"
#include "app/popup_menu.h"
#include "bookmarks/bookmark.h"
#include "capture/settings_dialog.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "media_files/folder_chooser.h"
#include "mixer/volume_panel.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "videocd/track_panel.h"
#include "widgets/knob.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

using Line = MixerDevice::Line;
using Control = MixerDevice::Control;

// The main window on fakes, shown and active, playing the first of four 60-second files, with
// a mixer that has a volume and a mute switch.
struct Rig {
    Rig()
    {
        // Loaded from the command line, like a user's file, then the whole folder played.
        fake.mixer.add(Line::Speaker, Control::Volume, {0, 65535}, 655 * 50);
        fake.mixer.add(Line::Speaker, Control::Mute, {0, 1});
        fake.player.setDuration(60);
        // The folder's four files, so that there are track buttons to walk through.
        fake.playFolder(media.file("t01.mpg"), "*.mpg");
    }
    Playerfrm& window() { return fake.window(); }
    qint32 volume() { return fake.mixer.control(Line::Speaker, Control::Volume)->value; }
    qint32 mute() { return fake.mixer.control(Line::Speaker, Control::Mute)->value; }
    QWidget* focus() { return QApplication::focusWidget(); }
    // The focus widget's name, or its parent's for the inner parts of a control.
    QString focusName()
    {
        QWidget* widget = focus();
        while (widget && widget->objectName().isEmpty())
            widget = widget->parentWidget();
        return widget ? widget->objectName() : QString();
    }

    FileFolder media{FileFolder::numbered("t", 4, ".mpg")};
    FakeRig fake;
};

// Runs `check` once the popup menu is open (exec() waits until it closes), then closes it.
void whenMenuOpens(Playerfrm& w, std::function<void(QMenu*)> check)
{
    QMenu* menu = w.menu().mnuPopup;
    QTimer::singleShot(0, menu, [menu, check] {
        QTRY_VERIFY(menu->isVisible());
        check(menu);
        menu->close();
    });
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void menuKeysOpenThePopupAtTheMenuButton_data();
    void menuKeysOpenThePopupAtTheMenuButton();
    void seekKeys_data();
    void seekKeys();
    void songKeys_data();
    void songKeys();
    void volumeKeys_data();
    void volumeKeys();
    void upAndDownStayWithAFocusedKnob();
    void arrowsMoveBetweenTheOptions();
    void tabWalksEveryEnabledControlInOrder();
    void spacePressesTheFocusedButton();
    void returnOnAButtonStaysATypedCharacter();
    void escapeClosesTheDialogs_data();
    void escapeClosesTheDialogs();
    void everyBoundKeyIsInTheGuide();
    void readmeListsTheGuide();
};

void TestKeyboard::initTestCase()
{
    // No binding is a bare character key the track rule would see.
    for (const KeyGuide::Binding& binding : KeyGuide::bindings()) {
        const QKeyCombination keys = binding.keys;
        const bool character = keys.key() >= Qt::Key_Space && keys.key() <= Qt::Key_AsciiTilde;
        QVERIFY(!character || keys.keyboardModifiers().testFlag(Qt::ControlModifier));
    }
}

void TestKeyboard::menuKeysOpenThePopupAtTheMenuButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Menu") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
}

void TestKeyboard::menuKeysOpenThePopupAtTheMenuButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const int opened = int(rig.fake.player.openedFiles.size());
    QPoint at;
    whenMenuOpens(w, [&](QMenu* menu) { at = menu->pos(); });
    QTest::keyClick(rig.focus(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // Just below the Menu button, and no track restarted by the key.
    const QPoint below = w.cmdMenu->mapToGlobal(QPoint(0, w.cmdMenu->height()));
    QVERIFY2((at - below).manhattanLength() <= 4,
             qPrintable(QString("menu at %1,%2").arg(at.x()).arg(at.y())));
    QCOMPARE(int(rig.fake.player.openedFiles.size()), opened);
}

void TestKeyboard::songKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to"); // -1: no seek
    // Three songs in the 60-second track, at 0, 20 and 40 s.
    QTest::newRow("PgDown in the first song") << int(Qt::Key_PageDown) << 5.0 << 20.0;
    QTest::newRow("PgDown just after moving to a song: the one after")
        << int(Qt::Key_PageDown) << 19.8 << 40.0;
    QTest::newRow("PgDown in the last song: nothing") << int(Qt::Key_PageDown) << 45.0 << -1.0;
    QTest::newRow("PgUp well into a song: its start") << int(Qt::Key_PageUp) << 30.0 << 20.0;
    QTest::newRow("PgUp at a song's start: the song before") << int(Qt::Key_PageUp) << 21.0 << 0.0;
    QTest::newRow("PgUp just after moving to a song: the song before")
        << int(Qt::Key_PageUp) << 39.7 << 20.0;
    QTest::newRow("PgUp in the first song: its start") << int(Qt::Key_PageUp) << 1.0 << 0.0;
}

void TestKeyboard::songKeys()
{
    QFETCH(int, key);
    QFETCH(double, from);
    QFETCH(double, to);
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QString track = w.engine().File1().fullPath();
    rig.fake.songStarts.starts.insert(track, {0, 20, 40});
    rig.fake.player.setPositionByPlayer(from);
    QTest::keyClick(rig.focus(), Qt::Key(key));
    QCOMPARE(rig.fake.songStarts.asked.value(0), track);
    QCOMPARE(rig.fake.player.CurrentPosition(), to < 0 ? from : to);
    if (to >= 0)
        QCOMPARE(w.engine().panel().HScroll1->value(), qRound(to));
    // A track of one song: the keys do nothing.
    rig.fake.songStarts.starts.clear();
    rig.fake.player.setPositionByPlayer(from);
    QTest::keyClick(rig.focus(), Qt::Key(key));
    QCOMPARE(rig.fake.player.CurrentPosition(), from);
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestKeyboard::seekKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("to"); // from 20 s into the 60-second file
    QTest::newRow("Right") << int(Qt::Key_Right) << int(Qt::NoModifier) << 25.0;
    QTest::newRow("Left") << int(Qt::Key_Left) << int(Qt::NoModifier) << 15.0;
    QTest::newRow("Shift+Right") << int(Qt::Key_Right) << int(Qt::ShiftModifier) << 50.0;
    QTest::newRow("Shift+Left") << int(Qt::Key_Left) << int(Qt::ShiftModifier) << 0.0;
}

void TestKeyboard::seekKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(double, to);
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    rig.fake.player.setPositionByPlayer(20);
    const int opened = int(rig.fake.player.openedFiles.size());
    // From the picture, and from a button Tab gave the focus to.
    for (QWidget* focus :
         {rig.fake.player.videoWidget(), static_cast<QWidget*>(w.engine().panel().cmdStop)}) {
        focus->setFocus(Qt::TabFocusReason);
        rig.fake.player.setPositionByPlayer(20);
        QTest::keyClick(rig.focus(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(rig.fake.player.CurrentPosition(), to);
        QCOMPARE(w.engine().panel().HScroll1->value(), qRound(to));
    }
    QCOMPARE(int(rig.fake.player.openedFiles.size()), opened); // the track went on
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestKeyboard::volumeKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("knob"); // the main volume knob afterwards; from 50
    QTest::addColumn<int>("mute");
    QTest::newRow("Up") << int(Qt::Key_Up) << int(Qt::NoModifier) << 55 << 0;
    QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::NoModifier) << 45 << 0;
    QTest::newRow("Ctrl+M") << int(Qt::Key_M) << int(Qt::ControlModifier) << 50 << 1;
}

void TestKeyboard::volumeKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, knob);
    QFETCH(int, mute);
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.volumePanel().sldMain->KnobValue(), 50);
    const int opened = int(rig.fake.player.openedFiles.size());
    QTest::keyClick(rig.focus(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.volumePanel().sldMain->KnobValue(), knob);
    QCOMPARE(rig.volume(), VolumePanel::KnobScale * knob);
    QCOMPARE(rig.mute(), mute);
    QCOMPARE(w.volumePanel().chkVolMute->isChecked(), mute == 1);
    QCOMPARE(int(rig.fake.player.openedFiles.size()), opened); // Ctrl+M is no typed "m"
    if (mute) {                                                // and the same key unmutes
        QTest::keyClick(rig.focus(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(rig.mute(), 0);
    }
}

void TestKeyboard::upAndDownStayWithAFocusedKnob()
{
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Knob* bass = w.volumePanel().sldMainBas;
    bass->SetVal(50);
    bass->setFocus(Qt::TabFocusReason);
    QTest::keyClick(rig.focus(), Qt::Key_Up);
    QCOMPARE(bass->KnobValue(), 50 + Knob::KeyStep);
    QCOMPARE(w.volumePanel().sldMain->KnobValue(), 50); // the main volume stays
    QTest::keyClick(rig.focus(), Qt::Key_Down);
    QTest::keyClick(rig.focus(), Qt::Key_Down);
    QCOMPARE(bass->KnobValue(), 50 - Knob::KeyStep);
    // Left and Right still seek.
    rig.fake.player.setPositionByPlayer(20);
    QTest::keyClick(rig.focus(), Qt::Key_Right);
    QCOMPARE(rig.fake.player.CurrentPosition(), 25.0);
}

void TestKeyboard::arrowsMoveBetweenTheOptions()
{
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    PlaybackPanel& panel = w.engine().panel();
    panel.chkOrd->setFocus(Qt::TabFocusReason);
    rig.fake.player.setPositionByPlayer(20);
    QTest::keyClick(rig.focus(), Qt::Key_Right);
    QVERIFY(panel.optRnd->isChecked());
    QCOMPARE(rig.fake.player.CurrentPosition(), 20.0); // no seek
    QTest::keyClick(rig.focus(), Qt::Key_Right);
    QVERIFY(panel.optNone->isChecked());
    QTest::keyClick(rig.focus(), Qt::Key_Down); // nothing below: the group keeps it all the same
    QCOMPARE(w.volumePanel().sldMain->KnobValue(), 50); // no volume step
    QCOMPARE(rig.focusName(), QString("optNone"));      // the keyboard stays with the options
}

void TestKeyboard::tabWalksEveryEnabledControlInOrder()
{
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(rig.fake.player.SetFocus());
    // Four files: buttons 1 to 4. Playing: Play, Pause, Next, Full Screen are on, the tray
    // and the bookmark off.
    QStringList expected{"cmdPlay",       "cmdPause", "cmdStop",  "cmdNexttrack",
                         "cmdFullscreen", "cmdMenu",  "cmdOnTop", "cmdCapture"};
    if (w.bookmark().cmdBookmark->isEnabled())
        expected << "cmdBookmark";
    expected << QStringList{"chkOrd", "cmdExit"}; // the options are one stop, at the one chosen
    for (int i = 0; i < 4; ++i)
        expected << QStringLiteral("Songcmd%1").arg(i);
    expected << QStringList{"Combo1", "sldMainTreb", "sldMainBas", "sldMain", "chkVolMute"};
    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(rig.focus(), Qt::Key_Tab);
        walked << rig.focusName();
    }
    QCOMPARE(walked, expected);
    QTest::keyClick(rig.focus(), Qt::Key_Tab);
    QVERIFY(rig.fake.player.videoWidget()->isAncestorOf(rig.focus()) ||
            rig.focus() == rig.fake.player.videoWidget()); // round to the picture
    QTest::keyClick(rig.focus(), Qt::Key_Backtab);
    QCOMPARE(rig.focusName(), QString("chkVolMute"));
}

void TestKeyboard::spacePressesTheFocusedButton()
{
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Stop, Next Track and the track button 3, each reached with Tab.
    w.engine().panel().cmdStop->setFocus(Qt::TabFocusReason);
    QTest::keyClick(rig.focus(), Qt::Key_Space);
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    QCOMPARE(w.engine().status(), StatusText::Idle);

    w.trackPanel().Songcmd[2]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(rig.focus(), Qt::Key_Space);
    rig.fake.settle();
    QCOMPARE(rig.fake.player.FileName(), rig.media.file("t03.mpg"));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestKeyboard::returnOnAButtonStaysATypedCharacter()
{
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.trackPanel().Songcmd[2]->setFocus(Qt::TabFocusReason);
    rig.fake.player.openedFiles.clear();
    QTest::keyClick(rig.focus(), Qt::Key_Return);
    rig.fake.settle();
    // The current track restarts; the focused button 3 was not pressed.
    QCOMPARE(rig.fake.player.openedFiles, QStringList{rig.media.file("t01.mpg")});
}

void TestKeyboard::escapeClosesTheDialogs_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("quick help") << "frmHelp";
    QTest::newRow("about box") << "frmAbout";
    QTest::newRow("folder chooser") << "frmfolder";
    QTest::newRow("settings") << "Settingfrm";
}

void TestKeyboard::escapeClosesTheDialogs()
{
    QFETCH(QString, dialog);
    Rig rig;
    Playerfrm& w = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    PopupMenu& menu = w.menu();
    QAction* opens = dialog == "frmHelp"     ? menu.mnuhelp
                     : dialog == "frmAbout"  ? menu.mnuprogram
                     : dialog == "frmfolder" ? menu.mnuOpenall
                                             : menu.mnuSetting;
    opens->trigger();
    QPointer<QWidget> window;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == dialog && top->isVisible())
            window = top;
    QVERIFY(window);
    QApplication::setActiveWindow(window); // what the window manager does for a new window
    QTRY_COMPARE(QApplication::activeWindow(), window.data());
    QWidget* focus = window->focusWidget() ? window->focusWidget() : window.data();
    QTest::keyClick(focus, Qt::Key_Escape);
    QTRY_VERIFY(!window || !window->isVisible());
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing)); // the Esc was the dialog's
}

// The guide the help, --help and the manual list has a line for every bound key.
void TestKeyboard::everyBoundKeyIsInTheGuide()
{
    for (const KeyGuide::Entry& entry : KeyGuide::entries()) {
        for (const KeyGuide::Binding& binding : entry.bindings) {
            const QString key = QKeySequence(binding.keys).toString(QKeySequence::PortableText);
            QVERIFY2(entry.keys.split(QStringLiteral(", ")).contains(key),
                     qPrintable(key + " is not named in \"" + entry.keys + '"'));
        }
    }
}

// The README's table of keys is the guide's, row for row.
void TestKeyboard::readmeListsTheGuide()
{
    QFile readme(qEnvironmentVariable("TAMREL_SOURCE_DIR") + "/README.md");
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll()).replace(QChar(0x2013), '-');
    for (const KeyGuide::Entry& entry : KeyGuide::entries()) {
        const QString row = "| " + entry.keys + " | " + entry.does + " |";
        QVERIFY2(text.contains(row), qPrintable("README lacks " + row));
    }
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"

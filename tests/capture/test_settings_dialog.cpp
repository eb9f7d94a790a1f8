#include "app/popup_menu.h"
#include "app/window_modes.h"
#include "capture/capture_destination.h"
#include "capture/limited_text_edit.h"
#include "capture/settings_dialog.h"
#include "fake_platform.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "widgets/owned_window.h"
#include "widgets/twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace {

const QString Desktop = QStringLiteral("/home/user/Desktop/ScreenShot.bmp");
const QString Windows = QStringLiteral("/home/user/.local/share/tamrel/ScreenShot.bmp");
const QString Documents = QStringLiteral("/home/user/Documents/ScreenShot.bmp");
const QStringList FiveKeys{"VCD Auto", "Screenshot", "Wallpaper", "My Documents", "Pictextcopy"};

// Stored values as "VCD Auto, Screenshot, Wallpaper, My Documents"; "-" leaves a key absent.
using Stored = QStringList;

// The dialog's side of the main window, on fakes.
struct Rig {
    FakeSettingsStore settings;
    FakeSystemFolders folders;
    OwnedWindow<Settingfrm> slot;
    int osVersionRefreshes = 0;

    explicit Rig(const Stored& stored = {"-", "1", "-", "-"})
    {
        store(stored);
        settings.values[SettingsKeys::Pictextcopy] = Settings::defaultCaption();
    }
    ~Rig() { delete slot.window(); }
    void store(const Stored& stored)
    {
        for (int i = 0; i < 4; ++i)
            if (stored.value(i) != QLatin1String("-"))
                settings.values[FiveKeys[i]] = stored.value(i);
    }
    Settingfrm::Services services()
    {
        return {settings, folders, [this] {
                    ++osVersionRefreshes;
                    return folders.osVersion;
                }};
    }
    Settingfrm* make()
    {
        auto* dialog = new Settingfrm(services());
        dialog->Form_Load();
        return dialog;
    }
    Settingfrm* load()
    {
        return slot.load([this] { return make(); });
    }
    Settingfrm* open()
    {
        return slot.show([this] { return make(); });
    }
};

QString selectedOption(const Settingfrm* dialog)
{
    for (const QRadioButton* option : {dialog->Option1, dialog->Option2, dialog->Option3})
        if (option->isChecked())
            return option->objectName();
    return {};
}

// Autotxt, Desktxt, Walltxt and Dokutxt in one line.
QString flags(const Settingfrm* dialog)
{
    return QStringList{dialog->Autotxt, dialog->Desktxt, dialog->Walltxt, dialog->Dokutxt}.join(
        ' ');
}

// Lets a closed dialog finish deleting itself.
bool deleted(const QPointer<Settingfrm>& dialog)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return dialog.isNull();
}

// Clicks where the caption is: option buttons and check boxes take no clicks beside it.
void clickCaption(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, button->height() / 2));
}

// Types the text, line breaks with the Return key.
void type(QWidget* box, const QString& text)
{
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, lines[i]);
    }
}

enum Action {
    Nothing,
    ChooseDesktop,
    ChooseWallpaper,
    ChooseDocuments,
    ToggleAutoRun,
    EditCaption
};

void act(Settingfrm* dialog, Action action)
{
    switch (action) {
    case Nothing:
        break;
    case ChooseDesktop:
        clickCaption(dialog->Option1);
        break;
    case ChooseWallpaper:
        clickCaption(dialog->Option2);
        break;
    case ChooseDocuments:
        clickCaption(dialog->Option3);
        break;
    case ToggleAutoRun:
        clickCaption(dialog->Check1);
        break;
    case EditCaption:
        dialog->TxtCopyrightsett->setFocus();
        dialog->TxtCopyrightsett->selectAll();
        QTest::keyClicks(dialog->TxtCopyrightsett, "Our party");
        break;
    }
}

enum Paste { Typed, Pasted };

} // namespace

Q_DECLARE_METATYPE(Stored)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Paste)

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void loading_data();
    void loading();
    void saving_data();
    void saving();
    void cancelAndCloseSaveNothing_data();
    void cancelAndCloseSaveNothing();
    void captionLimit_data();
    void captionLimit();
    void captureFrameHiddenOnNtAndXp_data();
    void captureFrameHiddenOnNtAndXp();
    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
    void windowFixedCentredTopmost();
    void loadedHiddenThenOpened();
    void foldersNotFound();
    void menuOpensTheDialog();
};

void TestSettingsDialog::loading_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<bool>("autoRun");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("flags"); // Autotxt Desktxt Walltxt Dokutxt
    QTest::addColumn<QString>("path");

    QTest::newRow("clean machine after seeding") << Stored{"-", "1", "-", "-"} << true << "Option1"
                                                 << "1 1 0 0" << Desktop;
    QTest::newRow("VCD Auto 0 with Screenshot 1")
        << Stored{"0", "1", "-", "-"} << false << "Option1"
        << "0 1 0 0" << Desktop;
    QTest::newRow("VCD Auto 0, all destinations 0")
        << Stored{"0", "0", "0", "0"} << true << "Option1"
        << "1 1 0 0" << Desktop;
    QTest::newRow("VCD Auto 0, destinations absent")
        << Stored{"0", "-", "-", "-"} << true << "Option1"
        << "1 1 0 0" << Desktop;
    QTest::newRow("VCD Auto 1, all destinations 0")
        << Stored{"1", "0", "0", "0"} << true << "Option1"
        << "1 1 0 0" << Desktop;
    QTest::newRow("nothing stored") << Stored{"-", "-", "-", "-"} << true << "Option1"
                                    << "1 1 0 0" << Desktop;
    QTest::newRow("wall paper") << Stored{"1", "0", "1", "0"} << true << "Option2"
                                << "1 0 1 0" << Windows;
    QTest::newRow("documents") << Stored{"1", "0", "0", "1"} << true << "Option3"
                               << "1 0 0 1" << Documents;
    QTest::newRow("desktop and wall paper: the last wins")
        << Stored{"1", "1", "1", "0"} << true << "Option2"
        << "1 0 1 0" << Windows;
    QTest::newRow("all three: the last wins") << Stored{"0", "1", "1", "1"} << false << "Option3"
                                              << "0 0 0 1" << Documents;
    QTest::newRow("VCD Auto of other text is off")
        << Stored{"yes", "1", "-", "-"} << false << "Option1"
        << "0 1 0 0" << Desktop;
}

void TestSettingsDialog::loading()
{
    QFETCH(Stored, stored);
    QFETCH(bool, autoRun);
    QFETCH(QString, option);
    QFETCH(QString, flags);
    QFETCH(QString, path);

    Rig rig(stored);
    rig.settings.values[SettingsKeys::Bookmarkpath] = "/media/clips/track <2>.dat";
    Settingfrm* dialog = rig.load();
    QVERIFY(!dialog->isVisible()); // loading alone shows nothing
    QCOMPARE(dialog->Check1->isChecked(), autoRun);
    QCOMPARE(selectedOption(dialog), option);
    QCOMPARE(::flags(dialog), flags);
    QCOMPARE(dialog->Pathtxt, path);
    QCOMPARE(dialog->Option1->text(), "Save in " + Desktop);
    QCOMPARE(dialog->Option3->text(), "Save in " + Documents);
    QCOMPARE(dialog->Option2->text(), QString("Set as wall paper"));
    QCOMPARE(dialog->TxtCopyrightsett->text(), Settings::defaultCaption());
    QCOMPARE(dialog->labpath->text(), QString("/media/clips/track <2>.dat"));
    QCOMPARE(dialog->labpath->textFormat(), Qt::PlainText);
    QVERIFY(rig.settings.saves.isEmpty());
    QCOMPARE(rig.osVersionRefreshes, 1);
}

void TestSettingsDialog::saving_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("saved"); // the five keys' values, in the order saved

    const QString caption = Settings::defaultCaption();
    QTest::newRow("clean machine")
        << Stored{"-", "1", "-", "-"} << Nothing << QStringList{"1", "1", "0", "0", caption};
    QTest::newRow("VCD Auto 0 with Screenshot 1")
        << Stored{"0", "1", "-", "-"} << Nothing << QStringList{"0", "1", "0", "0", caption};
    QTest::newRow("VCD Auto 0, nothing chosen")
        << Stored{"0", "0", "-", "0"} << Nothing << QStringList{"1", "1", "0", "0", caption};
    QTest::newRow("wall paper chosen") << Stored{"1", "1", "0", "0"} << ChooseWallpaper
                                       << QStringList{"1", "0", "1", "0", caption};
    QTest::newRow("documents chosen") << Stored{"1", "1", "0", "0"} << ChooseDocuments
                                      << QStringList{"1", "0", "0", "1", caption};
    QTest::newRow("desktop chosen again")
        << Stored{"1", "0", "1", "0"} << ChooseDesktop << QStringList{"1", "1", "0", "0", caption};
    QTest::newRow("auto run switched off")
        << Stored{"1", "1", "0", "0"} << ToggleAutoRun << QStringList{"0", "1", "0", "0", caption};
    QTest::newRow("caption edited") << Stored{"1", "1", "0", "0"} << EditCaption
                                    << QStringList{"1", "1", "0", "0", "Our party"};
}

void TestSettingsDialog::saving()
{
    QFETCH(Stored, stored);
    QFETCH(Action, action);
    QFETCH(QStringList, saved);

    Rig rig(stored);
    QPointer<Settingfrm> dialog = rig.open();
    act(dialog, action);
    QTest::mouseClick(dialog->Okaycmd, Qt::LeftButton);
    QCOMPARE(rig.settings.saves, FiveKeys);
    QStringList values;
    for (const QString& key : FiveKeys)
        values << rig.settings.values.value(key);
    QCOMPARE(values, saved);
    QVERIFY(deleted(dialog));

    // The next capture goes where the saved keys say.
    const int chosen = saved.mid(1, 3).indexOf("1");
    QCOMPARE(CaptureDestination::CapturePath(rig.settings, rig.folders, QString()),
             (QStringList{Desktop, Windows, Documents}.value(chosen)));
}

void TestSettingsDialog::cancelAndCloseSaveNothing_data()
{
    QTest::addColumn<bool>("byCancel");
    QTest::newRow("Cancel") << true;
    QTest::newRow("window closed") << false;
}

void TestSettingsDialog::cancelAndCloseSaveNothing()
{
    QFETCH(bool, byCancel);
    Rig rig({"0", "0", "-", "-"}); // loading alone changes the flags
    const QMap<QString, QString> before = rig.settings.values;
    QPointer<Settingfrm> dialog = rig.open();
    for (Action action : {ChooseWallpaper, ToggleAutoRun, EditCaption})
        act(dialog, action);
    if (byCancel)
        QTest::mouseClick(dialog->Cancelcmd, Qt::LeftButton);
    else
        QVERIFY(dialog->close());
    QVERIFY(deleted(dialog));
    QCOMPARE(rig.settings.values, before);
    QVERIFY(rig.settings.saves.isEmpty());
}

void TestSettingsDialog::captionLimit_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("cursor"); // where the text goes in
    QTest::addColumn<Paste>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");

    const QString letters = QString("abcdefghij").repeated(10);
    QTest::newRow("96 typed") << QString() << 0 << Typed << letters.left(96) << letters.left(95);
    QTest::newRow("96 pasted") << QString() << 0 << Pasted << letters.left(96) << letters.left(95);
    QTest::newRow("pasted into the middle")
        << QString("x").repeated(90) << 45 << Pasted << "0123456789"
        << QString("x").repeated(45) + "01234" + QString("x").repeated(45);
    QTest::newRow("typed into a full box")
        << letters.left(95) << 10 << Typed << "XYZ" << letters.left(95);
    // A longer caption stored before is shown whole; it can only get shorter.
    QTest::newRow("typed into a longer stored caption")
        << letters.left(98) << 98 << Typed << "XYZ" << letters.left(98);
    QTest::newRow("line break counts")
        << letters.left(94) << 94 << Typed << "\n!" << letters.left(94) + "\n";
    QTest::newRow("emoji not split in two")
        << letters.left(94) << 94 << Pasted << "\U0001F600" << letters.left(94);
    QTest::newRow("Arabic and CJK pasted")
        << QString() << 0 << Pasted
        << QString("\u0645\u0631\u062D\u0628\u0627 \u4F60\u597D ").repeated(20)
        << QString("\u0645\u0631\u062D\u0628\u0627 \u4F60\u597D ").repeated(20).left(95);
}

void TestSettingsDialog::captionLimit()
{
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(Paste, how);
    QFETCH(QString, text);
    QFETCH(QString, result);

    Rig rig;
    rig.settings.values[SettingsKeys::Pictextcopy] = start;
    Settingfrm* dialog = rig.open();
    LimitedTextEdit* box = dialog->TxtCopyrightsett;
    QCOMPARE(box->maxLength(), 95);
    QTextCursor place = box->textCursor();
    place.setPosition(cursor);
    box->setTextCursor(place);
    box->setFocus();
    if (how == Pasted) {
        QGuiApplication::clipboard()->setText(text);
        box->paste();
    } else {
        type(box, text);
    }
    QCOMPARE(box->text(), result);
}

void TestSettingsDialog::captureFrameHiddenOnNtAndXp_data()
{
    QTest::addColumn<QString>("osVersion");
    QTest::addColumn<bool>("frameShown");
    QTest::newRow("Linux (empty)") << "" << true;
    QTest::newRow("NT") << "NT" << false;
    QTest::newRow("XP") << "XP" << false;
    QTest::newRow("9X") << "9X" << true;
    QTest::newRow("Win32s") << "Microsoft Win32s" << true;
}

void TestSettingsDialog::captureFrameHiddenOnNtAndXp()
{
    QFETCH(QString, osVersion);
    QFETCH(bool, frameShown);
    Rig rig({"1", "0", "1", "0"});
    rig.folders.osVersion = osVersion;
    for (int opening = 1; opening <= 3; ++opening) {
        QPointer<Settingfrm> dialog = rig.open();
        QCOMPARE(dialog->Frame1->isVisible(), frameShown);
        QVERIFY(dialog->Frame2->isVisible());
        QCOMPARE(dialog->Pathtxt, Windows); // the stored destination still applies
        QCOMPARE(rig.osVersionRefreshes, opening);
        QTest::mouseClick(dialog->Okaycmd, Qt::LeftButton);
        QVERIFY(deleted(dialog));
    }
    QCOMPARE(rig.settings.values.value(SettingsKeys::Wallpaper), QString("1"));
}

void TestSettingsDialog::controlsAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("twips");

    const auto row = [](const char* name, const char* parent, QRect twips) {
        QTest::newRow(name) << QString(name) << QString(parent) << twips;
    };
    row("Check1", "Settingfrm", {240, 360, 3255, 255});
    row("Frame1", "Settingfrm", {120, 960, 5295, 2295});
    row("Option1", "Frame1", {240, 300, 4935, 255});
    row("Option3", "Frame1", {240, 600, 4935, 255});
    row("Option2", "Frame1", {240, 900, 4575, 255});
    row("pictext", "Frame1", {240, 1320, 975, 255});
    row("TxtCopyrightsett", "Frame1", {240, 1560, 4755, 540});
    row("Frame2", "Settingfrm", {120, 3360, 5295, 975});
    row("Label1", "Frame2", {240, 240, 495, 255});
    row("labpath", "Frame2", {840, 240, 4215, 255});
    row("Okaycmd", "Settingfrm", {720, 4680, 1575, 375});
    row("Cancelcmd", "Settingfrm", {3000, 4680, 1575, 375});
}

void TestSettingsDialog::controlsAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, twips);
    Rig rig;
    Settingfrm* dialog = rig.open();
    const auto* control = dialog->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
}

void TestSettingsDialog::windowFixedCentredTopmost()
{
    Rig rig;
    QPointer<Settingfrm> dialog = rig.open();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->windowTitle(), QString("Setting"));
    QCOMPARE(dialog->size(), QSize(368, 352)); // 5520 x 5280 twips
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(
        !(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    // Centred as placed, give or take the window frame the desktop adds.
    const QPoint offCentre =
        dialog->geometry().center() - dialog->screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 40,
             qPrintable(QString("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(dialog->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    for (const char* holder : {"Pathtxt", "Autotxt", "Desktxt", "Dokutxt", "Walltxt"})
        QVERIFY2(!dialog->findChild<QWidget*>(holder), holder); // fields, not controls

    QVERIFY(dialog->close());
    QVERIFY(!dialog.isNull()); // closed, waiting for the event loop to delete it
    QVERIFY(!dialog->isLoaded());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(dialog->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    QVERIFY(deleted(dialog));
}

void TestSettingsDialog::loadedHiddenThenOpened()
{
    Rig rig({"1", "1", "0", "0"});
    QPointer<Settingfrm> hidden = rig.load();
    QVERIFY(hidden->isLoaded());
    QVERIFY(!hidden->isVisible());
    QVERIFY(hidden->windowFlags() & Qt::WindowStaysOnTopHint); // topmost while loaded
    QCOMPARE(hidden->Pathtxt, Desktop);
    QCOMPARE(rig.load(), hidden.data()); // loaded once

    rig.store({"1", "0", "0", "1"}); // not seen by the loaded dialog
    QCOMPARE(rig.open(), hidden.data());
    QVERIFY(hidden->isVisible());
    QCOMPARE(hidden->Pathtxt, Desktop);
    QCOMPARE(selectedOption(hidden), QString("Option1"));
    QCOMPARE(rig.osVersionRefreshes, 1);

    // Closing a dialog that was never shown deletes it as well; the next one loads afresh.
    QVERIFY(hidden->close());
    QVERIFY(deleted(hidden));
    QPointer<Settingfrm> again = rig.load();
    QCOMPARE(again->Pathtxt, Documents);
    QVERIFY(again->close());
    QVERIFY(deleted(again));
    QVERIFY(rig.settings.saves.isEmpty());
}

void TestSettingsDialog::foldersNotFound()
{
    Rig rig({"1", "1", "0", "0"});
    rig.folders.desktop.clear();
    rig.folders.documents.clear();
    Settingfrm* dialog = rig.load();
    QCOMPARE(dialog->Pathtxt, QString()); // never a file in the root folder
    QVERIFY(!dialog->Option1->text().contains("/ScreenShot.bmp"));
    QVERIFY(!dialog->Option3->text().contains("/ScreenShot.bmp"));
    QVERIFY(dialog->Option1->text().startsWith("Save in "));
}

void TestSettingsDialog::menuOpensTheDialog()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    QCOMPARE(w.OsVersion, QString());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.modes().OnTopToggle();
    rig.folders.osVersion = "NT";

    w.menu().mnuSetting->trigger();
    QVERIFY(!w.modes().isOnTop()); // left before the dialog comes up
    QPointer<Settingfrm> dialog = w.findChild<Settingfrm*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(w.OsVersion, QString("NT")); // the caption is set afresh at each load
    QVERIFY(!dialog->Frame1->isVisible());

    w.menu().mnuSetting->trigger();
    QCOMPARE(w.findChildren<Settingfrm*>().size(), 1);
    QTest::mouseClick(dialog->Cancelcmd, Qt::LeftButton);
    QVERIFY(deleted(dialog));
    w.menu().mnuSetting->trigger();
    QVERIFY(w.findChild<Settingfrm*>());
}

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"

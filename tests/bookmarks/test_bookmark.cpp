#include "app/popup_menu.h"
#include "bookmarks/bookmark.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "videocd/video_cd_loader.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <clocale>

namespace {

// The four controls as "add,retrieve,clear", each on or off.
QString controlsOf(Playerfrm& w)
{
    const auto state = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    // The button always follows "Add"; "mismatch" shows where it did not.
    if (w.cmdBookmark->isEnabled() != w.mnuaddbookmark->isEnabled())
        return QStringLiteral("mismatch");
    return state(w.mnuaddbookmark->isEnabled()) + ',' + state(w.mnuvcdbookmark->isEnabled()) + ',' +
           state(w.MnuClearbookmark->isEnabled());
}

void setControls(Playerfrm& w, bool on)
{
    w.bookmark().setControls(on, on, on);
}

// "on,-,off" applied to a starting state: "-" leaves a control as it was.
QString expectedAfter(const QString& table, bool before)
{
    QStringList states = table.split(',');
    for (QString& state : states)
        if (state == "-")
            state = before ? "on" : "off";
    return states.join(',');
}

constexpr qint32 Serial = qint32(0xC0A80164); // -1062731420

// A window on fakes playing one file of a folder, with drive sr0 chosen, holding a disc.
struct Rig {
    Rig()
    {
        fake.drives.add("sr0", Serial);
        Playerfrm& w = fake.window();
        w.videoCd().txtCDdrive = "SR0";
        play("track.dat");
        fake.player.setDuration(1000);
    }
    Playerfrm& window() { return fake.window(); }
    Bookmark& bookmark() { return window().bookmark(); }
    void play(const QString& name)
    {
        window().engine().File1().setSingleFile(folder.file(name));
        window().engine().StartListPlayback();
        fake.settle();
    }
    void store(const QString& position, const QString& id, const QString& path)
    {
        fake.settings.values["Bookmark"] = position;
        fake.settings.values["Bookmarkid"] = id;
        fake.settings.values["Bookmarkpath"] = path;
    }
    QStringList seeks() const { return fake.player.calls.filter("CurrentPosition="); }

    FileFolder folder{{"track.dat", "other.dat"}};
    FakeRig fake;
};

} // namespace

class TestBookmark : public QObject {
    Q_OBJECT
private slots:
    void stateTable_data();
    void stateTable();
    void saveStoresPositionDiscAndPath();
    void savedTextIgnoresTheLocale();
    void retrieve_data();
    void retrieve();
    void clearWithDriveEmptiesTheKeys();
    void clearWithoutDriveKeepsThem();
    void positionText_data();
    void positionText();
};

void TestBookmark::stateTable_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("after"); // add,retrieve,clear: on, off or "-" (unchanged)
    QTest::newRow("save") << "save"
                          << "off,on,on";
    QTest::newRow("check, bookmark matches") << "match"
                                             << "off,on,on";
    QTest::newRow("check, no match") << "no match"
                                     << "-,off,-";
    QTest::newRow("clear, CD drive known") << "clear"
                                           << "on,off,-";
    QTest::newRow("clear, no CD drive") << "clear without drive"
                                        << "off,-,off";
    QTest::newRow("Video CD folder loaded, drive known") << "folder"
                                                         << "on,off,-";
    QTest::newRow("Video CD folder loaded, no drive") << "folder without drive"
                                                      << "off,-,off";
    QTest::newRow("loading the Video CD fails") << "load fails"
                                                << "off,off,-";
    QTest::newRow("starting the list fails") << "start fails"
                                             << "off,off,-";
    QTest::newRow("Open (Browse)") << "browse"
                                   << "off,off,-";
    QTest::newRow("Stop") << "stop"
                          << "off,off,-";
}

// Every event of the table, from all controls on and from all off: what it sets, and what it
// leaves as it was.
void TestBookmark::stateTable()
{
    QFETCH(QString, event);
    QFETCH(QString, after);
    for (const bool before : {true, false}) {
        Rig rig;
        Playerfrm& w = rig.window();
        const QString playing = rig.folder.file("track.dat");
        rig.store("12", event == "match" ? QString::number(Serial) : "1", playing);
        setControls(w, before);
        if (event == "save") {
            rig.bookmark().Save();
        } else if (event == "match" || event == "no match") {
            rig.bookmark().CheckAvailability();
        } else if (event == "clear") {
            rig.bookmark().Clear();
        } else if (event == "clear without drive") {
            w.videoCd().txtCDdrive = VideoCdLoader::NoDrive;
            rig.bookmark().Clear();
        } else if (event == "folder" || event == "folder without drive") {
            // The folder of the Video CD found before, reloaded without playing.
            const bool drive = event == "folder";
            w.videoCd().txtCDdrive = drive ? "SR0" : VideoCdLoader::NoDrive;
            w.videoCd().Text2 = "SR0:\\Mpegav";
            rig.fake.folderLister.discFolders["SR0:\\Mpegav"] = {"AVSEQ01.DAT"};
            if (drive)
                w.Command30();
            else
                rig.bookmark().videoCdFolderLoaded(false);
        } else if (event == "load fails") {
            rig.fake.drives.list = {{"sr1", "/nonexistent/sr1", false}};
            w.Command29(); // no movie folder on the disc
        } else if (event == "start fails") {
            w.engine().File1().setPath(rig.folder.path());
            w.engine().File1().setPattern("*.none");
            w.engine().StartListPlayback();
        } else if (event == "browse") {
            w.menu().mnuOpenall->trigger();
            QWidget* chooser = QApplication::topLevelWidgets().last();
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->objectName() == "frmfolder")
                    chooser = window;
            chooser->close();
        } else if (event == "stop") {
            w.playbackPanel().cmdStop->click();
        }
        QCOMPARE(controlsOf(w), expectedAfter(after, before));
    }
}

void TestBookmark::saveStoresPositionDiscAndPath()
{
    Rig rig;
    rig.fake.player.setPositionByPlayer(754.3);
    rig.bookmark().setControls(true, std::nullopt, std::nullopt);
    rig.window().cmdBookmark->click();
    const QMap<QString, QString>& stored = rig.fake.settings.values;
    QCOMPARE(stored.value("Bookmark"), QString("754.3"));
    QCOMPARE(stored.value("Bookmarkid"), QString("-1062731420"));
    QCOMPARE(stored.value("Bookmarkpath"), rig.folder.file("track.dat"));
    QCOMPARE(rig.fake.settings.saves.mid(rig.fake.settings.saves.size() - 3),
             (QStringList{"Bookmark", "Bookmarkid", "Bookmarkpath"}));
    QCOMPARE(rig.bookmark().Bookcurrtxt, QString("754.3"));
    QCOMPARE(rig.bookmark().cdistxt, QString("-1062731420"));
    // The menu item saves the same way; a disc that cannot be read is "0".
    rig.fake.player.setPositionByPlayer(1.5);
    rig.fake.drives.serials["sr0"] = 0;
    rig.bookmark().setControls(true, std::nullopt, std::nullopt);
    rig.window().mnuaddbookmark->trigger();
    QCOMPARE(stored.value("Bookmark"), QString("1.5"));
    QCOMPARE(stored.value("Bookmarkid"), QString("0"));
}

// A decimal comma in the user's locale changes nothing in what is stored.
void TestBookmark::savedTextIgnoresTheLocale()
{
    const QByteArray before = std::setlocale(LC_ALL, nullptr);
    QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8"),
             "the de_DE.UTF-8 locale is missing (scripts/setup.sh generates it)");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Rig rig;
    rig.fake.player.setPositionByPlayer(754.3);
    rig.bookmark().Save();
    const QString stored = rig.fake.settings.values.value("Bookmark");
    std::setlocale(LC_ALL, before.constData());
    QLocale::setDefault(QLocale::c());
    QCOMPARE(stored, QString("754.3"));
}

void TestBookmark::retrieve_data()
{
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("path"); // "PLAYING": the file that plays
    QTest::addColumn<QString>("seek"); // "" for none
    const QString id = QString::number(Serial);
    QTest::newRow("same file, same disc") << "754.3" << id << "PLAYING"
                                          << "CurrentPosition=754.3";
    QTest::newRow("written with a decimal comma") << "754,3" << id << "PLAYING"
                                                  << "CurrentPosition=754.3";
    QTest::newRow("another disc") << "754.3"
                                  << "5"
                                  << "PLAYING"
                                  << "";
    QTest::newRow("another file") << "754.3" << id << "OTHER"
                                  << "";
    QTest::newRow("path in other letter case") << "754.3" << id << "UPPER"
                                               << "";
    QTest::newRow("not a number") << "abc" << id << "PLAYING"
                                  << "";
    QTest::newRow("empty") << "" << id << "PLAYING"
                           << "";
    QTest::newRow("negative") << "-5" << id << "PLAYING"
                              << "";
    QTest::newRow("NaN") << "nan" << id << "PLAYING"
                         << "";
    QTest::newRow("infinite") << "1e400" << id << "PLAYING"
                              << "";
    QTest::newRow("past the end") << "5000" << id << "PLAYING"
                                  << "";
    QTest::newRow("at the very end") << "1000" << id << "PLAYING"
                                     << "";
    QTest::newRow("id that is no number") << "12"
                                          << "disc"
                                          << "PLAYING"
                                          << "";
    QTest::newRow("path of 10,000 characters") << "12" << id << "LONG"
                                               << "";
    QTest::newRow("path with control characters") << "12" << id << "CONTROL"
                                                  << "";
}

// Retrieving seeks only in the file that plays, from the same disc, to a position inside it;
// it never loads anything and never changes the menu.
void TestBookmark::retrieve()
{
    QFETCH(QString, position);
    QFETCH(QString, id);
    QFETCH(QString, path);
    QFETCH(QString, seek);
    Rig rig;
    const QString playing = rig.folder.file("track.dat");
    const QMap<QString, QString> paths{{"PLAYING", playing},
                                       {"OTHER", rig.folder.file("other.dat")},
                                       {"UPPER", playing.toUpper()},
                                       {"LONG", QString(10000, 'x')},
                                       {"CONTROL", playing + "\n\t\x01"}};
    rig.store(position, id, paths.value(path));
    Playerfrm& w = rig.window();
    setControls(w, true);
    rig.fake.player.calls.clear();
    w.mnuvcdbookmark->trigger();
    QCOMPARE(rig.seeks(), seek.isEmpty() ? QStringList{} : QStringList{seek});
    QCOMPARE(rig.fake.player.openedFiles.size(), 1); // the one played at the start
    QCOMPARE(controlsOf(w), QString("on,on,on"));
    QCOMPARE(int(rig.fake.player.PlayState()), int(MediaPlayer::Playing));
}

void TestBookmark::clearWithDriveEmptiesTheKeys()
{
    Rig rig;
    rig.fake.player.setPositionByPlayer(30);
    rig.bookmark().Save();
    rig.bookmark().Clear();
    for (const char* key : {"Bookmark", "Bookmarkid", "Bookmarkpath"}) {
        QVERIFY2(rig.fake.settings.values.contains(key), key);
        QCOMPARE(rig.fake.settings.values.value(key), QString());
    }
    // Nothing matches any more, not even with nothing loaded.
    rig.bookmark().CheckAvailability();
    QVERIFY(!rig.window().mnuvcdbookmark->isEnabled());
    rig.fake.drives.serials["sr0"] = 0;
    rig.play("other.dat");
    QVERIFY(!rig.window().mnuvcdbookmark->isEnabled());
}

void TestBookmark::clearWithoutDriveKeepsThem()
{
    Rig rig;
    rig.fake.player.setPositionByPlayer(30);
    rig.bookmark().Save();
    rig.window().videoCd().txtCDdrive = VideoCdLoader::NoDrive;
    rig.window().MnuClearbookmark->trigger();
    QCOMPARE(rig.fake.settings.values.value("Bookmark"), QString("30"));
    QCOMPARE(rig.fake.settings.values.value("Bookmarkpath"), rig.folder.file("track.dat"));
    QCOMPARE(controlsOf(rig.window()), QString("off,on,off"));
}

void TestBookmark::positionText_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("754.3") << 754.3 << "754.3";
    QTest::newRow("whole seconds") << 12.0 << "12";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("a third") << 1.0 / 3 << "0.3333333333333333";
    QTest::newRow("nine hours") << 32767.25 << "32767.25";
}

// The stored text is the shortest that reads back to the same number.
void TestBookmark::positionText()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(Bookmark::positionText(seconds), text);
    QCOMPARE(Bookmark::positionFromText(text), std::optional(seconds));
    QCOMPARE(Bookmark::positionFromText(QString(text).replace('.', ',')), std::optional(seconds));
}

QTEST_MAIN(TestBookmark)
#include "test_bookmark.moc"

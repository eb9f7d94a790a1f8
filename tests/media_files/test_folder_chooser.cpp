#include "fake_media_player.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "media_files/folder_chooser.h"
#include "platform/files/folder_lister.h"
#include "platform/files/media_folder_lister.h"
#include "playback/play_list.h"
#include "settings/settings_keys.h"
#include "widgets/owned_window.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList itemsOf(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

QTreeWidgetItem* treeItem(QTreeWidget* tree, const QString& path)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == path)
            return *it;
    return nullptr;
}

// Waits for a closed chooser to finish deleting itself.
bool deleted(const QPointer<FolderChooser>& chooser)
{
    return QTest::qWaitFor([&] { return chooser.isNull(); }, 10000);
}

// The main window's side, on fakes, logging what the chooser asked of it.
struct Rig {
    MediaFolderLister folders;
    PlayList list{folders};
    FakeMediaPlayer player;
    FakeSettingsStore settings;
    QStringList events;

    QPointer<FolderChooser> open(const QString& storedDir = QString())
    {
        if (!storedDir.isNull())
            settings.values[SettingsKeys::Dir] = storedDir;
        return slot.show([this] {
            auto* chooser =
                new FolderChooser({list, player, settings, [this] { events << "start"; },
                                   [this] { events << "show"; },
                                   [this](const QString& image) {
                                       events << "disc " + image;
                                       return true;
                                   }});
            chooser->Form_Load();
            return chooser;
        });
    }
    OwnedWindow<FolderChooser> slot; // one chooser at a time, as the main window keeps it
};

enum Command { PlayFolder, PlayFile, DoubleClick, SaveDefault, Cancel };

} // namespace

class TestFolderChooser : public QObject {
    Q_OBJECT
private slots:
    void init() { m_startDir = QDir::currentPath(); }
    void cleanup();

    void opensAtStoredOrCurrentFolder_data();
    void opensAtStoredOrCurrentFolder();
    void windowGeometryAndTopmost();
    void buttonsFollowTheFileList();
    void treeChoiceChangesFolder();
    void typedPathGoesThere_data();
    void typedPathGoesThere();
    void deepFoldersStayReadable();
    void commands_data();
    void commands();
    void savedFolderOpensNextTime();
    void failedCommandsCloseQuietly_data();
    void failedCommandsCloseQuietly();
    void oddNamesHandedOverExactly_data();
    void oddNamesHandedOverExactly();
    void driveChanges();
    void fiftyThousandFiles();
    void hostileTreeBrowsesQuietly();
    void discImageFilter();
    void discImageCommands_data();
    void discImageCommands();

private:
    QString m_startDir;
};

void TestFolderChooser::cleanup()
{
    QDir::setCurrent(m_startDir);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<FolderChooser*>(window))
            delete window;
}

void TestFolderChooser::opensAtStoredOrCurrentFolder_data()
{
    QTest::addColumn<QString>("stored"); // "<dir>" stands for an existing folder
    QTest::newRow("no stored folder") << QString();
    QTest::newRow("stored folder") << "<dir>";
    QTest::newRow("stored folder gone") << "/no/such/tamrel/folder";
    QTest::newRow("stored disc folder") << "SR0:\\Mpegav";
}

void TestFolderChooser::opensAtStoredOrCurrentFolder()
{
    QFETCH(QString, stored);
    QTemporaryDir current, other;
    QVERIFY(
        FileFolder::touch(current.path(), {"b.mp3", "A.DAT", "clip.avi", "readme.txt", "songwma"}));
    QVERIFY(FileFolder::touch(other.path(), {"x.dat"}));
    QVERIFY(QDir::setCurrent(current.path()));
    const bool atStored = stored == "<dir>";
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(atStored ? other.path() : stored);

    const QString expected = atStored ? other.path() : QDir::currentPath();
    QCOMPARE(chooser->folder(), expected);
    QCOMPARE(chooser->Text1->text(), expected);
    QVERIFY(chooser->optAllmedia->isChecked());
    const QStringList listed =
        atStored ? QStringList{"x.dat"} : QStringList{"A.DAT", "b.mp3", "clip.avi", "songwma"};
    QCOMPARE(itemsOf(chooser->FileFolder), listed);
    QCOMPARE(chooser->FileFolder->currentRow(), 0);
    QStringList roots;
    for (const DriveEntry& drive : chooser->drives())
        roots << drive.root;
    QCOMPARE(roots.value(0), QString("/"));
    QCOMPARE(chooser->Drive1->currentData().toString(), MountedVolumes::driveOf(expected, roots));
    QVERIFY(rig.events.isEmpty());
}

void TestFolderChooser::windowGeometryAndTopmost()
{
    QTemporaryDir dir;
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    QCOMPARE(chooser->windowTitle(), QString("Folder"));
    QCOMPARE(chooser->size(), QSize(358, 311)); // 5370 x 4665 twips
    QCOMPARE(chooser->minimumSize(), chooser->maximumSize());
    QCOMPARE(chooser->Drive1->geometry(), QRect(0, 0, 145, 21));
    QCOMPARE(chooser->Dir1->geometry(), QRect(0, 24, 145, 156));
    QCOMPARE(chooser->FileFolder->geometry(), QRect(152, 0, 201, 188));
    QCOMPARE(chooser->cmdCancel->geometry(), QRect(272, 272, 73, 33));

    QVERIFY(chooser->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QVERIFY(chooser->close());
    QVERIFY(!chooser.isNull()); // closed, waiting for the event loop to delete it
    QVERIFY(!(chooser->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(chooser->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    QVERIFY(deleted(chooser));
}

void TestFolderChooser::buttonsFollowTheFileList()
{
    QTemporaryDir dir;
    QVERIFY(FileFolder::touch(dir.path(), {"clip.AVI"}));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    const auto enabled = [&] {
        QList<bool> states;
        const QList<QWidget*> controls = {chooser->cmdOKdirectory, chooser->cmdOkFile,
                                          chooser->cmdSaveDefault, chooser->lblShowDoubleclick,
                                          chooser->cmdCancel};
        for (QWidget* w : controls)
            states << w->isEnabled();
        return states;
    };
    QCOMPARE(enabled(), QList<bool>(5, true));
    chooser->optVCD->click();
    QCOMPARE(chooser->pattern(), QString("*.dat"));
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false, true}));
    chooser->optMP3->click();
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false, true}));
    chooser->optAVI->click();
    QCOMPARE(itemsOf(chooser->FileFolder), QStringList{"clip.AVI"});
    QCOMPARE(enabled(), QList<bool>(5, true));
}

void TestFolderChooser::typedPathGoesThere_data()
{
    // Typed into the path box, then Enter. "<dir>" stands for a temporary folder that holds
    // "Karaoke Songs/" (with b.mp3 and a.mp3) and "notes.txt".
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("folder");   // where the chooser is afterwards
    QTest::addColumn<QString>("selected"); // the file selected then
    QTest::addColumn<QString>("box");      // the path box afterwards
    QTest::newRow("a folder") << "<dir>/Karaoke Songs"
                              << "<dir>/Karaoke Songs"
                              << "a.mp3"
                              << "<dir>/Karaoke Songs";
    QTest::newRow("a folder with blanks around") << "  <dir>/Karaoke Songs/  "
                                                 << "<dir>/Karaoke Songs"
                                                 << "a.mp3"
                                                 << "<dir>/Karaoke Songs";
    QTest::newRow("a file: its folder, the file selected") << "<dir>/Karaoke Songs/b.mp3"
                                                           << "<dir>/Karaoke Songs"
                                                           << "b.mp3"
                                                           << "<dir>/Karaoke Songs";
    QTest::newRow("the home folder") << "~"
                                     << "<home>"
                                     << ""
                                     << "<home>";
    QTest::newRow("no such folder: kept to be corrected") << "<dir>/Karaoke Sungs"
                                                          << "<dir>"
                                                          << ""
                                                          << "<dir>/Karaoke Sungs";
    QTest::newRow("a file that is no media: its folder") << "<dir>/notes.txt"
                                                         << "<dir>"
                                                         << ""
                                                         << "<dir>";
}

void TestFolderChooser::typedPathGoesThere()
{
    QFETCH(QString, typed);
    QFETCH(QString, folder);
    QFETCH(QString, selected);
    QFETCH(QString, box);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Karaoke Songs"));
    QVERIFY(FileFolder::touch(dir.filePath("Karaoke Songs"), {"b.mp3", "a.mp3"}));
    QVERIFY(FileFolder::touch(dir.path(), {"notes.txt"}));
    const auto expand = [&](QString text) {
        return text.replace("<dir>", dir.path()).replace("<home>", QDir::homePath());
    };
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    chooser->Text1->setFocus();
    chooser->Text1->setText(expand(typed));
    QTest::keyClick(chooser->Text1, Qt::Key_Return);
    QCOMPARE(chooser->folder(), QDir::cleanPath(expand(folder)));
    QCOMPARE(chooser->Text1->text(), expand(box));
    const QListWidgetItem* current = chooser->FileFolder->currentItem();
    QCOMPARE(current ? current->text() : QString(), selected);
    if (chooser->folder() != QDir::cleanPath(expand(box))) // left to be corrected
        QCOMPARE(chooser->Text1->selectedText(), expand(box));
    QVERIFY(chooser->isVisible()); // Enter chose nothing to play
    QVERIFY(rig.events.isEmpty());
}

// Folders deep down with long names can be read whole: the tree scrolls sideways to them and
// tells their whole path.
void TestFolderChooser::deepFoldersStayReadable()
{
    QTemporaryDir dir;
    const QString deep =
        dir.filePath("Music/Karaoke Collection/English Pop Hits of the 1990s/Disc Two Favourites");
    QVERIFY(QDir().mkpath(deep));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(deep);
    chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    QTreeWidget* tree = chooser->Dir1;
    QTreeWidgetItem* item = treeItem(tree, deep);
    QVERIFY(item);
    QCOMPARE(item->toolTip(0), deep);
    // The row is as wide as its name; the viewport shows its text unclipped, scrolled to it.
    const int nameWidth = tree->fontMetrics().horizontalAdvance(item->text(0));
    const auto nameShown = [&] {
        const QRect row = tree->visualItemRect(item);
        return row.width() >= nameWidth && tree->viewport()->rect().contains(QRect(
                                               row.left(), row.top(), nameWidth, row.height()));
    };
    QTRY_VERIFY2(nameShown(), qPrintable(QString("row %1+%2 in %3")
                                             .arg(tree->visualItemRect(item).left())
                                             .arg(tree->visualItemRect(item).width())
                                             .arg(tree->viewport()->width())));
    QVERIFY(tree->horizontalScrollBar()->maximum() > 0);
}

void TestFolderChooser::treeChoiceChangesFolder()
{
    QTemporaryDir dir;
    for (const char* sub : {"empty", "Songs", "gone", ".hidden"})
        QVERIFY(QDir(dir.path()).mkpath(sub));
    QVERIFY(FileFolder::touch(dir.filePath("Songs"), {"b.mp3", "a.mp3"}));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    QTreeWidget* tree = chooser->Dir1;
    const auto childrenOf = [](QTreeWidgetItem* item) {
        QStringList names;
        for (int i = 0; i < item->childCount(); ++i)
            names << item->child(i)->text(0);
        return names;
    };
    QTreeWidgetItem* top = tree->currentItem();
    QCOMPARE(top->data(0, Qt::UserRole).toString(), dir.path());
    QCOMPARE(childrenOf(top), (QStringList{"empty", "gone", "Songs"}));

    tree->setCurrentItem(treeItem(tree, dir.filePath("Songs")));
    QCOMPARE(chooser->folder(), dir.filePath("Songs"));
    QCOMPARE(chooser->Text1->text(), dir.filePath("Songs"));
    QCOMPARE(itemsOf(chooser->FileFolder), (QStringList{"a.mp3", "b.mp3"}));
    QCOMPARE(chooser->FileFolder->currentRow(), 0);
    tree->setCurrentItem(treeItem(tree, dir.filePath("empty")));
    QVERIFY(!chooser->cmdOkFile->isEnabled());

    // A folder that vanished after it was listed is not taken; the tree goes back.
    QVERIFY(QDir(dir.filePath("gone")).removeRecursively());
    tree->setCurrentItem(treeItem(tree, dir.filePath("gone")));
    QCOMPARE(chooser->folder(), dir.filePath("empty"));
    QCOMPARE(tree->currentItem()->data(0, Qt::UserRole).toString(), dir.filePath("empty"));

    // Reopening a folder re-reads it and keeps a hidden folder that was reached directly.
    QVERIFY(chooser->setFolder(dir.filePath(".hidden")));
    QVERIFY(QDir(dir.path()).mkdir("new"));
    top->setExpanded(false);
    top->setExpanded(true);
    QCOMPARE(childrenOf(top), (QStringList{"empty", "new", "Songs", ".hidden"}));
    QCOMPARE(tree->currentItem()->text(0), QString(".hidden"));
}

void TestFolderChooser::commands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("mp3Only");
    QTest::addColumn<QStringList>("entries"); // of the list afterwards; empty: list untouched
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("playerCalls"); // %1 is the folder
    QTest::addColumn<QStringList>("events");
    const QStringList all = {"a.dat", "B.mp3", "c.dat", "d.MP3"};
    const QStringList played = {"show", "start"};
    const QStringList fileCalls = {"Stop", "FileName=%1/B.mp3"};
    QTest::newRow("Play this folder, MP3")
        << int(PlayFolder) << true << QStringList{"B.mp3", "d.MP3"} << 0 << QStringList() << played;
    QTest::newRow("Play seleced file") << int(PlayFile) << false << all << 1 << fileCalls << played;
    QTest::newRow("double-click") << int(DoubleClick) << false << all << 1 << fileCalls << played;
    QTest::newRow("Save as Default")
        << int(SaveDefault) << false << all << 0 << QStringList() << played;
    QTest::newRow("Cancel") << int(Cancel) << true << QStringList() << 0 << QStringList()
                            << QStringList{"show"};
}

void TestFolderChooser::commands()
{
    QFETCH(int, command);
    QFETCH(bool, mp3Only);
    QFETCH(QStringList, entries);
    QFETCH(int, index);
    QFETCH(QStringList, playerCalls);
    QFETCH(QStringList, events);
    QTemporaryDir playing, dir;
    QVERIFY(FileFolder::touch(playing.path(), {"now.dat"}));
    QVERIFY(FileFolder::touch(dir.path(), {"c.dat", "a.dat", "B.mp3", "d.MP3", "notes.txt"}));
    QVERIFY(QDir(dir.path()).mkdir("folder.mp3"));
    Rig rig;
    QVERIFY(rig.list.setPath(playing.path()));
    QVERIFY(rig.list.setListIndex(0));
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    if (mp3Only)
        chooser->optMP3->click();
    chooser->FileFolder->setCurrentRow(1);

    switch (command) {
    case DoubleClick: {
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        QListWidget* files = chooser->FileFolder;
        const QPoint at = files->visualItemRect(files->item(1)).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
        break;
    }
    case PlayFolder:
        chooser->cmdOKdirectory->click();
        break;
    case PlayFile:
        chooser->cmdOkFile->click();
        break;
    case SaveDefault:
        chooser->cmdSaveDefault->click();
        break;
    case Cancel:
        chooser->cmdCancel->click();
        break;
    }

    const bool untouched = entries.isEmpty();
    QCOMPARE(rig.list.Path(), untouched ? playing.path() : dir.path());
    QCOMPARE(rig.list.entries(), untouched ? QStringList{"now.dat"} : entries);
    QCOMPARE(rig.list.ListIndex(), index);
    QCOMPARE(rig.player.calls.join('|'), playerCalls.join('|').arg(dir.path()));
    QCOMPARE(rig.events, events);
    QCOMPARE(rig.settings.saves, command == SaveDefault ? QStringList{"Dir"} : QStringList());
    QVERIFY(deleted(chooser));
}

void TestFolderChooser::savedFolderOpensNextTime()
{
    QTemporaryDir first, second;
    QVERIFY(FileFolder::touch(second.path(), {"a.dat"}));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(first.path());
    QVERIFY(chooser->setFolder(second.path()));
    chooser->cmdSaveDefault->click();
    QVERIFY(deleted(chooser));
    chooser = rig.open();
    QCOMPARE(chooser->folder(), second.path());

    // The box's text is what is kept, as it stands.
    chooser->Text1->setText(second.path() + "/");
    chooser->cmdSaveDefault->click();
    QCOMPARE(rig.settings.values.value(SettingsKeys::Dir), second.path() + "/");
}

void TestFolderChooser::failedCommandsCloseQuietly_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("folderVanishes"); // otherwise the folder has nothing to play
    const char* names[] = {"Play this folder", "Play seleced file", "", "Save as Default"};
    for (int command : {PlayFolder, PlayFile, SaveDefault}) {
        QTest::addRow("%s, folder deleted", names[command]) << command << true;
        QTest::addRow("%s, nothing to play", names[command]) << command << false;
    }
}

void TestFolderChooser::failedCommandsCloseQuietly()
{
    QFETCH(int, command);
    QFETCH(bool, folderVanishes);
    QTemporaryDir playing, dir;
    QVERIFY(FileFolder::touch(playing.path(), {"now.dat"}));
    const QString chosen = dir.filePath("chosen");
    QVERIFY(QDir(dir.path()).mkpath("chosen/sub"));
    QVERIFY(FileFolder::touch(chosen, {folderVanishes ? "song.dat" : "notes.txt"}));
    Rig rig;
    QVERIFY(rig.list.setPath(playing.path()));
    QPointer<FolderChooser> chooser = rig.open(chosen);
    if (folderVanishes)
        QVERIFY(QDir(chosen).removeRecursively());
    // Greyed buttons for an empty list; the handlers must cope all the same.
    switch (command) {
    case PlayFolder:
        chooser->cmdOKdirectory_Click();
        break;
    case PlayFile:
        chooser->cmdOkFile_Click();
        break;
    default:
        chooser->cmdSaveDefault_Click();
        break;
    }

    QCOMPARE(rig.events, QStringList{"show"});
    QCOMPARE(rig.player.FileName(), QString());
    QVERIFY(deleted(chooser));
    if (folderVanishes)
        QCOMPARE(rig.list.Path(), playing.path());
}

void TestFolderChooser::oddNamesHandedOverExactly_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    // Listed in play-list order: case-insensitive by name.
    const QStringList names = {" lead; trail .dat", "back\\slash.dat", "it's \"quoted\".dat",
                               "new\nline.dat"};
    for (int row = 0; row < names.size(); ++row)
        QTest::addRow("%d", row) << row << names[row];
}

void TestFolderChooser::oddNamesHandedOverExactly()
{
    QFETCH(int, row);
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(FileFolder::touch(dir.path(), {"new\nline.dat", "it's \"quoted\".dat",
                                           "back\\slash.dat", " lead; trail .dat"}));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    QCOMPARE(chooser->FileFolder->item(row)->text(), name);
    chooser->FileFolder->setCurrentRow(row);
    chooser->cmdOkFile->click();
    QCOMPARE(rig.player.FileName(), dir.path() + "/" + name);
    QCOMPARE(rig.list.FileName(), name);
}

void TestFolderChooser::driveChanges()
{
    QTemporaryDir dir;
    // Stands for a volume that was unmounted: still a folder, but no mount point any more.
    const QString unmounted = dir.filePath("vol");
    QVERIFY(QDir(dir.path()).mkpath("vol/music"));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(unmounted + "/music");
    QComboBox* drives = chooser->Drive1;
    chooser->setDrives({{"/", "/"}, {"/no/such/volume", "gone"}, {unmounted, "unmounted"}});
    QCOMPARE(drives->currentData().toString(), unmounted);

    // Focus on the list of the folder's own drive leaves the folder alone.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(drives, &focusIn);
    QCOMPARE(chooser->folder(), unmounted + "/music");

    drives->setCurrentIndex(drives->findData("/no/such/volume"));
    QCOMPARE(chooser->folder(), unmounted + "/music");
    QCOMPARE(drives->currentData().toString(), unmounted);

    drives->setCurrentIndex(drives->findData("/"));
    QCOMPARE(chooser->folder(), QString("/"));
    QCOMPARE(chooser->Text1->text(), QString("/"));
    drives->setCurrentIndex(drives->findData(unmounted));
    QCOMPARE(chooser->folder(), QString("/"));
    QCOMPARE(drives->currentData().toString(), QString("/"));

    QVERIFY(chooser->setFolder(dir.path()));
    {
        const QSignalBlocker quiet(drives); // the list shows another drive than the folder's
        drives->setCurrentIndex(drives->findData(unmounted));
    }
    QApplication::sendEvent(drives, &focusIn); // that drive cannot be opened: nothing happens
    QCOMPARE(chooser->folder(), dir.path());
    chooser->setDrives({{"/", "/"}, {dir.path(), "tmp"}});
    {
        const QSignalBlocker quiet(drives);
        drives->setCurrentIndex(0);
    }
    QApplication::sendEvent(drives, &focusIn);
    QCOMPARE(chooser->folder(), QString("/"));
    QVERIFY(chooser->isVisible());
}

void TestFolderChooser::fiftyThousandFiles()
{
    QTemporaryDir dir;
    const QString big = dir.filePath("big");
    QVERIFY(QDir(dir.path()).mkdir("big"));
    constexpr int count = 50000;
    QStringList names{"notes.txt"};
    for (int i = count; i > 0; --i)
        names << QString("Track%1.%2").arg(i, 5, 10, QChar('0')).arg(i % 2 ? "dat" : "MP3");
    QVERIFY(FileFolder::touch(big, names));

    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    // How long these take, and whether anything goes on working afterwards, is measured by
    // bench/bench_folder_chooser.
    QVERIFY(chooser->setFolder(big));
    chooser->optMP3->click();
    QCOMPARE(chooser->FileFolder->count(), count / 2);
    QCOMPARE(chooser->FileFolder->item(count / 2 - 1)->text(), QString("Track50000.MP3"));

    chooser->FileFolder->setCurrentRow(count / 2 - 1);
    chooser->cmdOkFile->click();
    QCOMPARE(rig.player.FileName(), big + "/Track50000.MP3");
}

QTEST_MAIN(TestFolderChooser)
#include "test_folder_chooser.moc"

// The fifth type filter, after the four media types, which keep their order and texts.
// Links that loop, folders whose names cannot be shown as they are, a name of 255 bytes: the
// tree opens them one level at a time, never follows a loop by itself, and a folder it cannot
// open leaves the current one as it was.
void TestFolderChooser::hostileTreeBrowsesQuietly()
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const auto link = [&](const char* target, const char* name) {
        return ::symlink(target, (root + '/' + name).constData()) == 0;
    };
    QVERIFY(link(".", "self") && link("..", "up") && link("b", "a") && link("a", "b"));
    QVERIFY(::mkdir((root + "/bad\xff\xfename").constData(), 0755) == 0);
    QVERIFY(QDir(dir.path()).mkpath("new\nline"));
    const QString longest(255, 'L');
    QVERIFY(QDir(dir.path()).mkpath(longest));
    QVERIFY(FileFolder::touch(dir.filePath(longest), {"song.mpg"}));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    QTreeWidget* tree = chooser->Dir1;
    QTreeWidgetItem* top = tree->currentItem();
    QVERIFY(top);
    QStringList names;
    for (int i = 0; i < top->childCount(); ++i)
        names << top->child(i)->text(0);
    // The looping pair a <-> b leads nowhere and is no folder.
    QVERIFY(!names.contains("a") && !names.contains("b"));
    QVERIFY(names.contains("self") && names.contains("up") && names.contains("new\nline"));
    QVERIFY(names.contains(longest));

    // Down the link to itself, level by level: each level is read only when opened, until the
    // system refuses a path through that many links.
    QTreeWidgetItem* deepest = nullptr;
    int depth = 0;
    for (QTreeWidgetItem* item = treeItem(tree, dir.filePath("self")); item && depth < 100;
         ++depth) {
        QCOMPARE(item->childCount(), 0); // not read before it is opened
        deepest = item;
        item->setExpanded(true);
        item = nullptr;
        for (int i = 0; i < deepest->childCount() && !item; ++i)
            if (deepest->child(i)->text(0) == QLatin1String("self"))
                item = deepest->child(i);
    }
    QVERIFY2(depth >= 20 && depth < 100, qPrintable(QString::number(depth)));
    tree->setCurrentItem(deepest);
    QVERIFY(QFileInfo(chooser->folder()).isDir());

    tree->setCurrentItem(treeItem(tree, dir.filePath(longest)));
    QCOMPARE(chooser->folder(), dir.filePath(longest));
    QCOMPARE(itemsOf(chooser->FileFolder), QStringList{"song.mpg"});
    tree->setCurrentItem(treeItem(tree, dir.filePath("new\nline")));
    QCOMPARE(chooser->folder(), dir.filePath("new\nline"));
    QVERIFY(!chooser->cmdOkFile->isEnabled());

    // The folder with bytes that are no UTF-8: whatever it can do with it, the chooser stays
    // on a folder that exists.
    for (int i = 0; i < top->childCount(); ++i)
        if (top->child(i)->text(0).startsWith(QLatin1String("bad")))
            tree->setCurrentItem(top->child(i));
    QVERIFY(QFileInfo(chooser->folder()).isDir());
    QVERIFY(chooser->isVisible());
    ::rmdir((root + "/bad\xff\xfename").constData()); // beyond QDir's reach
}

void TestFolderChooser::discImageFilter()
{
    QTemporaryDir dir;
    QVERIFY(FileFolder::touch(
        dir.path(), {"k.cue", "k.bin", "x.NRG", "y.toc", "z.iso", "s.mp3", "a.dat", "n.cue.txt"}));
    Rig rig;
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    QStringList options;
    for (QRadioButton* option : chooser->findChildren<QRadioButton*>())
        options << option->objectName() + '=' + option->text();
    QCOMPARE(options, (QStringList{"optAllmedia=All Media", "optVCD=Video CD", "optAVI=AVI",
                                   "optMP3=MP3", "optImages=Disc images"}));
    QCOMPARE(itemsOf(chooser->FileFolder), (QStringList{"a.dat", "s.mp3"}));
    chooser->optImages->click();
    QCOMPARE(chooser->pattern(), QString("*.cue;*.bin;*.nrg;*.toc;*.iso"));
    QCOMPARE(itemsOf(chooser->FileFolder),
             (QStringList{"k.bin", "k.cue", "x.NRG", "y.toc", "z.iso"}));
    // Inside the dialog, clear of the other filters and of the buttons.
    const QRect images = chooser->optImages->geometry();
    QVERIFY(chooser->rect().contains(images));
    for (QWidget* other : QList<QWidget*>{chooser->optAllmedia, chooser->optVCD, chooser->optAVI,
                                          chooser->optMP3, chooser->cmdOKdirectory})
        QVERIFY(!images.intersects(other->geometry()));
}

void TestFolderChooser::discImageCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("disc"); // handed over as a disc
    QTest::newRow("Play seleced file") << int(PlayFile) << "k.cue";
    QTest::newRow("double-click") << int(DoubleClick) << "k.cue";
    QTest::newRow("Play this folder: its first image") << int(PlayFolder) << "k.bin";
    QTest::newRow("Save as Default: its first image") << int(SaveDefault) << "k.bin";
}

// A chosen image is played as a disc: the play list, its pattern and the player are left to
// the disc's detection.
void TestFolderChooser::discImageCommands()
{
    QFETCH(int, command);
    QFETCH(QString, disc);
    QTemporaryDir playing, dir;
    QVERIFY(FileFolder::touch(playing.path(), {"now.dat"}));
    QVERIFY(FileFolder::touch(dir.path(), {"k.bin", "k.cue", "x.nrg"}));
    Rig rig;
    QVERIFY(rig.list.setPath(playing.path()));
    QPointer<FolderChooser> chooser = rig.open(dir.path());
    chooser->optImages->click();
    chooser->FileFolder->setCurrentRow(1);
    if (command == DoubleClick) {
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        QListWidget* files = chooser->FileFolder;
        const QPoint at = files->visualItemRect(files->item(1)).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
    } else {
        QPushButton* button = command == PlayFile     ? chooser->cmdOkFile
                              : command == PlayFolder ? chooser->cmdOKdirectory
                                                      : chooser->cmdSaveDefault;
        button->click();
    }
    QCOMPARE(rig.events, (QStringList{"show", "disc " + dir.filePath(disc)}));
    QCOMPARE(rig.list.Path(), playing.path());
    QCOMPARE(rig.list.Pattern(), QString("*.dat"));
    QVERIFY(rig.player.calls.isEmpty());
    QCOMPARE(rig.settings.saves, command == SaveDefault ? QStringList{"Dir"} : QStringList());
    QVERIFY(deleted(chooser));
}

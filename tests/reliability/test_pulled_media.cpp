// Media taken away while the program plays them, with the real player, disc layer and main
// window: the image of the playing disc deleted, cut short or replaced, the folder of the
// clips being played removed, the settings file deleted or emptied. Each ends quietly, the
// status line never promises what will not happen, and the next command works.

#include "bookmarks/bookmark.h"
#include "platform/settings/ini_settings_store.h"
#include "reliability_rig.h"
#include "settings/settings_keys.h"
#include "test_media.h"
#include "videocd/track_panel.h"

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>

namespace {

enum class Damage { Deleted, Truncated, Replaced, Overwritten };
enum class Command { TrackKey, TrackButton, NextTrack, EndOfTrack };

// A sector of vcd-a in track 2: tracks 2 and 3 are cut off, track 1 is whole.
constexpr qint64 CutAtSector = 1000;
constexpr qint64 RawSectorBytes = 2352;

bool copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

// A copy of vcd-a that a test may damage, and put back.
class ImageCopy {
public:
    ImageCopy() { restore(); }
    QString cue() const { return m_dir.filePath("vcd-a.cue"); }
    QString bin() const { return m_dir.filePath("vcd-a.bin"); }
    bool restore()
    {
        return copyFile(TestMedia::disc("vcd-a.cue"), cue()) &&
               copyFile(TestMedia::disc("vcd-a.bin"), bin());
    }
    bool damage(Damage how)
    {
        switch (how) {
        case Damage::Deleted:
            return QFile::remove(bin()) && QFile::remove(cue());
        case Damage::Truncated:
            return QFile::resize(bin(), CutAtSector * RawSectorBytes);
        case Damage::Replaced: {
            // A new file under the old name; the stream playing keeps the old one.
            const QString other = m_dir.filePath("new.bin");
            return QFile::copy(TestMedia::disc("vcd-b.bin"), other) &&
                   std::rename(QFile::encodeName(other), QFile::encodeName(bin())) == 0;
        }
        case Damage::Overwritten: {
            // The same file rewritten: the stream playing reads the other disc's bytes.
            QFile file(bin());
            QFile other(TestMedia::disc("vcd-b.bin"));
            return file.open(QIODevice::ReadWrite) && other.open(QIODevice::ReadOnly) &&
                   file.write(other.readAll()) > 0 && file.resize(other.size());
        }
        }
        return false;
    }

private:
    QTemporaryDir m_dir;
};

// Runs the command that moves on from track 1 (to track 3 for the keys and buttons).
void moveOn(RealProgram& program, Command command)
{
    switch (command) {
    case Command::TrackKey:
        QTest::keyClick(program.window.get(), '3');
        break;
    case Command::TrackButton:
        program.window->trackPanel().Songcmd[2]->click();
        break;
    case Command::NextTrack:
        program.engine().panel().cmdNexttrack->click();
        break;
    case Command::EndOfTrack:
        program.player.setCurrentPosition(program.player.Duration() - 0.4);
        break;
    }
}

// Waits until the status line tells the truth and keeps telling it for a while.
bool settlesTruthfully(RealProgram& program)
{
    return QTest::qWaitFor([&] { return program.statusIsTruthful(); }, 5000) &&
           !QTest::qWaitFor([&] { return !program.statusIsTruthful(); }, 1000);
}

} // namespace

Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(Command)

class TestPulledMedia : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void imagePulledWhilePlaying_data();
    void imagePulledWhilePlaying();
    void folderRemovedWhilePlaying_data();
    void folderRemovedWhilePlaying();
    void settingsFilePulledWhilePlaying_data();
    void settingsFilePulledWhilePlaying();
};

void TestPulledMedia::imagePulledWhilePlaying_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("status"); // what the status line says in the end
    const QString idle = StatusText::Idle;
    QTest::newRow("deleted, track key") << Damage::Deleted << Command::TrackKey << idle;
    QTest::newRow("deleted, track button") << Damage::Deleted << Command::TrackButton << idle;
    QTest::newRow("deleted, Next Track") << Damage::Deleted << Command::NextTrack << idle;
    QTest::newRow("deleted, end of track") << Damage::Deleted << Command::EndOfTrack << idle;
    QTest::newRow("truncated, track key") << Damage::Truncated << Command::TrackKey << idle;
    QTest::newRow("truncated, end of track") << Damage::Truncated << Command::EndOfTrack << idle;
    // vcd-b has two tracks: its track 2 plays, there is no track 3.
    QTest::newRow("replaced, track key") << Damage::Replaced << Command::TrackKey << idle;
    QTest::newRow("replaced, Next Track")
        << Damage::Replaced << Command::NextTrack << StatusText::playing(trackFile(2));
    QTest::newRow("overwritten, track key") << Damage::Overwritten << Command::TrackKey << idle;
}

void TestPulledMedia::imagePulledWhilePlaying()
{
    QFETCH(Damage, damage);
    QFETCH(Command, command);
    QFETCH(QString, status);
    ImageCopy image;
    RealProgram program(image.cue());
    program.window->Form_Load(QString());
    QVERIFY(program.waitForPlaying(trackFile(1)));
    QVERIFY(image.damage(damage));

    moveOn(program, command);
    QVERIFY2(settlesTruthfully(program), qPrintable(program.status()));
    QCOMPARE(program.status(), status);
    if (command == Command::EndOfTrack)
        QCOMPARE(program.player.DisplaySize(), int(MediaPlayer::DoubleSize)); // the list ended
    else
        QVERIFY(program.window->trackPanel().Songcmd[0]->isEnabled());

    // The disc back as it was, the next track key plays.
    QVERIFY(image.restore());
    QTest::keyClick(program.window.get(), '2');
    QVERIFY(program.waitForPlaying(trackFile(2)));
    QCOMPARE(program.status(), StatusText::playing(trackFile(2)));
}

void TestPulledMedia::folderRemovedWhilePlaying_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("playsOn"); // the clip playing goes on; else the list ends
    QTest::newRow("track key") << Command::TrackKey << true;
    QTest::newRow("Next Track") << Command::NextTrack << true;
    QTest::newRow("end of clip") << Command::EndOfTrack << false;
}

// The folder of a list of clips goes (a disk unmounted) while its first clip plays.
void TestPulledMedia::folderRemovedWhilePlaying()
{
    QFETCH(Command, command);
    QFETCH(bool, playsOn);
    auto dir = std::make_unique<QTemporaryDir>();
    // A first clip long enough to be still playing when the test looks.
    QVERIFY(QFile::copy(TestMedia::clip("long.mpg"), dir->filePath("a.mpg")));
    for (const char* name : {"b.mpg", "c.mpg"})
        QVERIFY(QFile::copy(TestMedia::clip("clips/") + name, dir->filePath(name)));
    RealProgram program{QString()};
    PlayList& list = program.engine().File1();
    list.setPattern("*.mpg");
    QVERIFY(list.setPath(dir->path()));
    QVERIFY(list.setListIndex(0));
    program.engine().StartListPlayback();
    QVERIFY(program.waitForPlaying("a.mpg"));
    dir.reset();

    moveOn(program, command);
    QVERIFY2(settlesTruthfully(program), qPrintable(program.status()));
    if (playsOn) {
        // Why the next file did not play, then, once read, what plays on.
        const QString next = command == Command::NextTrack ? "b.mpg" : "c.mpg";
        QCOMPARE(program.status(), StatusText::fileNotFound(next));
        QVERIFY(program.playingFile("a.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(program.status(), StatusText::playing("a.mpg"),
                                  PlaybackEngine::NoticeMilliseconds + 5000);
        QCOMPARE(program.engine().File1().FileName(), QString("a.mpg"));
    } else {
        QCOMPARE(program.status(), StatusText::Idle);
    }

    // Another folder plays.
    QVERIFY(list.setPath(TestMedia::clip("clips")));
    QVERIFY(list.setListIndex(0));
    program.engine().panel().cmdPlay->click();
    QVERIFY(program.waitForPlaying("clips/a.mpg"));
}

void TestPulledMedia::settingsFilePulledWhilePlaying_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("deleted") << "deleted";
    QTest::newRow("emptied") << "emptied";
    QTest::newRow("a folder in its place") << "folder";
}

// The settings file goes while a disc plays; then the user bookmarks the track: the bookmark
// is saved beside every setting the file had, or, where nothing can be written, nothing
// happens but that.
void TestPulledMedia::settingsFilePulledWhilePlaying()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    {
        QSettings before(path, QSettings::IniFormat);
        before.setValue("Settings/Dir", "/home/user/Karaoke");
        before.setValue("Settings/VCD Auto", "1");
    }
    IniSettingsStore settings(path, SettingsKeys::Section);
    RealProgram program(TestMedia::disc("vcd-a.cue"), {}, &settings);
    program.window->Form_Load(QString());
    QVERIFY(program.waitForPlaying(trackFile(1)));
    QTRY_VERIFY_WITH_TIMEOUT(program.window->cmdBookmark->isEnabled(), 3000);

    if (how == "deleted")
        QVERIFY(QFile::remove(path));
    else if (how == "emptied")
        QVERIFY(QFile::resize(path, 0));
    else
        QVERIFY(QFile::remove(path) && QDir(dir.path()).mkdir("settings.ini"));
    program.window->cmdBookmark->click();

    QVERIFY(program.playingFile(trackFile(1)));
    QCOMPARE(program.status(), StatusText::playing(trackFile(1)));
    if (how == "folder") {
        QVERIFY(QFileInfo(path).isDir());
        return;
    }
    const QSettings after(path, QSettings::IniFormat);
    QCOMPARE(after.value("Settings/Dir").toString(), QString("/home/user/Karaoke"));
    QCOMPARE(after.value("Settings/VCD Auto").toString(), QString("1"));
    QCOMPARE(after.value("Settings/Screenshot").toString(), QString("1")); // seeded at start
    QVERIFY(!after.value("Settings/Pictextcopy").toString().isEmpty());
    QCOMPARE(after.value("Settings/Bookmark").toString(), program.window->bookmark().Bookcurrtxt);
    QCOMPARE(after.value("Settings/Bookmarkid").toString(), QString::number(0x5864D78F));
}

QTEST_MAIN(TestPulledMedia)
#include "test_pulled_media.moc"

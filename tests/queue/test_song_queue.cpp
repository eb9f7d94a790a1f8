// The song queue on its own: its steps on a list of numbers, the songs a play list offers, and
// the saved form of the queues, which damaged or absurd values never turn into harm to the
// rest of the settings.

#include "fake_platform.h"
#include "platform/settings/ini_settings_store.h"
#include "queue/queue_store.h"
#include "queue/song_catalogue.h"
#include "queue/song_queue.h"
#include "settings/settings_keys.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

std::vector<int> numbers(const QList<int>& list)
{
    return {list.begin(), list.end()};
}

QList<int> listed(const std::vector<int>& numbers)
{
    return {numbers.begin(), numbers.end()};
}

QStringList names(const SongCatalogue& catalogue)
{
    QStringList all;
    for (int number = 1; number <= catalogue.count(); ++number)
        all << catalogue.song(number).name;
    return all;
}

} // namespace

class TestSongQueue : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void fullQueueRefusesMore();
    void catalogue_data();
    void catalogue();
    void storedValue_data();
    void storedValue();
    void queuesComeBackPerCollection();
    void fewCollectionsAreKept();
    void damagedSectionLeavesSettingsAlone();
};

void TestSongQueue::steps_data()
{
    // Steps: "+N" add, "^P" up, "vP" down, "xP" remove, "tP" take; P a place from 0.
    QTest::addColumn<QList<int>>("start");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<int>("changes"); // how many steps changed the queue
    QTest::newRow("adds in order")
        << QList<int>{} << QStringList{"+7", "+3"} << QList<int>{7, 3} << 2;
    QTest::newRow("the same song twice")
        << QList<int>{7} << QStringList{"+7"} << QList<int>{7, 7} << 1;
    QTest::newRow("up") << QList<int>{1, 2, 3} << QStringList{"^2"} << QList<int>{1, 3, 2} << 1;
    QTest::newRow("up at the head")
        << QList<int>{1, 2} << QStringList{"^0"} << QList<int>{1, 2} << 0;
    QTest::newRow("down") << QList<int>{1, 2, 3} << QStringList{"v0"} << QList<int>{2, 1, 3} << 1;
    QTest::newRow("down at the tail")
        << QList<int>{1, 2} << QStringList{"v1"} << QList<int>{1, 2} << 0;
    QTest::newRow("remove the middle")
        << QList<int>{1, 2, 3} << QStringList{"x1"} << QList<int>{1, 3} << 1;
    QTest::newRow("remove past the end")
        << QList<int>{1} << QStringList{"x1", "x-1"} << QList<int>{1} << 0;
    QTest::newRow("take the head") << QList<int>{4, 5} << QStringList{"t0"} << QList<int>{5} << 1;
    QTest::newRow("take from empty") << QList<int>{} << QStringList{"t0"} << QList<int>{} << 0;
}

void TestSongQueue::steps()
{
    QFETCH(QList<int>, start);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, after);
    QFETCH(int, changes);
    SongQueue queue;
    queue.replace(numbers(start));
    QSignalSpy changed(&queue, &SongQueue::changed);
    for (const QString& step : steps) {
        const int value = step.mid(1).toInt();
        switch (step[0].toLatin1()) {
        case '+':
            queue.add(value);
            break;
        case '^':
            queue.moveUp(value);
            break;
        case 'v':
            queue.moveDown(value);
            break;
        case 'x':
            queue.remove(value);
            break;
        case 't':
            queue.take(value);
            break;
        }
    }
    QCOMPARE(listed(queue.numbers()), after);
    QCOMPARE(changed.size(), changes);
}

void TestSongQueue::fullQueueRefusesMore()
{
    SongQueue queue;
    queue.replace(std::vector<int>(std::size_t(SongQueue::MaxSongs) + 5, 1));
    QCOMPARE(queue.size(), SongQueue::MaxSongs);
    QVERIFY(!queue.add(2));
    QCOMPARE(queue.numbers().back(), 1);
}

void TestSongQueue::catalogue_data()
{
    // Song starts per file (empty: one song); the songs' names and where they are.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QList<QList<double>>>("starts");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("entries");   // each song's play list entry
    QTest::addColumn<QList<int>>("firstSong"); // of each entry
    QTest::newRow("a folder: its files")
        << "/music" << QStringList{"a.mpg", "b.mpg"} << QList<QList<double>>{{}, {}}
        << QStringList{"a.mpg", "b.mpg"} << QList<int>{0, 1} << QList<int>{1, 2};
    QTest::newRow("a disc of one song a track: its tracks")
        << "SR0:\\Mpegav" << QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}
        << QList<QList<double>>{{}, {}} << QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}
        << QList<int>{0, 1} << QList<int>{1, 2};
    QTest::newRow("a karaoke disc: every entry")
        << "SR0:\\Mpegav" << QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}
        << QList<QList<double>>{{0, 3, 6}, {}}
        << QStringList{"Track 1 \u00b7 entry 1", "Track 1 \u00b7 entry 2", "Track 1 \u00b7 entry 3",
                       "Track 2 \u00b7 entry 1"}
        << QList<int>{0, 0, 0, 1} << QList<int>{1, 4};
    QTest::newRow("nothing loaded") << QString() << QStringList{} << QList<QList<double>>{}
                                    << QStringList{} << QList<int>{} << QList<int>{};
}

void TestSongQueue::catalogue()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QList<QList<double>>, starts);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, entries);
    QFETCH(QList<int>, firstSong);
    QStringList asked;
    const SongCatalogue songs(folder, files, [&](const QString& path) {
        asked << path;
        const QList<double> found =
            starts.value(files.indexOf(path.section(QRegularExpression("[\\\\/]"), -1)));
        return std::vector<double>(found.begin(), found.end());
    });
    QCOMPARE(::names(songs), names);
    for (int number = 1; number <= songs.count(); ++number)
        QCOMPARE(songs.song(number).listEntry, entries[number - 1]);
    for (int entry = 0; entry < firstSong.size(); ++entry)
        QCOMPARE(songs.firstSongOf(entry), firstSong[entry]);
    QCOMPARE(songs.firstSongOf(files.size()), 0);
    QVERIFY(!songs.has(0));
    QVERIFY(!songs.has(songs.count() + 1));
    if (!files.isEmpty()) // a track's path joins the folder as the play list does
        QVERIFY2(asked.first().startsWith(folder) && asked.first().endsWith(files.first()),
                 qPrintable(asked.first()));
    if (names.size() == 4)
        QCOMPARE(songs.song(3).start, 6.0);
}

void TestSongQueue::storedValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("collection");
    QTest::newRow("a queue") << "4 7+3+12 vcd:1a2b3c4d" << true << QList<int>{7, 3, 12}
                             << "vcd:1a2b3c4d";
    QTest::newRow("a folder with spaces")
        << "1 2 /home/a b/songs" << true << QList<int>{2} << "/home/a b/songs";
    QTest::newRow("none queued") << "9 - /music" << true << QList<int>{} << "/music";
    QTest::newRow("damaged numbers dropped, the rest kept")
        << "2 7+x+-1+0++99999999999999999999+3 /m" << true << QList<int>{7, 3} << "/m";
    QTest::newRow("no collection") << "2 7+3" << false << QList<int>{} << QString();
    QTest::newRow("use unreadable") << "soon 7 /m" << false << QList<int>{} << QString();
    QTest::newRow("negative use") << "-3 7 /m" << false << QList<int>{} << QString();
    QTest::newRow("empty") << "" << false << QList<int>{} << QString();
}

void TestSongQueue::storedValue()
{
    QFETCH(QString, value);
    QFETCH(bool, reads);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, collection);
    const std::optional<QueueStore::Stored> stored = QueueStore::parse(value);
    QCOMPARE(stored.has_value(), reads);
    if (!reads)
        return;
    QCOMPARE(listed(stored->numbers), numbers);
    QCOMPARE(stored->collection, collection);
    QCOMPARE(QueueStore::parse(QueueStore::format(*stored))->numbers, stored->numbers);
}

void TestSongQueue::queuesComeBackPerCollection()
{
    FakeSettingsStore section;
    QueueStore store(section);
    store.save("vcd:00000001", {7, 3});
    store.save("/music", {1});
    QueueStore again(section);
    QCOMPARE(listed(again.load("vcd:00000001")), (QList<int>{7, 3}));
    QCOMPARE(listed(again.load("/music")), QList<int>{1});
    QVERIFY(again.load("vcd:00000002").empty());
    again.save("/music", {});
    QCOMPARE(section.values.size(), 1); // an empty queue leaves no key behind
}

void TestSongQueue::fewCollectionsAreKept()
{
    FakeSettingsStore section;
    QueueStore store(section);
    for (int i = 0; i <= QueueStore::MaxCollections; ++i)
        store.save(QStringLiteral("/folder%1").arg(i), {i + 1});
    QCOMPARE(section.values.size(), QueueStore::MaxCollections);
    QVERIFY(store.load("/folder0").empty()); // the one used longest ago
    QCOMPARE(listed(QueueStore(section).load("/folder1")), QList<int>{2});

    // A long queue is kept whole, up to the queue's own bound.
    std::vector<int> many(std::size_t(SongQueue::MaxSongs), 12);
    store.save("/long", many);
    QCOMPARE(int(QueueStore(section).load("/long").size()), SongQueue::MaxSongs);
}

void TestSongQueue::damagedSectionLeavesSettingsAlone()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("player.ini");
    QFile text(file);
    QVERIFY(text.open(QIODevice::WriteOnly));
    const QString foreignKey = QueueStore::keyFor("/other");
    text.write(QStringLiteral("[Settings]\nScreenshot=1\nPictextcopy=Hello\n\n[SongQueue]\n"
                              "Queue-zz=nonsense\n%1=3 5+6 /not-other\n%2=1 8+x+9 /music\n")
                   .arg(foreignKey, QueueStore::keyFor("/music"))
                   .toUtf8());
    text.close();
    IniSettingsStore queues(file, SettingsKeys::SongQueueSection);
    QueueStore store(queues);
    QVERIFY(store.load("/other").empty()); // a value under another's key is not trusted
    QVERIFY(store.load("/not-other").empty());
    QCOMPARE(listed(store.load("/music")), (QList<int>{8, 9}));
    store.save("/music", {1, 2});
    IniSettingsStore settings(file, SettingsKeys::Section);
    QCOMPARE(settings.Get("Screenshot"), "1");
    QCOMPARE(settings.Get("Pictextcopy"), "Hello");
    QCOMPARE(listed(QueueStore(queues).load("/music")), (QList<int>{1, 2}));
}

QTEST_GUILESS_MAIN(TestSongQueue)
#include "test_song_queue.moc"

// The key and tempo a singer chose for a song: the steps and their limits, the caption, the
// song's identity, and the memory of them in a settings section of its own, which a damaged
// section or a full memory never turns into harm to the other settings.

#include "fake_platform.h"
#include "karaoke/song_identity.h"
#include "karaoke/song_memory.h"
#include "karaoke/song_sound.h"
#include "platform/settings/ini_settings_store.h"
#include "settings/settings_keys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSongMemory : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void caption_data();
    void caption();
    void identity_data();
    void identity();
    void parse_data();
    void parse();
    void recallsWhatWasRemembered();
    void originalSoundIsForgotten();
    void oldestIsForgottenFirst();
    void damagedValuesAreIgnored();
    void keyRangeWidens();
    void survivesRestartBesideSettings();
    void damagedSectionLeavesSettingsAlone();
};

void TestSongMemory::steps_data()
{
    // Each step is "k+", "k-", "t+" or "t-"; the range is 6 unless `range` says otherwise.
    QTest::addColumn<int>("startKey");
    QTest::addColumn<int>("startTempo");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tempo");
    QTest::newRow("two up") << 0 << 100 << QStringList{"k+", "k+"} << 6 << 2 << 100;
    QTest::newRow("stops at +6") << 5 << 100 << QStringList{"k+", "k+", "k+"} << 6 << 6 << 100;
    QTest::newRow("stops at -6") << -6 << 100 << QStringList{"k-"} << 6 << -6 << 100;
    QTest::newRow("a wide range reaches 12")
        << 11 << 100 << QStringList{"k+", "k+"} << 12 << 12 << 100;
    QTest::newRow("a remembered key past a narrow range comes back inside it")
        << 9 << 100 << QStringList{"k-"} << 6 << 6 << 100;
    QTest::newRow("tempo in fives") << 0 << 100 << QStringList{"t-", "t-"} << 6 << 0 << 90;
    QTest::newRow("tempo stops at 50") << 0 << 55 << QStringList{"t-", "t-"} << 6 << 0 << 50;
    QTest::newRow("tempo stops at 150") << 0 << 145 << QStringList{"t+", "t+"} << 6 << 0 << 150;
    QTest::newRow("a tempo off the grid snaps onto it")
        << 0 << 92 << QStringList{"t+"} << 6 << 0 << 95;
    QTest::newRow("key and tempo apart") << 1 << 100 << QStringList{"t+", "k-"} << 6 << 0 << 105;
}

void TestSongMemory::steps()
{
    QFETCH(int, startKey);
    QFETCH(int, startTempo);
    QFETCH(QStringList, steps);
    QFETCH(int, range);
    SongSound sound{startKey, startTempo};
    for (const QString& step : steps) {
        const int direction = step.endsWith('+') ? 1 : -1;
        sound = step.startsWith('k') ? sound.withKeyStep(direction, range)
                                     : sound.withTempoStep(direction);
    }
    QTEST(sound.key, "key");
    QTEST(sound.tempo, "tempo");
}

void TestSongMemory::caption_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tempo");
    QTest::addColumn<QString>("caption");
    QTest::newRow("own sound: nothing shown") << 0 << 100 << "";
    QTest::newRow("key down") << -2 << 100 << QString::fromUtf8("Key \u22122");
    QTest::newRow("key up") << 3 << 100 << "Key +3";
    QTest::newRow("tempo") << 0 << 90 << "Tempo 90%";
    QTest::newRow("both") << -2 << 90 << QString::fromUtf8("Key \u22122 \u00b7 Tempo 90%");
}

void TestSongMemory::caption()
{
    QFETCH(int, key);
    QFETCH(int, tempo);
    QTEST(SongSound({key, tempo}).caption(), "caption");
}

void TestSongMemory::identity_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint32>("serial");
    QTest::addColumn<QString>("identity");
    QTest::newRow("disc track, by serial and file")
        << "SR0:\\Mpegav\\AVSEQ03.DAT" << qint32(0x1a2b3c4d) << "vcd:1a2b3c4d:mpegav/avseq03.dat";
    QTest::newRow("the same disc in another drive is the same song")
        << "SR1:\\MPEGAV\\avseq03.dat" << qint32(0x1a2b3c4d) << "vcd:1a2b3c4d:mpegav/avseq03.dat";
    QTest::newRow("a negative serial reads as its bits")
        << "SR0:\\Mpegav\\AVSEQ01.DAT" << qint32(-2) << "vcd:fffffffe:mpegav/avseq01.dat";
    QTest::newRow("a disc that cannot be told") << "SR0:\\Mpegav\\AVSEQ01.DAT" << qint32(0) << "";
    QTest::newRow("the root of a disc is no song") << "SR0:\\" << qint32(5) << "";
    QTest::newRow("a file by its path")
        << "/music/My Song.mpg" << qint32(0) << "/music/My Song.mpg";
    QTest::newRow("nothing") << "" << qint32(7) << "";
}

void TestSongMemory::identity()
{
    QFETCH(QString, path);
    QFETCH(qint32, serial);
    const QString identity =
        SongIdentity::of(path, [&](const QString& drive) { return drive.isEmpty() ? 0 : serial; });
    QTEST(identity, "identity");
}

void TestSongMemory::parse_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("reads");
    QTest::newRow("a song") << "-2 90 17 vcd:1a2b3c4d:mpegav/avseq03.dat" << true;
    QTest::newRow("a path with spaces") << "1 100 3 /music/My Song.mpg" << true;
    QTest::newRow("no song") << "1 100 3" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("words") << "up fast often song" << false;
    QTest::newRow("key past 12") << "13 100 1 /a.mpg" << false;
    QTest::newRow("tempo 0") << "0 0 1 /a.mpg" << false;
    QTest::newRow("tempo past 150") << "0 400 1 /a.mpg" << false;
    QTest::newRow("negative use") << "0 90 -1 /a.mpg" << false;
    QTest::newRow("huge number") << "99999999999999999999 90 1 /a.mpg" << false;
}

void TestSongMemory::parse()
{
    QFETCH(QString, value);
    QFETCH(bool, reads);
    const auto stored = SongMemory::parse(value);
    QCOMPARE(stored.has_value(), reads);
    if (reads)
        QCOMPARE(SongMemory::format(*stored), value);
}

void TestSongMemory::recallsWhatWasRemembered()
{
    FakeSettingsStore store;
    {
        SongMemory memory(store);
        memory.remember("/a.mpg", {-2, 90});
        memory.remember("vcd:00000001:mpegav/avseq02.dat", {3, 100});
        QCOMPARE(memory.recall("/a.mpg"), SongSound({-2, 90}));
        QCOMPARE(memory.recall("/never-sung.mpg"), SongSound{});
    }
    // Another run of the program reads the same section.
    SongMemory later(store);
    QCOMPARE(later.recall("vcd:00000001:mpegav/avseq02.dat"), SongSound({3, 100}));
    QCOMPARE(later.count(), 2);
}

void TestSongMemory::originalSoundIsForgotten()
{
    FakeSettingsStore store;
    SongMemory memory(store);
    memory.remember("/a.mpg", {1, 100});
    memory.remember("/a.mpg", {});
    QCOMPARE(memory.count(), 0);
    QVERIFY(store.values.isEmpty());
    // A song never changed writes nothing at all.
    store.saves.clear();
    memory.remember("/b.mpg", {});
    QVERIFY(store.saves.isEmpty());
}

void TestSongMemory::oldestIsForgottenFirst()
{
    FakeSettingsStore store;
    SongMemory memory(store, 3);
    memory.remember("/1.mpg", {1, 100});
    memory.remember("/2.mpg", {2, 100});
    memory.remember("/3.mpg", {3, 100});
    memory.remember("/1.mpg", {-1, 100}); // chosen again: now the newest
    memory.remember("/4.mpg", {4, 100});
    QCOMPARE(memory.count(), 3);
    QCOMPARE(memory.recall("/2.mpg"), SongSound{});
    QCOMPARE(memory.recall("/1.mpg"), SongSound({-1, 100}));
    QCOMPARE(memory.recall("/4.mpg"), SongSound({4, 100}));
    QCOMPARE(store.values.size(), 3);
    // The order survives a restart: the next to go is the oldest of the last run.
    SongMemory later(store, 3);
    later.remember("/5.mpg", {5, 100});
    QCOMPARE(later.recall("/3.mpg"), SongSound{});
    QCOMPARE(later.recall("/1.mpg"), SongSound({-1, 100}));
}

void TestSongMemory::damagedValuesAreIgnored()
{
    FakeSettingsStore store;
    store.values[SongMemory::keyFor("/good.mpg")] = "2 95 4 /good.mpg";
    store.values[SongMemory::keyFor("/bad.mpg")] = "two 95 4 /bad.mpg";
    // A value under the key of another song is not that song's.
    store.values[SongMemory::keyFor("/other.mpg")] = "5 100 9 /moved.mpg";
    store.values["Unrelated"] = "x";
    SongMemory memory(store);
    QCOMPARE(memory.recall("/good.mpg"), SongSound({2, 95}));
    QCOMPARE(memory.recall("/bad.mpg"), SongSound{});
    QCOMPARE(memory.recall("/moved.mpg"), SongSound{});
    QCOMPARE(memory.count(), 1);
    // Writing over a damaged value mends it.
    memory.remember("/bad.mpg", {1, 100});
    QCOMPARE(SongMemory::parse(store.values[SongMemory::keyFor("/bad.mpg")])->sound,
             SongSound({1, 100}));
    QCOMPARE(store.values["Unrelated"], "x");
}

void TestSongMemory::keyRangeWidens()
{
    for (const auto& [setting, range] :
         QList<std::pair<QString, int>>{{"", 6}, {"12", 12}, {"6", 6}, {"99", 6}, {"x", 6}}) {
        FakeSettingsStore store;
        if (!setting.isEmpty())
            store.values[SongMemory::KeyRangeKey] = setting;
        SongMemory memory(store);
        QCOMPARE(memory.keyRange(), range);
    }
    // A key stored while the range was wide comes back inside a narrow one.
    FakeSettingsStore store;
    store.values[SongMemory::keyFor("/a.mpg")] = "-9 100 1 /a.mpg";
    QCOMPARE(SongMemory(store).recall("/a.mpg"), SongSound({-6, 100}));
}

// The real settings file: the song section beside "Settings", each kept whole.
void TestSongMemory::survivesRestartBesideSettings()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("player.ini");
    IniSettingsStore settings(file, SettingsKeys::Section);
    settings.Save("Screenshot", "1");
    {
        IniSettingsStore songs(file, SettingsKeys::KaraokeSection);
        SongMemory memory(songs, 2);
        memory.remember("/music/a b.mpg", {-2, 90});
        memory.remember("/music/c.mpg", {1, 100});
        memory.remember("/music/d.mpg", {2, 100}); // pushes out a b.mpg
        memory.remember("/music/c.mpg", {});       // back to its own: gone
    }
    settings.Save("Wallpaper", "2");
    IniSettingsStore songs(file, SettingsKeys::KaraokeSection);
    SongMemory memory(songs);
    QCOMPARE(memory.recall("/music/d.mpg"), SongSound({2, 100}));
    QCOMPARE(memory.count(), 1);
    IniSettingsStore reread(file, SettingsKeys::Section);
    QCOMPARE(reread.Get("Screenshot"), "1");
    QCOMPARE(reread.Get("Wallpaper"), "2");
}

void TestSongMemory::damagedSectionLeavesSettingsAlone()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("player.ini");
    QFile text(file);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("[Settings]\nScreenshot=1\nPictextcopy=Hello\n\n[Karaoke]\nSong-zz=nonsense\n"
               "Song-0123456789abcdef=3 100\nKeyRange=lots\n");
    text.close();
    IniSettingsStore songs(file, SettingsKeys::KaraokeSection);
    SongMemory memory(songs);
    QCOMPARE(memory.count(), 0);
    QCOMPARE(memory.keyRange(), 6);
    memory.remember("/a.mpg", {1, 100});
    IniSettingsStore settings(file, SettingsKeys::Section);
    QCOMPARE(settings.Get("Screenshot"), "1");
    QCOMPARE(settings.Get("Pictextcopy"), "Hello");
    QCOMPARE(SongMemory(songs).recall("/a.mpg"), SongSound({1, 100}));
}

QTEST_GUILESS_MAIN(TestSongMemory)
#include "test_song_memory.moc"

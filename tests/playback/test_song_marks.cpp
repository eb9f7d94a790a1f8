#include "fake_platform.h"
#include "playback/playback_engine.h"
#include "playback/song_marks.h"
#include "videocd/track_panel.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

// The marks of the songs inside a disc track on the position bar.
class TestSongMarks : public QObject {
    Q_OBJECT
private slots:
    void markX_data();
    void markX();
    void marksAreDrawnOverTheGroove();
    void discTrackMarkedAfterItStarts();
};

void TestSongMarks::markX_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("length");
    QTest::addColumn<int>("x"); // across a groove from 10 to 109; -1: no mark
    QTest::newRow("the middle") << 30.0 << 60.0 << 60;
    QTest::newRow("a third") << 20.0 << 60.0 << 43;
    QTest::newRow("the start: no mark") << 0.0 << 60.0 << -1;
    QTest::newRow("the end: no mark") << 60.0 << 60.0 << -1;
    QTest::newRow("past the end (an entry past its track)") << 75.0 << 60.0 << -1;
    QTest::newRow("before the start") << -3.0 << 60.0 << -1;
    QTest::newRow("length unknown") << 30.0 << 0.0 << -1;
    QTest::newRow("not a number") << qQNaN() << 60.0 << -1;
}

void TestSongMarks::markX()
{
    QFETCH(double, start);
    QFETCH(double, length);
    QFETCH(int, x);
    const std::optional<int> found = SongMarks::markX(start, length, QRect(10, 0, 100, 12));
    QCOMPARE(found.value_or(-1), x);
}

void TestSongMarks::marksAreDrawnOverTheGroove()
{
    QScrollBar bar(Qt::Horizontal);
    bar.resize(300, 16);
    bar.setRange(0, 60);
    SongMarks marks(&bar);
    const QImage without = bar.grab().toImage();
    marks.setStarts({0, 20, 40});
    const QImage with = bar.grab().toImage();
    const QColor highlight = marks.palette().color(QPalette::Highlight);
    int markedColumns = 0;
    for (int x = 0; x < with.width(); ++x) {
        if (with.pixelColor(x, 8) == highlight && without.pixelColor(x, 8) != highlight)
            ++markedColumns;
    }
    QCOMPARE(markedColumns, 4); // two marks, two pixels wide
    marks.setStarts({0});       // one song: nothing to mark
    QVERIFY(marks.isHidden());
}

void TestSongMarks::discTrackMarkedAfterItStarts()
{
    FakeRig rig;
    rig.drives.add("sr0");
    rig.folderLister.discFolders["SR0:\\Mpegav"] = {"AVSEQ01.DAT", "AVSEQ02.DAT"};
    const QString track1 = "SR0:\\Mpegav\\AVSEQ01.DAT";
    rig.songStarts.starts[track1] = {0, 3, 6};
    Playerfrm& w = rig.load();
    // The disc is not read for them before the first picture.
    QVERIFY(rig.songStarts.asked.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(w.engine().songMarks(), (std::vector<double>{0, 3, 6}), 5000);
    // Track 2 holds one song: its marks are gone at once, and none come.
    w.trackPanel().Songcmd[1]->click();
    QVERIFY(w.engine().songMarks().empty());
    QTRY_COMPARE_WITH_TIMEOUT(rig.songStarts.asked.size(), 2, 5000);
    QVERIFY(w.engine().songMarks().empty());
}

QTEST_MAIN(TestSongMarks)
#include "test_song_marks.moc"

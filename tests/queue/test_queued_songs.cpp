// The song queue on the main window, over the fake player: what plays at the end of a song and
// at Next Track, the disc or folder each queue belongs to, the numbers it refuses, the line that
// says what comes next, the queue's window and its saved form.

#include "fake_platform.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "queue/queue_window.h"
#include "queue/queued_songs.h"
#include "videocd/track_panel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

constexpr qint32 DiscA = 0x1a2b3c4d;
constexpr qint32 DiscB = 0x0badcafe;

QString track(int number)
{
    return QStringLiteral("SR0:\\Mpegav\\AVSEQ%1.DAT").arg(number, 2, 10, QLatin1Char('0'));
}

// A disc of twelve tracks in drive sr0, playing track 1.
struct QueueRig {
    explicit QueueRig(const QMap<QString, QString>& saved = {})
    {
        rig.drives.add("sr0", DiscA);
        QStringList files;
        for (int i = 1; i <= 12; ++i)
            files << QStringLiteral("AVSEQ%1.DAT").arg(i, 2, 10, QLatin1Char('0'));
        rig.folderLister.discFolders["SR0:\\Mpegav"] = files;
        rig.queueSettings.values = saved;
        rig.load();
        rig.settle();
    }
    QueuedSongs& songs() { return rig.window().songQueue(); }
    QString opened() const
    {
        return rig.player.openedFiles.value(rig.player.openedFiles.size() - 1);
    }
    void queue(const QStringList& typed)
    {
        for (const QString& number : typed)
            QCOMPARE(songs().addTyped(number), QString());
    }
    // The medium playing reaches its end.
    void finish()
    {
        rig.player.finishMedium();
        rig.settle();
    }
    QList<int> queued() const
    {
        const std::vector<int>& numbers = const_cast<QueueRig*>(this)->songs().queue().numbers();
        return {numbers.begin(), numbers.end()};
    }
    QString nextLine()
    {
        return songs().lblNextSongs->isHidden() ? QString() : songs().lblNextSongs->text();
    }
    FakeRig rig;
};

} // namespace

class TestQueuedSongs : public QObject {
    Q_OBJECT
private slots:
    void endOfSongPlaysTheQueueThenTheOrderGoesOn();
    void nextTrackPlaysTheHead();
    void emptyQueueLeavesThePlayOrder_data();
    void emptyQueueLeavesThePlayOrder();
    void typedNumbers_data();
    void typedNumbers();
    void anotherDiscHasItsOwnQueue();
    void pulledDiscLeavesTheQueueWaiting();
    void songInsideATrackPlaysFromItsStart();
    void savedQueueComesBackAfterARestart();
    void songsTheDiscNoLongerHasAreSkipped();
    void trackButtonAddsItsTrack();
    void windowQueuesMovesAndPlays();
    void longQueueIsSavedOnceAndListedWhole();
};

void TestQueuedSongs::endOfSongPlaysTheQueueThenTheOrderGoesOn()
{
    QueueRig q;
    QCOMPARE(q.opened(), track(1));
    QCOMPARE(q.nextLine(), QString());
    q.queue({"7", "3", "12", "3"});
    QCOMPARE(q.nextLine(), QString("Next: 07 \u00b7 03 \u00b7 2 more"));
    q.finish();
    QCOMPARE(q.opened(), track(7));
    QCOMPARE(q.nextLine(), QString("Next: 03 \u00b7 12 \u00b7 1 more"));
    q.finish();
    QCOMPARE(q.opened(), track(3));
    q.finish();
    QCOMPARE(q.opened(), track(12));
    QCOMPARE(q.nextLine(), QString("Next: 03"));
    q.finish();
    QCOMPARE(q.opened(), track(3));
    QCOMPARE(q.nextLine(), QString());
    q.finish(); // the play order goes on from the song that played last
    QCOMPARE(q.opened(), track(4));
}

void TestQueuedSongs::nextTrackPlaysTheHead()
{
    QueueRig q;
    q.queue({"9"});
    q.rig.window().engine().NextTrack();
    q.rig.settle();
    QCOMPARE(q.opened(), track(9));
    QVERIFY(q.queued().isEmpty());
    q.rig.window().engine().NextTrack();
    q.rig.settle();
    QCOMPARE(q.opened(), track(10));
}

void TestQueuedSongs::emptyQueueLeavesThePlayOrder_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("after"); // the track that plays after track 1 ends
    QTest::newRow("Order") << "chkOrd" << track(2);
    QTest::newRow("Repeat") << "optNone" << track(1);
}

void TestQueuedSongs::emptyQueueLeavesThePlayOrder()
{
    QFETCH(QString, mode);
    QFETCH(QString, after);
    QueueRig q;
    q.queue({"5"});
    QVERIFY(q.songs().queue().remove(0)); // queued and taken out again: empty
    q.rig.window().findChild<QRadioButton*>(mode)->click();
    q.rig.settle();
    q.rig.window().engine().playEntry(0);
    q.rig.settle();
    q.finish();
    QCOMPARE(q.opened(), after);
}

void TestQueuedSongs::typedNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("queued");
    QTest::addColumn<QString>("word"); // a part of the refusal; empty when queued
    QTest::newRow("one digit") << "7" << QList<int>{7} << QString();
    QTest::newRow("the last song") << "12" << QList<int>{12} << QString();
    QTest::newRow("leading zeros") << "007" << QList<int>{7} << QString();
    QTest::newRow("spaces around") << " 3 " << QList<int>{3} << QString();
    QTest::newRow("zero") << "0" << QList<int>{} << "No song 0 here: the songs are 1 to 12.";
    QTest::newRow("past the last") << "13" << QList<int>{} << "No song 13 here";
    QTest::newRow("twenty digits")
        << "12345678901234567890" << QList<int>{} << "No song 12345678901234567890 here";
    QTest::newRow("ten digits past int") << "4294967303" << QList<int>{} << "No song 4294967303";
    QTest::newRow("letters") << "7a" << QList<int>{} << "digits only";
    QTest::newRow("another script's digits") << "\u0663" << QList<int>{} << "digits only";
    QTest::newRow("nothing") << "" << QList<int>{} << "Type a song number";
}

void TestQueuedSongs::typedNumbers()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, queued);
    QFETCH(QString, word);
    QueueRig q;
    const QString refusal = q.songs().addTyped(typed);
    QVERIFY2(word.isEmpty() ? refusal.isEmpty() : refusal.contains(word), qPrintable(refusal));
    QCOMPARE(q.queued(), queued);
}

void TestQueuedSongs::anotherDiscHasItsOwnQueue()
{
    QueueRig q;
    q.queue({"7", "3"});
    // Another disc in the drive: its own queue, empty.
    q.rig.drives.serials["sr0"] = DiscB;
    q.rig.window().engine().playEntry(0);
    q.rig.settle();
    QVERIFY(q.queued().isEmpty());
    QCOMPARE(q.nextLine(), QString());
    q.queue({"2"});
    // The first disc back: its queue is there again.
    q.rig.drives.serials["sr0"] = DiscA;
    q.rig.window().engine().playEntry(0);
    q.rig.settle();
    QCOMPARE(q.queued(), (QList<int>{7, 3}));
    q.rig.drives.serials["sr0"] = DiscB;
    q.rig.window().engine().playEntry(0);
    q.rig.settle();
    QCOMPARE(q.queued(), QList<int>{2});
}

void TestQueuedSongs::pulledDiscLeavesTheQueueWaiting()
{
    QueueRig q;
    q.queue({"7", "3"});
    q.rig.drives.serials["sr0"] = 0; // pulled while track 1 plays
    q.finish();
    QCOMPARE(q.queued(), (QList<int>{7, 3}));
    QVERIFY(q.opened() != track(7));
    q.rig.drives.serials["sr0"] = DiscA; // back in: the queue goes on
    q.finish();
    QCOMPARE(q.opened(), track(7));
}

void TestQueuedSongs::songInsideATrackPlaysFromItsStart()
{
    QueueRig q;
    q.rig.songStarts.starts[track(2)] = {0, 3, 6};
    // Songs: 1 is track 1, 2..4 the three of track 2, 5 track 3, …
    QCOMPARE(q.songs().catalogue().count(), 14);
    QCOMPARE(q.songs().describe(3), QString("03  Track 2 \u00b7 entry 2"));
    q.queue({"3"});
    q.rig.player.calls.clear();
    q.finish();
    QCOMPARE(q.opened(), track(2));
    QVERIFY2(q.rig.player.calls.contains("CurrentPosition=3"),
             qPrintable(q.rig.player.calls.join(", ")));
}

void TestQueuedSongs::savedQueueComesBackAfterARestart()
{
    QMap<QString, QString> saved;
    {
        QueueRig q;
        q.queue({"7", "3"});
        QTRY_VERIFY_WITH_TIMEOUT(!q.rig.queueSettings.values.isEmpty(), 5000);
        saved = q.rig.queueSettings.values;
        QVERIFY(q.rig.settings.values.keys().filter("Queue").isEmpty());
    }
    QueueRig again(saved);
    QCOMPARE(again.queued(), (QList<int>{7, 3}));
    QCOMPARE(again.nextLine(), QString("Next: 07 \u00b7 03"));
    again.finish();
    QCOMPARE(again.opened(), track(7));
}

void TestQueuedSongs::songsTheDiscNoLongerHasAreSkipped()
{
    FakeSettingsStore section;
    QueueStore(section).save(QStringLiteral("vcd:1a2b3c4d"), {40, 5});
    QueueRig q(section.values);
    QCOMPARE(q.queued(), (QList<int>{40, 5}));
    QVERIFY(q.songs().describe(40).contains("no such song"));
    q.finish();
    QCOMPARE(q.opened(), track(5));
    QVERIFY(q.queued().isEmpty());
}

void TestQueuedSongs::trackButtonAddsItsTrack()
{
    QueueRig q;
    QPushButton* button = q.rig.window().trackPanel().Songcmd[5];
    QVERIFY(button->isEnabled());
    // The context menu is modal: its item is chosen once it is up.
    QTimer chooser;
    int tries = 0;
    connect(&chooser, &QTimer::timeout, &chooser, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu && ++tries < 500)
            return;
        chooser.stop();
        if (!menu)
            return;
        if (QAction* add = menu->findChild<QAction*>("mnuAddToQueue"))
            add->trigger();
        menu->close();
    });
    chooser.start(10);
    emit button->customContextMenuRequested(QPoint(2, 2));
    QCOMPARE(q.queued(), QList<int>{6});
}

void TestQueuedSongs::windowQueuesMovesAndPlays()
{
    QueueRig q;
    SongQueueWindow window(q.songs());
    for (const char* typed : {"7", "3", "99", "11"}) {
        window.txtSongNumber->setText(typed);
        QTest::keyClick(window.txtSongNumber, Qt::Key_Return);
    }
    QCOMPARE(q.queued(), (QList<int>{7, 3, 11}));
    QVERIFY(window.txtSongNumber->text().isEmpty());
    QCOMPARE(window.lstQueue->model()->index(2, 0).data().toString(), QString("11  AVSEQ11.DAT"));

    window.lstQueue->setCurrentIndex(window.lstQueue->model()->index(2, 0));
    window.cmdUp->click();
    QCOMPARE(q.queued(), (QList<int>{7, 11, 3}));
    window.cmdUp->click(); // the selection followed the song
    QCOMPARE(q.queued(), (QList<int>{11, 7, 3}));
    window.cmdDown->click();
    QCOMPARE(q.queued(), (QList<int>{7, 11, 3}));
    window.cmdRemove->click();
    QCOMPARE(q.queued(), (QList<int>{7, 3}));
    window.lstQueue->setCurrentIndex(window.lstQueue->model()->index(1, 0));
    window.cmdPlayNow->click();
    q.rig.settle();
    QCOMPARE(q.opened(), track(3));
    QCOMPARE(q.queued(), QList<int>{7});

    window.txtSongNumber->setText("99");
    QTest::keyClick(window.txtSongNumber, Qt::Key_Return);
    QCOMPARE(window.lblQueueWord->text(), QString("No song 99 here: the songs are 1 to 12."));
    QCOMPARE(window.txtSongNumber->text(), QString("99")); // kept to be mended
}

void TestQueuedSongs::longQueueIsSavedOnceAndListedWhole()
{
    QueueRig q;
    for (int i = 0; i < SongQueue::MaxSongs; ++i)
        q.songs().queue().add(i % 12 + 1);
    QCOMPARE(q.songs().addTyped("5"), QString("The queue is full (10000 songs)."));
    QCOMPARE(q.nextLine(), QString("Next: 01 \u00b7 02 \u00b7 9998 more"));
    SongQueueWindow window(q.songs());
    QCOMPARE(window.lstQueue->model()->rowCount(), SongQueue::MaxSongs);
    QCOMPARE(window.lstQueue->model()->index(9999, 0).data().toString(),
             QString("04  AVSEQ04.DAT"));
    QTRY_COMPARE_WITH_TIMEOUT(q.rig.queueSettings.saves.size(), 1, 5000);
}

QTEST_MAIN(TestQueuedSongs)
#include "test_queued_songs.moc"

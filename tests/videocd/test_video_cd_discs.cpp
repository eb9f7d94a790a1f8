#include "disc_rig.h"
#include "fake_platform.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"
#include "test_media.h"
#include "videocd/track_panel.h"
#include "videocd/video_cd_loader.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
// The drives are scripted; their discs are read by the real disc layer.
struct DiscsRig : FakeRig {
    explicit DiscsRig(const QList<CdDrive>& list)
    {
        drives.list = list;
        discs.library.setDrives(list);
        lister = &discs.lister;
    }
    DiscRig discs{QString()};
};
} // namespace

// Detection on generated disc images: the drives are scripted, the discs are real.
class TestVideoCdDiscs : public QObject {
    Q_OBJECT
private slots:
    void discInFirstDrivePlaysTrackOne();
    void noticeShowsWhileTheTrackOpens();
    void discInSecondDriveFoundByRetry();
    void discWithoutMovieFolder();
    void patternChosenEarlierIsKept();
};

void TestVideoCdDiscs::discInFirstDrivePlaysTrackOne()
{
    DiscsRig rig(QList<CdDrive>{{"img0", TestMedia::disc("vcd-a.cue"), true}});
    Playerfrm& w = rig.load();
    VideoCdLoader& vcd = w.videoCd();
    QCOMPARE(vcd.txtCDdrive, QString("IMG0"));
    QCOMPARE(vcd.Text2, QString("IMG0:\\Mpegav"));
    QCOMPARE(w.engine().File1().entries(),
             (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT", "AVSEQ03.DAT"}));
    QCOMPARE(rig.player.openedFiles, QStringList{"IMG0:\\Mpegav\\AVSEQ01.DAT"});
    QCOMPARE(w.engine().status(), StatusText::playing("AVSEQ01.DAT"));
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("01 of 3"));
    QVERIFY(w.trackPanel().Songcmd[2]->isEnabled());
    QVERIFY(!w.trackPanel().Songcmd[3]->isEnabled());
    QVERIFY(!vcd.noticeShown()); // closed once the track played
    QVERIFY(w.mnuaddbookmark->isEnabled());
}

// The first track's load goes out before the notice is painted; the notice still shows while
// the track opens (here its opening completes in the events the notice lets through) and goes
// once it plays, for a disc in the first drive and for one found by the retry. While the
// player is still starting, the notice shows first, in the time the load would wait.
void TestVideoCdDiscs::noticeShowsWhileTheTrackOpens()
{
    struct NoticeWatch : QObject {
        QStringList seen; // what had been asked of the player when the notice showed
        const FakeMediaPlayer* player = nullptr;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && watched->objectName() == "frmInitiali")
                seen << player->openedFiles.join(',');
            return false;
        }
    };
    for (const bool starting : {false, true}) {
        for (const bool retry : {false, true}) {
            QList<CdDrive> drives{{"img0", TestMedia::disc("vcd-a.cue"), true}};
            if (retry)
                drives.prepend(CdDrive{"sr0", "/nonexistent/sr0", false});
            DiscsRig rig(drives);
            rig.player.starting = starting;
            NoticeWatch watch;
            watch.player = &rig.player;
            qApp->installEventFilter(&watch);
            Playerfrm& w = rig.load();
            qApp->removeEventFilter(&watch);
            const QString openedFirst = starting ? "" : "IMG0:\\Mpegav\\AVSEQ01.DAT";
            QCOMPARE(watch.seen, QStringList{openedFirst});
            QVERIFY(!w.videoCd().noticeShown());
            QCOMPARE(w.engine().status(), StatusText::playing("AVSEQ01.DAT"));
        }
    }
}

void TestVideoCdDiscs::discInSecondDriveFoundByRetry()
{
    DiscsRig rig(QList<CdDrive>{{"sr0", "/nonexistent/sr0", false},
                                {"img0", TestMedia::disc("mode1.iso"), true}});
    Playerfrm& w = rig.load();
    VideoCdLoader& vcd = w.videoCd();
    QCOMPARE(vcd.List1, (QStringList{"sr0", "img0", "sr0", "img0"}));
    QCOMPARE(vcd.Text2, QString("IMG0:\\Mpegav"));
    QCOMPARE(rig.player.openedFiles, QStringList{"IMG0:\\Mpegav\\AVSEQ01.DAT"});

    w.trackPanel().Songcmd[2]->click();
    QCOMPARE(rig.player.FileName(), QString("IMG0:\\Mpegav\\AVSEQ03.DAT"));
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("03 of 3"));
}

void TestVideoCdDiscs::discWithoutMovieFolder()
{
    for (const char* image : {"no-mpegav.iso", "empty-mpegav.iso", "stub.cue"}) {
        DiscsRig rig(QList<CdDrive>{{"img0", TestMedia::disc(image), true}});
        Playerfrm& w = rig.load();
        QCOMPARE(w.engine().status(), StatusText::NoMovies);
        QVERIFY2(rig.player.openedFiles.isEmpty(), image);
    }
}

void TestVideoCdDiscs::patternChosenEarlierIsKept()
{
    DiscsRig rig(QList<CdDrive>{{"img0", TestMedia::disc("vcd-a.cue"), true}});
    Playerfrm& w = rig.window();
    w.engine().File1().setPattern("*.mp3");
    w.Command29();
    QCOMPARE(w.engine().status(), StatusText::NoMovies);
}

QTEST_MAIN(TestVideoCdDiscs)
#include "test_video_cd_discs.moc"

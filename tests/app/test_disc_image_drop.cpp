// Files dropped onto the main window, with the real player (no picture, no sound) and the real
// disc layer on the images of scripts/make-test-discs.sh: a disc image plays as a disc, as one
// named on the command line does; anything else is refused and changes nothing.

#include "app/disc_image_drop.h"
#include "app/player_window.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/player/mpv_player.h"
#include "playback/playback_engine.h"
#include "test_media.h"
#include "videocd/video_cd_loader.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <clocale>
#include <memory>

namespace {
// The program with no CD drive at all, the real player and disc layer.
struct Run {
    Run()
        : discs(QString()), player(MpvPlayer::Options{false, {"ao=null"}, &discs.library}),
          mci(discs.drives)
    {
        PlatformServices services = fakes.services();
        services.player = &player;
        services.drives = &discs.drives;
        services.folderLister = &discs.lister;
        services.mci = &mci;
        window = std::make_unique<Playerfrm>(services);
        window->Form_Load(QString());
    }
    // The drag as it comes in, then the drop: whether each was accepted.
    std::pair<bool, bool> drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPointF at(window->width() / 2.0, window->height() / 3.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &drop);
        return {enter.isAccepted(), drop.isAccepted()};
    }

    DiscRig discs;
    FakeRig fakes; // settings, folders and the process end
    MpvPlayer player;
    MciInterpreter mci;
    std::unique_ptr<Playerfrm> window;
};

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}
} // namespace

class TestDiscImageDrop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void drops_data();
    void drops();
};

void TestDiscImageDrop::drops_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<bool>("plays");
    const QUrl cue = file(TestMedia::disc("vcd-a.cue"));
    const QUrl iso = file(TestMedia::disc("mode1.iso"));
    const QUrl text = file(TestMedia::disc("vcd-a.cue") + ".txt");
    QTest::newRow("a .cue") << QList<QUrl>{cue} << true;
    QTest::newRow("a text file, then a .cue: the .cue") << QList<QUrl>{text, cue} << true;
    QTest::newRow("a file that is no disc image") << QList<QUrl>{text} << false;
    QTest::newRow("a .cue on the web") << QList<QUrl>{QUrl("https://example.org/a.cue")} << false;
    QTest::newRow("nothing") << QList<QUrl>{} << false;
    QTest::newRow("an .iso") << QList<QUrl>{iso} << true;
}

void TestDiscImageDrop::drops()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(bool, plays);
    QMimeData data;
    data.setUrls(urls);
    const bool image = DiscImageDrop::imageIn(&data).has_value();
    Run run;
    const QString statusBefore = run.window->engine().status();
    const auto [entered, dropped] = run.drop(urls);
    QCOMPARE(entered, image);
    QCOMPARE(dropped, image);
    if (plays) {
        QVERIFY(
            QTest::qWaitFor([&] { return run.player.PlayState() == MediaPlayer::Playing; }, 10000));
        QCOMPARE(run.player.FileName(), QString("IMG0:\\Mpegav\\AVSEQ01.DAT"));
        QCOMPARE(run.window->videoCd().txtCDdrive, QString("IMG0"));
    } else if (!image) {
        QCOMPARE(run.player.PlayState(), MediaPlayer::Stopped);
        QCOMPARE(run.window->engine().status(), statusBefore);
        QCOMPARE(run.discs.drives.drives().size(), 0);
    }
}

QTEST_MAIN(TestDiscImageDrop)
#include "test_disc_image_drop.moc"

// The bookmark through two runs of the real executable on a disc image: saved with the
// Bookmark button while track 3 plays, the program left with Exit, started again, track 3
// chosen — and "Retrieve  Bookmark", chosen in the popup menu, jumps to the saved second.

#include "gui_session.h"
#include "settings/product.h"
#include "test_media.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString RetrieveOn = QStringLiteral("bookmark: add off, retrieve on, clear on");

// One run of the player on vcd-a with the settings in `config`.
struct Run {
    explicit Run(const QString& config)
    {
        started = session.startPlayer({}, {"TAMREL_CD_DRIVES=" + TestMedia::disc("vcd-a.cue"),
                                           "TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null",
                                           "XDG_CONFIG_HOME=" + config});
        window = started ? session.waitForWindow(Product::Caption) : QString();
    }
    // A control of the front panel (at 6600 twips) by its rectangle's left and top in twips.
    bool click(int leftTwips, int topTwips)
    {
        return session.xdotool({"mousemove", "--window", window,
                                QString::number(leftTwips / 15 + 10),
                                QString::number((6600 + topTwips) / 15 + 8), "click", "1"});
    }
    bool playTrackThree()
    {
        return session.waitForLine("track: 01 of 3") && click(120 + 480 * 2, 500) &&
               session.waitForLine("track: 03 of 3");
    }
    // Lines printed from `from` on, after waiting `ms` for more.
    QStringList linesSince(qsizetype from, int ms)
    {
        session.waitForLineWhere([](const QString&) { return false; }, ms);
        return session.lines().mid(from);
    }

    GuiSession session;
    bool started = false;
    QString window;
};

} // namespace

class TestGuiBookmark : public QObject {
    Q_OBJECT
private slots:
    void savedQuitAndRetrieved();
};

void TestGuiBookmark::savedQuitAndRetrieved()
{
    QTemporaryDir config;
    int saved = -1;
    {
        Run first(config.path());
        QVERIFY(!first.window.isEmpty());
        QVERIFY(first.playTrackThree());
        QVERIFY(first.session.waitForLine("time: 0:3"));
        QVERIFY(first.click(6015, 80)); // Bookmark
        QVERIFY(first.session.waitForLine(RetrieveOn, 3000));
        saved = 3;
        QVERIFY(first.click(10965, 80)); // Exit
        QVERIFY(first.session.player().waitForFinished(5000));
    }

    Run again(config.path());
    QVERIFY(!again.window.isEmpty());
    const qsizetype start = again.session.lines().size();
    QVERIFY(again.playTrackThree());
    // Track 3 playing is the bookmark's file on the bookmark's disc.
    QTRY_VERIFY_WITH_TIMEOUT(again.linesSince(start, 100).contains(RetrieveOn), 3000);
    // Each menu that opens is one more window of the player's.
    qsizetype windows = again.session.playerWindows().size();
    const auto menuOpened = [&] {
        return QTest::qWaitFor([&] { return again.session.playerWindows().size() > windows; },
                               10000);
    };
    QVERIFY(again.click(3405, 80)); // Menu
    QVERIFY(menuOpened());
    windows = again.session.playerWindows().size();
    // VCD, its first item, then down past "Open  (Browse)" to "Retrieve  Bookmark": the
    // keyboard skips disabled items, so a disabled Retrieve would not be the one chosen.
    for (const char* key : {"Down", "Right", "Down", "Down"}) {
        QVERIFY(again.session.xdotool({"key", key}));
        if (key == QLatin1String("Right"))
            QVERIFY(menuOpened()); // VCD's own menu
    }
    const QStringList before = again.linesSince(start, 0);
    const auto lastTime = std::find_if(before.rbegin(), before.rend(),
                                       [](const QString& line) { return secondsOf(line) >= 0; });
    QVERIFY(lastTime == before.rend() || secondsOf(*lastTime) < saved - 1);
    const qsizetype chosen = again.session.lines().size();
    QVERIFY(again.session.xdotool({"key", "Return"}));
    // The elapsed time jumps to the saved second: shown there without passing the second
    // before it, as playing would. (A tick of the old time may still come first.)
    QStringList times;
    const bool timeShown = QTest::qWaitFor(
        [&] {
            times.clear();
            for (const QString& line : again.linesSince(chosen, 100))
                if (secondsOf(line) >= 0)
                    times << line;
            return !times.isEmpty() && secondsOf(times.last()) >= saved;
        },
        10000);
    const QString log = again.session.lines().mid(start).join('\n');
    QVERIFY2(timeShown && secondsOf(times.last()) <= saved + 1, qPrintable(log));
    for (const QString& line : times)
        QVERIFY2(secondsOf(line) != saved - 1, qPrintable(log));
}

QTEST_MAIN(TestGuiBookmark)
#include "test_gui_bookmark.moc"

// The real executable under Xvfb and openbox, driven from the keyboard alone as a user without a
// mouse drives it (xdotool keys), and the first minutes of a new user: a missing file on the
// command line, and a list's end followed by another track.

#include "gui_session.h"
#include "settings/product.h"
#include "test_media.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A session of the player, started with the trace on and its own settings folder.
struct Player {
    explicit Player(const QStringList& arguments, const QStringList& environment = {})
    {
        started = session.startPlayer(arguments,
                                      QStringList{"TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null",
                                                  "XDG_CONFIG_HOME=" + config.path()} +
                                          environment);
        if (started)
            window = session.waitForWindow(Product::Caption);
    }
    bool key(const QString& keys)
    {
        return session.xdotool({"windowactivate", "--sync", window}) &&
               session.xdotool({"key", "--clearmodifiers", keys});
    }
    // Opens the popup menu with these keys and waits until it has the keyboard.
    bool openMenu(const QString& keys)
    {
        return key(keys) &&
               session.waitForNewLine([](const QString& l) { return l == "menu: open"; }, 5000);
    }
    // A window of the player with this title, visible, or an empty id.
    QString windowTitled(const QString& title, int timeoutMs = 5000)
    {
        return session.waitForWindow(title, timeoutMs);
    }
    bool gone(const QString& title)
    {
        QString ids;
        const QString exact = '^' + QRegularExpression::escape(title) + '$';
        for (int tries = 0; tries < 50; ++tries) {
            if (!session.xdotool({"search", "--onlyvisible", "--name", exact}, &ids) ||
                ids.isEmpty())
                return true;
            session.waitForNewLine([](const QString&) { return false; }, 100);
        }
        return false;
    }

    QTemporaryDir config;
    GuiSession session;
    bool started = false;
    QString window;
};

} // namespace

class TestGuiKeyboard : public QObject {
    Q_OBJECT
private slots:
    void seekKeysMoveThePlayingClip();
    void volumeKeysTurnTheMainKnob();
    void menuKeysReachEveryCommandAndEscCloses();
    void tabAndSpacePressAButton();
    void missingFileIsSaidOnce_data();
    void missingFileIsSaidOnce();
    void laterTracksAfterAListEndShowWhole();
};

void TestGuiKeyboard::seekKeysMoveThePlayingClip()
{
    Player player({TestMedia::clip("long.mpg")}); // 20 seconds
    QVERIFY(!player.window.isEmpty());
    QVERIFY(player.session.waitForLine("status: Playing Long.mpg  ........"));
    QVERIFY(player.session.waitForLineWhere([](const QString& l) { return secondsOf(l) >= 1; }));
    // Right: five seconds on; the elapsed time shows it at its next tick.
    QVERIFY(player.key("Right"));
    QVERIFY(
        player.session.waitForNewLine([](const QString& l) { return secondsOf(l) >= 6; }, 4000));
    QVERIFY(player.key("Left"));
    QVERIFY(player.session.waitForNewLine(
        [](const QString& l) { return secondsOf(l) >= 0 && secondsOf(l) <= 4; }, 4000));
    // Shift+Right: thirty seconds on, past the end of the clip: the list ends.
    QVERIFY(player.key("shift+Right"));
    QVERIFY(player.session.waitForNewLine(
        [](const QString& l) { return l == "status: Tamrel VCD Player"; }, 5000));
    // No key typed a character: the clip was never restarted by them.
    QCOMPARE(player.session.lines().filter("status: Loading").size(), 1);
}

void TestGuiKeyboard::volumeKeysTurnTheMainKnob()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("needs the test command's sound server (PULSE_SERVER)");
    QProcess::execute("pactl", {"set-sink-volume", "@DEFAULT_SINK@", "32768"});
    QProcess::execute("pactl", {"set-sink-mute", "@DEFAULT_SINK@", "0"});
    Player player({TestMedia::clip("long.mpg")});
    QVERIFY(!player.window.isEmpty());
    const std::optional<QString> start =
        player.session.waitForLineWhere([](const QString& l) { return volumeOf(l) >= 0; });
    QVERIFY(start);
    const int level = volumeOf(*start);
    QVERIFY(player.key("Up"));
    QVERIFY(player.session.waitForNewLine(
        [level](const QString& l) { return volumeOf(l) == level + 5; }, 4000));
    QVERIFY(player.key("Down"));
    QVERIFY(player.session.waitForNewLine(
        [level](const QString& l) { return volumeOf(l) == level; }, 4000));
    QVERIFY(player.key("ctrl+m"));
    QVERIFY(player.session.waitForNewLine([](const QString& l) { return l == "mute: on"; }, 4000));
    QVERIFY(player.key("ctrl+m"));
    QVERIFY(player.session.waitForNewLine([](const QString& l) { return l == "mute: off"; }, 4000));
}

void TestGuiKeyboard::menuKeysReachEveryCommandAndEscCloses()
{
    Player player({}, {"TAMREL_CD_DRIVES="});
    QVERIFY(!player.window.isEmpty());
    // The Menu key, then Help: the quick help opens; Esc closes it.
    QVERIFY(player.openMenu("Menu"));
    QVERIFY(player.session.xdotool({"key", "Up", "Up", "Up", "Return"})); // Cancel, Exit, Help
    QVERIFY(!player.windowTitled("Quick Help").isEmpty());
    QVERIFY(player.session.xdotool({"key", "Escape"}));
    QVERIFY(player.gone("Quick Help"));
    // Shift+F10, then About this program.
    QVERIFY(player.openMenu("shift+F10"));
    QVERIFY(player.session.xdotool({"key", "Down", "Down", "Return"}));
    QVERIFY(!player.windowTitled("About This Product  ......").isEmpty());
    QVERIFY(player.session.xdotool({"key", "Escape"}));
    QVERIFY(player.gone("About This Product  ......"));
    // Into a submenu: VCD, Open (Browse); Esc closes the chooser as its Cancel does.
    QVERIFY(player.openMenu("Menu"));
    QVERIFY(player.session.xdotool({"key", "Down", "Right", "Down", "Return"}));
    QVERIFY(!player.windowTitled("Folder").isEmpty());
    QVERIFY(player.session.xdotool({"key", "Escape"}));
    QVERIFY(player.gone("Folder"));
}

void TestGuiKeyboard::tabAndSpacePressAButton()
{
    Player player({TestMedia::clip("long.mpg")});
    QVERIFY(!player.window.isEmpty());
    QVERIFY(player.session.waitForLine("status: Playing Long.mpg  ........"));
    // From the picture: Play, Pause, Stop; Space presses Stop.
    QVERIFY(player.key("Tab"));
    QVERIFY(player.session.xdotool({"key", "Tab", "Tab", "space"}));
    QVERIFY(player.session.waitForNewLine(
        [](const QString& l) { return l == "status: Please wait .....Stop ....."; }, 4000));
    // Return on the button is a typed character: the track restarts, Stop is not pressed.
    const int stops = int(player.session.lines().filter("Please wait .....Stop").size());
    QVERIFY(player.session.xdotool({"key", "Return"}));
    QVERIFY(player.session.waitForNewLine(
        [](const QString& l) { return l == "status: Playing Long.mpg  ........"; }, 4000));
    QCOMPARE(int(player.session.lines().filter("Please wait .....Stop").size()), stops);
}

void TestGuiKeyboard::missingFileIsSaidOnce_data()
{
    QTest::addColumn<QString>("drives");
    QTest::addColumn<QStringList>("statuses"); // in this order, after the start
    QTest::newRow("disc in the drive") << TestMedia::demoDisc()
                                       << QStringList{"status: File not found: nothere.mpg",
                                                      "status: Playing Avseq01.dat  ........"};
    QTest::newRow("no drive") << "" << QStringList{"status: File not found: nothere.mpg"};
}

// The file is not there: said once; the disc plays on and says so; nothing is opened again.
void TestGuiKeyboard::missingFileIsSaidOnce()
{
    QFETCH(QString, drives);
    QFETCH(QStringList, statuses);
    Player player({"nothere.mpg"}, {"TAMREL_CD_DRIVES=" + drives});
    QVERIFY(!player.window.isEmpty());
    QVERIFY(player.session.waitForLine(statuses.first(), 10000));
    if (!drives.isEmpty()) {
        QVERIFY(player.session.waitForNewLine(
            [&](const QString& l) { return l == statuses.last(); }, 10000));
        QVERIFY(player.session.waitForLine("track: 01 of 12"));
    }
    // Five seconds in which the file would have been reopened twice: nothing more is said of
    // it and no failure is reported.
    QVERIFY(!player.session.waitForNewLine(
        [](const QString& l) {
            return l.contains("nothere", Qt::CaseInsensitive) || l.contains("not supported") ||
                   l.startsWith("status: Loading");
        },
        5000));
    const QStringList said = player.session.lines().filter(QRegularExpression("^status: "));
    QCOMPARE(said.filter("nothere", Qt::CaseInsensitive).size(), 1);
    QCOMPARE(said.mid(said.indexOf(statuses.first())).mid(0, statuses.size()), statuses);
}

// The issue a user met first: after a list's end, the next track was drawn at double size and
// cut off. Now it shows whole: fitted between black bars, its bottom rows on the screen.
void TestGuiKeyboard::laterTracksAfterAListEndShowWhole()
{
    Player player({}, {"TAMREL_CD_DRIVES=" + TestMedia::demoDisc()});
    QVERIFY(!player.window.isEmpty());
    QVERIFY(player.session.waitForLine("track: 01 of 12"));
    QVERIFY(player.key("c")); // track 12, the last
    QVERIFY(player.session.waitForLine("track: 12 of 12"));
    QVERIFY(player.session.waitForNewLine(
        [](const QString& l) { return l == "status: Tamrel VCD Player"; }, 15000));
    QVERIFY(player.key("1"));
    QVERIFY(player.session.waitForNewLine(
        [](const QString& l) { return l == "status: Playing Avseq01.dat  ........"; }, 5000));
    // The demo picture (4:3) in the 780 x 392 video area: fitted, it leaves black bars of about
    // 128 pixels either side; at twice its size (768 x 576) cropped, almost none.
    const QRect window = player.session.windowGeometry(player.window);
    const auto barsBeside = [&] {
        const QImage screen = player.session.grabScreen();
        const int y = window.top() + window.height() * 392 / 521 / 2; // the video area's middle
        int bar = 0;
        while (bar < 300 && qGray(screen.pixel(window.left() + 2 + bar, y)) < 16)
            ++bar;
        return bar;
    };
    QTRY_VERIFY_WITH_TIMEOUT(barsBeside() > 100, 5000);
}

QTEST_MAIN(TestGuiKeyboard)
#include "test_gui_keyboard.moc"

#include "gui_session.h"
#include "test_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString MainTitle = QStringLiteral("Tamrel VCD Player version 2.2.2");

bool startOnTwelveTracks(GuiSession& session, const QTemporaryDir& config)
{
    return session.startPlayer({}, {"TAMREL_CD_DRIVES=" + TestMedia::disc("twelve.cue"),
                                    "TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null",
                                    "XDG_CONFIG_HOME=" + config.path()});
}

QString settingsText(const QTemporaryDir& config)
{
    QFile file(config.filePath("Tamrel VCD Player/Tamrel VCD Player.ini"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString playing(int track)
{
    return QStringLiteral("status: Playing Avseq%1.dat  ........")
        .arg(track, 2, 10, QLatin1Char('0'));
}

} // namespace

// The song queue on the real player, on a disc image of twelve tracks of 2 s.
class TestGuiQueue : public QObject {
    Q_OBJECT
private slots:
    void queuedSongsPlayInTurnAndOutliveARestart();
};

void TestGuiQueue::queuedSongsPlayInTurnAndOutliveARestart()
{
    QTemporaryDir config;
    {
        GuiSession session;
        QVERIFY(startOnTwelveTracks(session, config));
        const QString window = session.waitForWindow(MainTitle);
        QVERIFY(!window.isEmpty());
        QVERIFY2(session.waitForLine(playing(1)), qPrintable(session.lines().join('\n')));
        QVERIFY(session.xdotool({"windowactivate", "--sync", window}));
        // Paused, so that track 1 does not end before the queue is made.
        QVERIFY(session.xdotool({"key", "space"}));
        QVERIFY(session.waitForLine("status: Paused ,hit spacebar to release"));
        QVERIFY(session.xdotool({"key", "F2"}));
        const QString queueWindow = session.waitForWindow("Song Queue");
        QVERIFY2(!queueWindow.isEmpty(), qPrintable(session.lines().join('\n')));
        QVERIFY(session.xdotool({"windowactivate", "--sync", queueWindow}));
        // Typed into the queue, the digits never reach the main window's track keys.
        QVERIFY(session.xdotool({"type", "7"}));
        QVERIFY(session.xdotool({"key", "Return"}));
        QVERIFY(session.xdotool({"type", "3"}));
        QVERIFY(session.xdotool({"key", "Return"}));
        QVERIFY2(session.waitForLine(QStringLiteral("queue: Next: 07 \u00b7 03")),
                 qPrintable(session.lines().join('\n')));
        QVERIFY(!session.lines().contains("track: 07 of 12"));
        QVERIFY(!session.lines().contains("track: 03 of 12"));
        // Saved shortly after: the next start finds it.
        QTRY_VERIFY_WITH_TIMEOUT(settingsText(config).contains("[SongQueue]"), 10000);
    }

    GuiSession session;
    QVERIFY(startOnTwelveTracks(session, config));
    QVERIFY2(session.waitForLine(QStringLiteral("queue: Next: 07 \u00b7 03")),
             qPrintable(session.lines().join('\n')));
    // Track 1 ends: the queue plays, then the play order goes on after the last queued song.
    for (const int track : {1, 7, 3, 4})
        QVERIFY2(session.waitForLine(playing(track), 20000),
                 qPrintable(session.lines().join('\n')));
    QVERIFY(session.lines().contains("queue: empty"));
    QVERIFY(!session.lines().contains(playing(2)));
}

QTEST_MAIN(TestGuiQueue)
#include "test_gui_queue.moc"

#include "gui_session.h"
#include "test_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The real player on a generated Video CD: the karaoke keys from the keyboard, their caption,
// and a song's key coming back after the program is started again on the same disc.
class TestGuiKaraoke : public QObject {
    Q_OBJECT
private slots:
    void keyComesBackAfterRestart();

private:
    QString startOnDisc(GuiSession& session, const QString& config);
};

QString TestGuiKaraoke::startOnDisc(GuiSession& session, const QString& config)
{
    const QString image = TestMedia::disc("vcd-a.cue");
    if (!session.startPlayer({}, {"TAMREL_CD_DRIVES=" + image, "TAMREL_TRACE=1",
                                  "TAMREL_MPV_OPTIONS=ao=null", "XDG_CONFIG_HOME=" + config}))
        return {};
    return session.waitForWindow("Tamrel VCD Player version 2.2.2");
}

void TestGuiKaraoke::keyComesBackAfterRestart()
{
    QTemporaryDir config;
    const QString settings = config.filePath("Tamrel VCD Player/Tamrel VCD Player.ini");
    {
        GuiSession session;
        const QString window = startOnDisc(session, config.path());
        QVERIFY(!window.isEmpty());
        QVERIFY2(session.waitForLine("track: 01 of 3"), qPrintable(session.lines().join('\n')));
        QVERIFY(session.xdotool({"windowactivate", "--sync", window}));
        QVERIFY(session.xdotool({"key", "ctrl+Up", "ctrl+Up"}));
        QVERIFY2(session.waitForLine("karaoke: Key +2"), qPrintable(session.lines().join('\n')));
        // Ctrl+Up typed no character: track 1 was not restarted.
        QCOMPARE(session.lines().count("track: 01 of 3"), 1);
        // Written once the keys stop, in the song section.
        const auto stored = [&settings] {
            QFile file(settings);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(stored().contains("[Karaoke]\nSong-"), 10000);
        QVERIFY2(stored().contains("=2 100 1 vcd:"), stored().constData());
    }
    GuiSession again;
    const QString window = startOnDisc(again, config.path());
    QVERIFY(!window.isEmpty());
    QVERIFY2(again.waitForLine("track: 01 of 3"), qPrintable(again.lines().join('\n')));
    QVERIFY2(again.waitForLine("karaoke: Key +2"), qPrintable(again.lines().join('\n')));
    // Another track of the disc starts in its own key.
    QVERIFY(again.xdotool({"windowactivate", "--sync", window}));
    QVERIFY(again.xdotool({"type", "2"}));
    QVERIFY2(again.waitForLine("track: 02 of 3"), qPrintable(again.lines().join('\n')));
    QVERIFY2(again.waitForLine("karaoke: original"), qPrintable(again.lines().join('\n')));
}

QTEST_MAIN(TestGuiKaraoke)
#include "test_gui_karaoke.moc"

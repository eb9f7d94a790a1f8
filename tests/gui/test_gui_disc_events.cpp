#include "gui_session.h"
#include "test_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString Title = QStringLiteral("Tamrel VCD Player version 2.2.2");
const QString PlayingFirst = QStringLiteral("status: Playing Avseq01.dat  ........");

// Writes disc changes to the player's FIFO, as a drive's reports would come.
class EventWriter {
public:
    explicit EventWriter(const QString& fifo)
        : m_fd(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_CLOEXEC))
    {
    }
    ~EventWriter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool send(const QString& line)
    {
        const QByteArray bytes = line.toUtf8() + '\n';
        return m_fd >= 0 && ::write(m_fd, bytes.constData(), bytes.size()) == bytes.size();
    }

private:
    int m_fd;
};

// Whether a line printed since line `from` satisfies `wanted`, waiting for one up to a bound.
bool printedSince(GuiSession& session, qsizetype from,
                  const std::function<bool(const QString&)>& wanted, int timeoutMs = 10000)
{
    return QTest::qWaitFor(
        [&] {
            session.waitForLineWhere([](const QString&) { return false; }, 100); // reads them
            const QStringList since = session.lines().mid(from);
            return std::any_of(since.begin(), since.end(), wanted);
        },
        timeoutMs);
}

std::function<bool(const QString&)> is(const QString& line)
{
    return [line](const QString& printed) { return printed == line; };
}
} // namespace

// The real player with an image drive whose disc comes and goes as the lines of its
// TAMREL_DISC_EVENTS FIFO say.
class TestGuiDiscEvents : public QObject {
    Q_OBJECT
private slots:
    void discGoingInPlaysOnceAndGoingOutStops();
};

void TestGuiDiscEvents::discGoingInPlaysOnceAndGoingOutStops()
{
    QTemporaryDir dir;
    QTemporaryDir config;
    const QString fifo = dir.filePath("events");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString drive = dir.filePath("vcd-a.cue"); // no disc in it yet
    GuiSession session;
    QVERIFY(session.startPlayer({}, {"TAMREL_TRACE=1", "TAMREL_MPV_OPTIONS=ao=null",
                                     "XDG_CONFIG_HOME=" + config.path(),
                                     "TAMREL_CD_DRIVES=" + drive, "TAMREL_DISC_EVENTS=" + fifo}));
    QVERIFY(!session.waitForWindow(Title).isEmpty());
    QVERIFY2(session.waitForLine("status: No movies files in the Cd-rom drive."),
             qPrintable(session.lines().join('\n')));

    // The disc goes in: the drive reports it twice while it spins up, and it plays once.
    QVERIFY(QFile::copy(TestMedia::disc("vcd-a.bin"), dir.filePath("vcd-a.bin")));
    QVERIFY(QFile::copy(TestMedia::disc("vcd-a.cue"), drive));
    EventWriter events(fifo);
    QVERIFY(events.send("inserted " + drive));
    QVERIFY(events.send("inserted " + drive));
    QVERIFY2(session.waitForLine(PlayingFirst, 15000), qPrintable(session.lines().join('\n')));
    QVERIFY(session.waitForLine("track: 01 of 3"));
    QCOMPARE(session.lines().count("disc: IMG0 in, looked for"), 1);

    // Another report while it plays changes nothing: the time runs on, nothing loads again.
    const qsizetype playing = session.lines().size();
    QVERIFY(events.send("inserted " + drive));
    QVERIFY(events.send("a line that means nothing"));
    QVERIFY(printedSince(session, playing, is("disc: IMG0 in, left alone")));
    const qsizetype reported = session.lines().size();
    QVERIFY2(printedSince(session, reported, [](const QString& l) { return secondsOf(l) >= 0; }),
             qPrintable(session.lines().mid(playing).join('\n')));
    // The disc may chain to its next track meanwhile (clip 1 lasts 4 s), but never restarts.
    for (const QString& line : session.lines().mid(playing))
        QVERIFY2(!line.startsWith("status: Loading") && line != "track: 01 of 3" &&
                     line != "disc: IMG0 in, looked for",
                 qPrintable(line));

    // Taken out: playback ends as the Stop button ends it, without a notice.
    const qsizetype removed = session.lines().size();
    QVERIFY(events.send("removed " + drive));
    QVERIFY2(printedSince(session, removed, is("disc: IMG0 out, playback stopped")),
             qPrintable(session.lines().mid(removed).join('\n')));
    QVERIFY(printedSince(session, removed, is("status: Tamrel VCD Player")));
    for (const QString& line : session.lines().mid(removed))
        QVERIFY2(!line.contains("not supported") && !line.contains("not found"), qPrintable(line));
    QCOMPARE(session.player().state(), QProcess::Running);

    // Left idle, not loading the next track: the disc put back in plays again.
    const qsizetype back = session.lines().size();
    QVERIFY(events.send("inserted " + drive));
    QVERIFY2(printedSince(session, back, is("disc: IMG0 in, looked for")),
             qPrintable(session.lines().mid(removed).join('\n')));
    QVERIFY(printedSince(session, back, is(PlayingFirst), 15000));
}

QTEST_MAIN(TestGuiDiscEvents)
#include "test_gui_disc_events.moc"

#include "platform/disc/disc_event_lines.h"
#include "platform/disc/line_disc_change_events.h"
#include "platform/disc/udev_disc_change_events.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using Changes = QList<DiscChange>;
using Properties = QMap<QString, QString>;

Changes changesIn(const QSignalSpy& spy)
{
    Changes changes;
    for (const QList<QVariant>& signal : spy)
        changes << DiscChange{signal.at(0).toString(), signal.at(1).toBool()};
    return changes;
}

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

bool writeAll(int fd, const QByteArray& bytes)
{
    return ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
}
} // namespace

Q_DECLARE_METATYPE(DiscChange)

class TestDiscChangeEvents : public QObject {
    Q_OBJECT
private slots:
    void udevDevices_data();
    void udevDevices();
    void udevMonitorOpensAndClosesCleanly();
    void lines_data();
    void lines();
    void linesInPieces();
    void fifoLinesArriveAsWritersComeAndGo();
    void fileLinesArriveAsItGrows();
    void pathThatCannotBeReadIsQuiet();
};

void TestDiscChangeEvents::udevDevices_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("sysName");
    QTest::addColumn<Properties>("properties");
    QTest::addColumn<std::optional<DiscChange>>("change");
    const Properties in{{"DISK_MEDIA_CHANGE", "1"}, {"ID_CDROM_MEDIA", "1"}};
    const Properties out{{"DISK_MEDIA_CHANGE", "1"}};
    const std::optional<DiscChange> none;
    QTest::newRow("disc in") << "change"
                             << "sr0" << in << std::optional(DiscChange{"/dev/sr0", true});
    QTest::newRow("disc out") << "change"
                              << "sr0" << out << std::optional(DiscChange{"/dev/sr0", false});
    QTest::newRow("media flag 0") << "change"
                                  << "sr0"
                                  << Properties{{"DISK_MEDIA_CHANGE", "1"}, {"ID_CDROM_MEDIA", "0"}}
                                  << std::optional(DiscChange{"/dev/sr0", false});
    QTest::newRow("no media change: a rescan")
        << "change"
        << "sr0" << Properties{{"ID_CDROM_MEDIA", "1"}} << none;
    QTest::newRow("drive plugged in") << "add"
                                      << "sr0" << in << none;
    QTest::newRow("a hard disk") << "change"
                                 << "sda" << in << none;
    QTest::newRow("a partition-like name") << "change"
                                           << "sr0p1" << in << none;
}

void TestDiscChangeEvents::udevDevices()
{
    QFETCH(QString, action);
    QFETCH(QString, sysName);
    QFETCH(Properties, properties);
    QFETCH(std::optional<DiscChange>, change);
    const UdevDiscChangeEvents::Device device{action, sysName, "/dev/" + sysName, properties};
    QCOMPARE(UdevDiscChangeEvents::changeOf(device), change);
}

void TestDiscChangeEvents::udevMonitorOpensAndClosesCleanly()
{
    // With or without udev (a container has none): built, woken and taken down, leaving no
    // descriptor open behind it.
    const qsizetype before = openDescriptors();
    for (int i = 0; i < 3; ++i) {
        UdevDiscChangeEvents events;
        QCoreApplication::processEvents();
        if (events.listening())
            QVERIFY(openDescriptors() > before);
    }
    QCOMPARE(openDescriptors(), before);
}

void TestDiscChangeEvents::lines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<std::optional<DiscChange>>("change");
    const std::optional<DiscChange> none;
    QTest::newRow("inserted") << QByteArray("inserted /dev/sr0")
                              << std::optional(DiscChange{"/dev/sr0", true});
    QTest::newRow("removed, spaces around")
        << QByteArray("  removed   /dev/sr1 \r") << std::optional(DiscChange{"/dev/sr1", false});
    QTest::newRow("image path with a space") << QByteArray("inserted /tmp/my disc.cue")
                                             << std::optional(DiscChange{"/tmp/my disc.cue", true});
    QTest::newRow("no node") << QByteArray("inserted") << none;
    QTest::newRow("blank node") << QByteArray("removed   ") << none;
    QTest::newRow("unknown word") << QByteArray("ejected /dev/sr0") << none;
    QTest::newRow("case matters") << QByteArray("INSERTED /dev/sr0") << none;
    QTest::newRow("control character") << QByteArray("inserted /dev/s\x01r0") << none;
    QTest::newRow("not UTF-8") << QByteArray("inserted /dev/\xff\xfe") << none;
    QTest::newRow("empty") << QByteArray() << none;
    QTest::newRow("too long") << "inserted /" + QByteArray(DiscEventLines::MaxLine, 'a') << none;
}

void TestDiscChangeEvents::lines()
{
    QFETCH(QByteArray, line);
    QFETCH(std::optional<DiscChange>, change);
    QCOMPARE(DiscEventLines::parse(line), change);
    DiscEventLines fed;
    QCOMPARE(fed.feed(line + '\n'), change ? Changes{*change} : Changes{});
}

void TestDiscChangeEvents::linesInPieces()
{
    DiscEventLines fed;
    QCOMPARE(fed.feed("inser"), Changes{});
    QCOMPARE(fed.feed("ted /dev/sr0\nremoved /dev/sr0\ninserted /d"),
             (Changes{{"/dev/sr0", true}, {"/dev/sr0", false}}));
    QCOMPARE(fed.feed("ev/sr1\n"), (Changes{{"/dev/sr1", true}}));
    // A line far longer than the bound, fed in pieces, is dropped whole; the next one counts.
    QCOMPARE(fed.feed("inserted /dev/"), Changes{});
    for (int i = 0; i < 100; ++i)
        QCOMPARE(fed.feed(QByteArray(1000, 'x')), Changes{});
    QCOMPARE(fed.feed("\nremoved /dev/sr1\n"), (Changes{{"/dev/sr1", false}}));
}

void TestDiscChangeEvents::fifoLinesArriveAsWritersComeAndGo()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("events");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    LineDiscChangeEvents events(fifo);
    QVERIFY(events.listening());
    QSignalSpy spy(&events, &DiscChangeEvents::mediaChanged);

    // Each writer comes and goes, as `echo ... > fifo` does; the second is still heard.
    for (const QByteArray& text :
         {QByteArray("inserted /dev/sr0\nbad line\n"), QByteArray("removed /dev/sr0\n")}) {
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_CLOEXEC);
        QVERIFY(writer >= 0);
        QVERIFY(writeAll(writer, text));
        ::close(writer);
        QVERIFY(spy.wait(5000));
    }
    QCOMPARE(changesIn(spy), (Changes{{"/dev/sr0", true}, {"/dev/sr0", false}}));
}

void TestDiscChangeEvents::fileLinesArriveAsItGrows()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("events"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("inserted /images/a.cue\n");
    file.flush();
    LineDiscChangeEvents events(file.fileName());
    QVERIFY(events.listening());
    QSignalSpy spy(&events, &DiscChangeEvents::mediaChanged);
    QVERIFY(spy.wait(5000)); // what it held at the start
    file.write("removed /images/a.cue\n");
    file.flush();
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 5000);
    QCOMPARE(changesIn(spy), (Changes{{"/images/a.cue", true}, {"/images/a.cue", false}}));
}

void TestDiscChangeEvents::pathThatCannotBeReadIsQuiet()
{
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath("missing"), dir.path()}) {
        LineDiscChangeEvents events(path);
        QVERIFY(!events.listening());
    }
}

QTEST_GUILESS_MAIN(TestDiscChangeEvents)
#include "test_disc_change_events.moc"

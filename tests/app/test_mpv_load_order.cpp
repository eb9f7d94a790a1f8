// The real program opens libmpv through the load-order library written at build time, and
// opens it the ordinary way when that library is missing or does not load.
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString LoadOrderLibrary = QStringLiteral("libtamrel-mpv-order.so");

struct Start {
    bool firstFrameShown = false;
    bool openedInLoadOrder = false;
    QString errors;
};

// Plays a clip until its first frame is shown, with the start-up steps on standard error.
Start startOnce(const QString& executable)
{
    QProcess player;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TAMREL_STARTUP_TIMELINE", "1");
    environment.insert("TAMREL_EXIT_AFTER_FIRST_FRAME", "1");
    environment.insert("TAMREL_MPV_OPTIONS", "ao=null");
    environment.insert("TAMREL_CD_DRIVES", "");
    QTemporaryDir config;
    environment.insert("XDG_CONFIG_HOME", config.path());
    player.setProcessEnvironment(environment);
    player.start(executable, {TestMedia::clip("bench.dat")});
    if (!player.waitForFinished(60000))
        player.kill();
    const QString output = QString::fromUtf8(player.readAllStandardError());
    Start start;
    start.firstFrameShown = output.contains("first frame shown");
    start.openedInLoadOrder = output.contains("libmpv opened in load order");
    for (const QString& line : output.split('\n'))
        if (line.startsWith("tamrel-vcd-player:"))
            start.errors += line + '\n';
    return start;
}

} // namespace

class TestMpvLoadOrder : public QObject {
    Q_OBJECT
private slots:
    void opensLibmpv_data();
    void opensLibmpv();
};

void TestMpvLoadOrder::opensLibmpv_data()
{
    QTest::addColumn<QByteArray>("loadOrder"); // "built", "none", or the library's bytes
    QTest::addColumn<bool>("inLoadOrder");
    QTest::newRow("as built") << QByteArray("built") << true;
    QTest::newRow("missing") << QByteArray("none") << false;
    QTest::newRow("not a library") << QByteArray("\x7f"
                                                 "ELF but nothing more")
                                   << false;
    QTest::newRow("empty file") << QByteArray() << false;
}

void TestMpvLoadOrder::opensLibmpv()
{
    QFETCH(QByteArray, loadOrder);
    QFETCH(bool, inLoadOrder);
    // The program itself, which the command in the same folder starts.
    const QString built = QFileInfo(qEnvironmentVariable("TAMREL_PLAYER_EXE"))
                              .dir()
                              .filePath("tamrel-vcd-player-bin");
    QString executable = built;
    // Any other case runs a copy of the program in a folder of its own, where it looks for
    // the load-order library beside itself.
    QTemporaryDir folder;
    if (loadOrder != "built") {
        executable = folder.filePath("tamrel-vcd-player-bin");
        QVERIFY(QFile::copy(built, executable));
        if (loadOrder != "none") {
            QFile library(folder.filePath(LoadOrderLibrary));
            QVERIFY(library.open(QIODevice::WriteOnly));
            library.write(loadOrder);
        }
    }
    const Start start = startOnce(executable);
    QVERIFY2(start.firstFrameShown, qPrintable(start.errors));
    QCOMPARE(start.openedInLoadOrder, inLoadOrder);
    // A library that is there and does not load is named; one that is missing is not.
    QCOMPARE(start.errors.contains(LoadOrderLibrary), !inLoadOrder && loadOrder != "none");
}

QTEST_GUILESS_MAIN(TestMpvLoadOrder)
#include "test_media.h"
#include "test_mpv_load_order.moc"

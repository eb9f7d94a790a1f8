// The command users start hands over to the player program with malloc set up for it,
// keeping what the user set, and says so when the program is missing.
#include "launcher/malloc_tunables.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString launcher()
{
    return qEnvironmentVariable("TAMREL_PLAYER_EXE");
}

// A copy of the command in a folder of its own, with `program` (a shell script, or nothing)
// beside it as the player program.
QString commandBeside(const QTemporaryDir& folder, const QByteArray& program)
{
    const QString command = folder.filePath("tamrel-vcd-player");
    if (!QFile::copy(launcher(), command))
        return {};
    if (!program.isEmpty()) {
        QFile script(folder.filePath("tamrel-vcd-player-bin"));
        if (!script.open(QIODevice::WriteOnly))
            return {};
        script.write(program);
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    return command;
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
private slots:
    void tunables_data();
    void tunables();
    void handsOverWithMallocSetUp();
    void missingProgramIsNamed();
};

void TestLauncher::tunables_data()
{
    QTest::addColumn<QByteArray>("current"); // "-" for unset
    QTest::addColumn<QString>("expected");
    const QString ours = "glibc.malloc.hugetlb=1:glibc.malloc.arena_max=1";
    QTest::newRow("unset") << QByteArray("-") << ours;
    QTest::newRow("empty") << QByteArray("") << ours;
    QTest::newRow("another tunable")
        << QByteArray("glibc.malloc.tcache_count=0") << "glibc.malloc.tcache_count=0:" + ours;
    QTest::newRow("user turned huge pages off")
        << QByteArray("glibc.malloc.hugetlb=0")
        << "glibc.malloc.hugetlb=0:glibc.malloc.arena_max=1";
    QTest::newRow("user's arenas among others")
        << QByteArray("glibc.malloc.arena_max=4:glibc.malloc.tcache_count=0")
        << "glibc.malloc.arena_max=4:glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=1";
    QTest::newRow("both set") << QByteArray("glibc.malloc.arena_max=8:glibc.malloc.hugetlb=2")
                              << "glibc.malloc.arena_max=8:glibc.malloc.hugetlb=2";
    QTest::newRow("a longer name is another tunable")
        << QByteArray("x.glibc.malloc.hugetlb=0") << "x.glibc.malloc.hugetlb=0:" + ours;
}

void TestLauncher::tunables()
{
    QFETCH(QByteArray, current);
    QFETCH(QString, expected);
    const char* value = current == "-" ? nullptr : current.constData();
    QCOMPARE(QString::fromStdString(MallocTunables::forPlayer(value)), expected);
}

void TestLauncher::handsOverWithMallocSetUp()
{
    QTemporaryDir folder;
    const QString command = commandBeside(folder, "#!/bin/sh\n"
                                                  "printf '%s\\n' \"$GLIBC_TUNABLES\" \"$@\"\n"
                                                  "exit 3\n");
    QVERIFY(!command.isEmpty());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0");
    process.setProcessEnvironment(environment);
    process.start(command, {"a file.mpg", "--version"});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 3);
    QCOMPARE(
        QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n'),
        QStringList({"glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=1:glibc.malloc.arena_max=1",
                     "a file.mpg", "--version", ""}));
}

void TestLauncher::missingProgramIsNamed()
{
    QTemporaryDir folder;
    const QString command = commandBeside(folder, {});
    QVERIFY(!command.isEmpty());
    QProcess process;
    process.start(command, {"--version"});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 127);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(process.readAllStandardError().contains("tamrel-vcd-player-bin cannot be started"));
}

QTEST_GUILESS_MAIN(TestLauncher)
#include "test_launcher.moc"

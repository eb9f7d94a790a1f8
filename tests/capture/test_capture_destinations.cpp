#include "capture/capture_destination.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "platform/shell/linux_system_folders.h"
#include "platform/shell/os_version.h"
#include "platform/shell/system_folders.h"
#include "settings/settings_keys.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using CaptureDestination::CapturePath;

namespace {
const QString Desktop = QStringLiteral("/home/user/Desktop/ScreenShot.bmp");
const QString Windows = QStringLiteral("/home/user/.local/share/tamrel/ScreenShot.bmp");
const QString Documents = QStringLiteral("/home/user/Documents/ScreenShot.bmp");
const QString Current = QStringLiteral("/earlier/ScreenShot.bmp");

// 7 December 2026, 09:05:07 local time.
QDateTime seventhOfDecember()
{
    return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 7));
}
} // namespace

class TestCaptureDestinations : public QObject {
    Q_OBJECT
private slots:
    void capturePath_data();
    void capturePath();
    void emptyFoldersGiveNoPath_data();
    void emptyFoldersGiveNoPath();
    void stampedName_data();
    void stampedName();
    void freeStampedNameSkipsTakenNames_data();
    void freeStampedNameSkipsTakenNames();
    void osVersionCaption_data();
    void osVersionCaption();
    void linuxReportsNoVersion();
    void linuxFoldersFollowTheUserDirs();
};

void TestCaptureDestinations::capturePath_data()
{
    // The stored values of Screenshot, Wallpaper and My Documents, and the path they give.
    QTest::addColumn<QString>("screenshot");
    QTest::addColumn<QString>("wallpaper");
    QTest::addColumn<QString>("documents");
    QTest::addColumn<QString>("path");

    QTest::newRow("none") << "0"
                          << "0"
                          << "0" << Current;
    QTest::newRow("desktop") << "1"
                             << "0"
                             << "0" << Desktop;
    QTest::newRow("wallpaper") << "0"
                               << "1"
                               << "0" << Windows;
    QTest::newRow("documents") << "0"
                               << "0"
                               << "1" << Documents;
    QTest::newRow("desktop, wallpaper") << "1"
                                        << "1"
                                        << "0" << Windows;
    QTest::newRow("desktop, documents") << "1"
                                        << "0"
                                        << "1" << Documents;
    QTest::newRow("wallpaper, documents") << "0"
                                          << "1"
                                          << "1" << Documents;
    QTest::newRow("all three") << "1"
                               << "1"
                               << "1" << Documents;
    QTest::newRow("all absent") << ""
                                << ""
                                << "" << Current;
    QTest::newRow("only exactly 1 chooses") << "yes"
                                            << " 1"
                                            << "true" << Current;
}

void TestCaptureDestinations::capturePath()
{
    QFETCH(QString, screenshot);
    QFETCH(QString, wallpaper);
    QFETCH(QString, documents);
    QFETCH(QString, path);

    FakeSettingsStore settings;
    for (const auto& [key, value] : {std::pair{SettingsKeys::Screenshot, screenshot},
                                     {SettingsKeys::Wallpaper, wallpaper},
                                     {SettingsKeys::MyDocuments, documents}})
        if (!value.isEmpty())
            settings.values[key] = value;
    const FakeSystemFolders folders;
    QCOMPARE(CapturePath(settings, folders, Current), path);
    QVERIFY(settings.saves.isEmpty());
}

void TestCaptureDestinations::emptyFoldersGiveNoPath_data()
{
    QTest::addColumn<QString>("chosenKey");
    QTest::newRow("desktop") << SettingsKeys::Screenshot;
    QTest::newRow("wallpaper") << SettingsKeys::Wallpaper;
    QTest::newRow("documents") << SettingsKeys::MyDocuments;
}

void TestCaptureDestinations::emptyFoldersGiveNoPath()
{
    QFETCH(QString, chosenKey);
    FakeSettingsStore settings;
    settings.values[chosenKey] = "1";
    FakeSystemFolders folders;
    folders.desktop.clear();
    folders.documents.clear();
    folders.windowsDir.clear();
    // Never "/ScreenShot.bmp" in the root folder.
    QCOMPARE(CapturePath(settings, folders, Current), QString());
    QCOMPARE(CaptureDestination::screenShotIn(QString()), QString());
}

void TestCaptureDestinations::stampedName_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("name");

    QTest::newRow("no leading zeros in the time") << seventhOfDecember() << "120726_9-5-7.bmp";
    QTest::newRow("midnight") << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0)) << "010100_0-0-0.bmp";
    QTest::newRow("last second of a year")
        << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)) << "123199_23-59-59.bmp";
    QTest::newRow("afternoon in 24 hours")
        << QDateTime(QDate(2031, 3, 4), QTime(13, 10, 0)) << "030431_13-10-0.bmp";
}

void TestCaptureDestinations::stampedName()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, name);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt)); // digits stay Western
    const QString stamped = CaptureDestination::stampedName("/home/user/Documents", when);
    QLocale::setDefault(before);
    QCOMPARE(stamped, "/home/user/Documents/" + name);
    QCOMPARE(CaptureDestination::stampedName(QString(), when), QString());
    QCOMPARE(CaptureDestination::freeStampedName(QString(), when), QString());
}

void TestCaptureDestinations::freeStampedNameSkipsTakenNames_data()
{
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("name");

    QTest::newRow("free") << QStringList{"120726_9-5-6.bmp"} << "120726_9-5-7.bmp";
    QTest::newRow("taken once") << QStringList{"120726_9-5-7.bmp"} << "120726_9-5-7_2.bmp";
    QTest::newRow("taken thrice") << QStringList{"120726_9-5-7.bmp", "120726_9-5-7_2.bmp",
                                                 "120726_9-5-7_3.bmp"}
                                  << "120726_9-5-7_4.bmp";
    QTest::newRow("a gap is filled")
        << QStringList{"120726_9-5-7.bmp", "120726_9-5-7_3.bmp"} << "120726_9-5-7_2.bmp";
}

void TestCaptureDestinations::freeStampedNameSkipsTakenNames()
{
    QFETCH(QStringList, taken);
    QFETCH(QString, name);
    FileFolder documents(taken);
    QCOMPARE(CaptureDestination::freeStampedName(documents.path(), seventhOfDecember()),
             documents.file(name));
}

void TestCaptureDestinations::osVersionCaption_data()
{
    QTest::addColumn<bool>("queryOk");
    QTest::addColumn<uint>("platformId");
    QTest::addColumn<uint>("major");
    QTest::addColumn<uint>("minor");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Win32s") << true << 0u << 3u << 10u << "Microsoft Win32s";
    QTest::newRow("95") << true << 1u << 4u << 0u << "9X";
    QTest::newRow("Me") << true << 1u << 4u << 90u << "9X";
    QTest::newRow("NT 3.51") << true << 2u << 3u << 51u << "NT";
    QTest::newRow("NT 4.0") << true << 2u << 4u << 0u << "NT";
    QTest::newRow("2000 (5.0)") << true << 2u << 5u << 0u << "NT";
    QTest::newRow("XP (5.1)") << true << 2u << 5u << 1u << "XP";
    QTest::newRow("Server 2003 (5.2)") << true << 2u << 5u << 2u << "NT";
    QTest::newRow("Vista (6.0)") << true << 2u << 6u << 0u << "";
    QTest::newRow("6.1") << true << 2u << 6u << 1u << "";
    QTest::newRow("10.0") << true << 2u << 10u << 0u << "";
    QTest::newRow("CE (platform 3)") << true << 3u << 5u << 1u << "";
    QTest::newRow("unknown platform") << true << 0xFFFFFFFFu << 5u << 1u << "";
    QTest::newRow("query failed") << false << 2u << 5u << 1u << "";
}

void TestCaptureDestinations::osVersionCaption()
{
    QFETCH(bool, queryOk);
    QFETCH(uint, platformId);
    QFETCH(uint, major);
    QFETCH(uint, minor);
    QFETCH(QString, caption);
    const std::optional<OsVersionRecord> answer =
        queryOk ? std::optional(OsVersionRecord{platformId, major, minor}) : std::nullopt;
    QCOMPARE(::osVersionCaption(answer), caption);
}

void TestCaptureDestinations::linuxReportsNoVersion()
{
    QCOMPARE(LinuxSystemFolders().GetOSVersion(), QString());
}

// The desktop and documents folders come from the user's XDG folder names (as a desktop in
// another language names them), the program's own folder is made when asked for.
void TestCaptureDestinations::linuxFoldersFollowTheUserDirs()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QStringList names{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    QList<QByteArray> saved;
    for (const QString& name : names)
        saved << qgetenv(name.toLatin1());
    const auto restore = qScopeGuard([&] {
        for (int i = 0; i < names.size(); ++i)
            qputenv(names[i].toLatin1(), saved[i]);
    });
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    QVERIFY(QDir(home.path()).mkpath("config"));
    QFile dirs(home.path() + "/config/user-dirs.dirs");
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    dirs.close();

    const LinuxSystemFolders folders;
    QCOMPARE(folders.GetSpecialFolder(0), home.path() + "/Schreibtisch");
    QCOMPARE(folders.GetSpecialFolder(5), home.path() + "/Dokumente");
    QCOMPARE(folders.GetSpecialFolder(3), QString()); // a folder the program never asks for
    const QString own = folders.GetWindowsDir();
    QVERIFY2(own.startsWith(home.path() + "/data/"), qPrintable(own));
    QVERIFY(QFileInfo(own).isDir());
}

QTEST_GUILESS_MAIN(TestCaptureDestinations)
#include "test_capture_destinations.moc"

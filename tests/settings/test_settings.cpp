#include "platform/settings/ini_settings_store.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void roundTripAndAbsentKeys();
    void valuesWithSpacesAndSymbolsSurvive();
    void eachSaveReachesTheFileAtOnce();
    void defaultLocationIsPerUserIni();
    void damagedFileReadsAsAbsentAndIsKept_data();
    void damagedFileReadsAsAbsentAndIsKept();
    void folderInPlaceOfFile();
    void seedingFirstRunAndEmptiedCaption();
};

void TestSettings::roundTripAndAbsentKeys()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath("s.ini"), SettingsKeys::Section);
    QCOMPARE(store.Get("VCD Auto"), QString());
    store.Save("VCD Auto", "0");
    store.Save("Bookmark", "");
    QCOMPARE(store.Get("VCD Auto"), QString("0"));
    QCOMPARE(store.Get("Bookmark"), QString());
    IniSettingsStore again(dir.filePath("s.ini"), SettingsKeys::Section);
    QCOMPARE(again.Get("VCD Auto"), QString("0"));
    QVERIFY(readAll(dir.filePath("s.ini")).contains("[Settings]"));
}

void TestSettings::valuesWithSpacesAndSymbolsSurvive()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath("s.ini"), SettingsKeys::Section);
    const QString path = "/media/cd rom/it's \"odd\"; naïve\\AVSEQ01.DAT";
    const QString caption = "Line one\nline two = with, commas";
    store.Save("Bookmarkpath", path);
    store.Save("Pictextcopy", caption);
    store.Save("My Documents", "1");
    IniSettingsStore again(dir.filePath("s.ini"), SettingsKeys::Section);
    QCOMPARE(again.Get("Bookmarkpath"), path);
    QCOMPARE(again.Get("Pictextcopy"), caption);
    QCOMPARE(again.Get("My Documents"), QString("1"));
}

void TestSettings::eachSaveReachesTheFileAtOnce()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath("sub/s.ini"), SettingsKeys::Section);
    store.Save("Dir", "/home/me/Videos");
    // The program ends its process without any shutdown steps, so the file must hold it now.
    QVERIFY(readAll(dir.filePath("sub/s.ini")).contains("/home/me/Videos"));
}

void TestSettings::defaultLocationIsPerUserIni()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QCOMPARE(IniSettingsStore::userFilePath(Product::Title),
             dir.path() + "/Tamrel VCD Player/Tamrel VCD Player.ini");
    qunsetenv("XDG_CONFIG_HOME");
}

void TestSettings::damagedFileReadsAsAbsentAndIsKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) & 0xff));
    QTest::newRow("binary garbage") << binary;
    QTest::newRow("unterminated section") << QByteArray("[Settings\nVCD%20Auto=0\n");
}

void TestSettings::damagedFileReadsAsAbsentAndIsKept()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    write(path, content);
    IniSettingsStore store(path, SettingsKeys::Section);
    QCOMPARE(store.Get("VCD Auto"), QString());
    QCOMPARE(readAll(path), content); // reading never rewrites it

    store.Save("Screenshot", "1");
    QCOMPARE(store.Get("Screenshot"), QString("1"));
    const QStringList kept = QDir(dir.path()).entryList({"s.ini.damaged-*"}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(readAll(dir.filePath(kept.front())), content);
}

void TestSettings::folderInPlaceOfFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("s.ini"));
    IniSettingsStore store(dir.filePath("s.ini"), SettingsKeys::Section);
    QCOMPARE(store.Get("Dir"), QString());
    store.Save("Dir", "/x"); // cannot be written; it must not crash or delete the folder
    QVERIFY(QFileInfo(dir.filePath("s.ini")).isDir());
}

void TestSettings::seedingFirstRunAndEmptiedCaption()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath("s.ini"), SettingsKeys::Section);
    Settings::seed(store);
    QCOMPARE(store.Get("Pictextcopy"), Settings::defaultCaption());
    QCOMPARE(store.Get("Screenshot"), QString("1"));
    QVERIFY(Settings::vcdAutoDetection(store));

    store.Save("Pictextcopy", "");
    store.Save("Screenshot", "0");
    Settings::seed(store);
    QCOMPARE(store.Get("Pictextcopy"), Settings::defaultCaption());
    QCOMPARE(store.Get("Screenshot"), QString("0"));
    store.Save("VCD Auto", "0");
    QVERIFY(!Settings::vcdAutoDetection(store));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"

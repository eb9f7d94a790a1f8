// The settings file changed under a running program by someone else: deleted, emptied,
// damaged, made read-only or replaced by a folder. The next Save keeps every setting the
// store knew, or, where nothing can be written, fails quietly and destroys nothing.

#include "platform/settings/ini_settings_store.h"
#include "settings/settings_keys.h"
#include "test_media.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class Change { Deleted, Emptied, Damaged, ReadOnly, Folder };

const QMap<QString, QString> Before{{"Dir", "/home/user/Karaoke"},
                                    {"VCD Auto", "0"},
                                    {"Screenshot", "1"},
                                    {"Pictextcopy", "Captured with care; 100% = fine"}};

bool change(Change how, const QString& path)
{
    switch (how) {
    case Change::Deleted:
        return QFile::remove(path);
    case Change::Emptied:
        return QFile::resize(path, 0);
    case Change::Damaged: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray(300, '\0')) == 300;
    }
    case Change::ReadOnly:
        // Others may look into the folder and read the file, nobody may write either.
        return ::chmod(QFile::encodeName(QFileInfo(path).absolutePath()), 0755) == 0 &&
               ::chmod(QFile::encodeName(path), 0444) == 0;
    case Change::Folder:
        return QFile::remove(path) && QDir().mkdir(path);
    }
    return false;
}

// Every key the store knew, and the new one, are in the file.
bool keepsEverything(const QString& path, const QString& key, const QString& value)
{
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(SettingsKeys::Section);
    for (auto known = Before.cbegin(); known != Before.cend(); ++known)
        if (known.key() != key && file.value(known.key()).toString() != known.value())
            return false;
    return file.value(key).toString() == value;
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestSettingsPulled : public QObject {
    Q_OBJECT
private slots:
    void nextSaveAfterTheFileChanged_data();
    void nextSaveAfterTheFileChanged();
};

void TestSettingsPulled::nextSaveAfterTheFileChanged_data()
{
    QTest::addColumn<Change>("how");
    QTest::newRow("deleted") << Change::Deleted;
    QTest::newRow("emptied") << Change::Emptied;
    QTest::newRow("damaged") << Change::Damaged;
    QTest::newRow("made read-only") << Change::ReadOnly;
    QTest::newRow("a folder in its place") << Change::Folder;
}

void TestSettingsPulled::nextSaveAfterTheFileChanged()
{
    QFETCH(Change, how);
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    {
        QSettings file(path, QSettings::IniFormat);
        for (auto known = Before.cbegin(); known != Before.cend(); ++known)
            file.setValue(QString(SettingsKeys::Section) + '/' + known.key(), known.value());
    }
    IniSettingsStore store(path, SettingsKeys::Section);
    QCOMPARE(store.Get(SettingsKeys::Dir), Before["Dir"]); // the program reads it at start
    const QByteArray bytesBefore = TestMedia::fileBytes(path);
    QVERIFY(change(how, path));
    const QByteArray changed = TestMedia::fileBytes(path);

    const auto saveAndCheck = [&] {
        store.Save(SettingsKeys::Bookmark, "75.5");
        store.Save(SettingsKeys::VcdAuto, "1");
        switch (how) {
        case Change::ReadOnly:
            // Nothing written, nothing set aside; what was there reads as before.
            return int(TestMedia::fileBytes(path) != bytesBefore) +
                   int(QDir(dir.path()).count() != 3) +
                   int(store.Get(SettingsKeys::Dir) != Before["Dir"]);
        case Change::Folder:
            return int(!QFileInfo(path).isDir());
        default:
            return int(!keepsEverything(path, SettingsKeys::VcdAuto, "1")) +
                   int(QSettings(path, QSettings::IniFormat).value("Settings/Bookmark") != "75.5");
        }
    };
    QCOMPARE(how == Change::ReadOnly ? asUnprivileged(saveAndCheck) : saveAndCheck(), 0);
    // A damaged file is kept aside, never overwritten.
    if (how == Change::Damaged) {
        const QStringList aside = QDir(dir.path()).entryList({"settings.ini.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(TestMedia::fileBytes(dir.filePath(aside.front())), changed);
    }
}

QTEST_GUILESS_MAIN(TestSettingsPulled)
#include "test_settings_pulled.moc"

#include "capture_rig.h"

#include "settings/settings_keys.h"

#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

CaptureRig::CaptureRig(const char* destinationKey)
{
    for (const char* folder : {"Desktop", "Documents", "Windows"})
        QDir(root.path()).mkdir(folder);
    fake.folders.desktop = desktop();
    fake.folders.documents = documents();
    fake.folders.windowsDir = windowsDir();
    for (const char* key :
         {SettingsKeys::Screenshot, SettingsKeys::Wallpaper, SettingsKeys::MyDocuments})
        fake.settings.values[key] = qstrcmp(key, destinationKey) == 0 ? "1" : "0";
}

Playerfrm& CaptureRig::start()
{
    Playerfrm& window = fake.load(media.file("clip.mpg"));
    window.show();
    return window;
}

bool CaptureRig::capture(int timeoutMs)
{
    QSignalSpy finished(&chain(), &CaptureChain::finished);
    QTest::mouseClick(fake.window().cmdCapture, Qt::LeftButton);
    return finished.wait(timeoutMs);
}

QStringList CaptureRig::filesWritten() const
{
    QStringList files;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root.path()).relativeFilePath(it.next());
    files.sort();
    return files;
}

#include "capture/capture_destination.h"

#include "platform/settings/settings_store.h"
#include "platform/shell/system_folders.h"
#include "settings/settings_keys.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace CaptureDestination {

QString screenShotIn(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    return folder + QLatin1Char('/') + FileName;
}

QString CapturePath(const SettingsStore& settings, const SystemFolders& folders,
                    const QString& current)
{
    const auto chosen = [&settings](const char* key) {
        return settings.Get(QLatin1String(key)) == QLatin1String("1");
    };
    QString path = current;
    if (chosen(SettingsKeys::Screenshot))
        path = screenShotIn(folders.GetSpecialFolder(SystemFolders::Desktop));
    if (chosen(SettingsKeys::Wallpaper))
        path = screenShotIn(folders.GetWindowsDir());
    if (chosen(SettingsKeys::MyDocuments))
        path = screenShotIn(folders.GetSpecialFolder(SystemFolders::Documents));
    return path;
}

namespace {
bool taken(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink(); // a dangling link still blocks a rename
}

// The name without its ".bmp", so a counter can go before the extension.
QString stampedStem(const QString& documentsFolder, const QDateTime& when)
{
    // The C locale keeps the digits Western whatever the user's language.
    const QLocale c = QLocale::c();
    return documentsFolder + QLatin1Char('/') + c.toString(when.date(), QStringLiteral("MMddyy")) +
           QLatin1Char('_') + c.toString(when.time(), QStringLiteral("H-m-s"));
}
} // namespace

QString stampedName(const QString& documentsFolder, const QDateTime& when)
{
    if (documentsFolder.isEmpty() || !when.isValid())
        return {};
    return stampedStem(documentsFolder, when) + QStringLiteral(".bmp");
}

QString freeStampedName(const QString& documentsFolder, const QDateTime& when)
{
    QString name = stampedName(documentsFolder, when);
    if (name.isEmpty())
        return {};
    const QString stem = stampedStem(documentsFolder, when);
    for (int counter = 2; taken(name); ++counter)
        name = stem + QStringLiteral("_%1.bmp").arg(counter);
    return name;
}

} // namespace CaptureDestination

#pragma once

#include <QString>

class QDateTime;
class SettingsStore;
class SystemFolders;

// Where a capture is written: the bitmap's name in each destination folder, the destination the
// settings choose, and the time-stamped names the documents folder keeps.
namespace CaptureDestination {

inline const QString FileName = QStringLiteral("ScreenShot.bmp");

// folder + "/ScreenShot.bmp"; empty when no folder was found, so that nothing is ever written
// to the root folder instead.
QString screenShotIn(const QString& folder);

// Screenshot, then Wallpaper, then My Documents: each that reads "1" makes the path its folder's
// ScreenShot.bmp, so the last chosen one wins; with none chosen the path stays `current`.
QString CapturePath(const SettingsStore& settings, const SystemFolders& folders,
                    const QString& current);

// documents + "/" + MMddyy + "_" + H-m-s (no leading zeros) + ".bmp"; empty without a folder.
QString stampedName(const QString& documentsFolder, const QDateTime& when);

// stampedName(), or with "_2", "_3"... before ".bmp" when that name is taken, so an earlier
// capture of the same second is never replaced.
QString freeStampedName(const QString& documentsFolder, const QDateTime& when);

} // namespace CaptureDestination

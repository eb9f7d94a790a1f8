#include "playback/media_problems.h"

#include "platform/files/media_paths.h"
#include "playback/status_text.h"

#include <QFileInfo>

std::optional<QString> MediaProblems::problemWith(const QString& path)
{
    if (MediaPaths::isDiscPath(path) || path.contains(QLatin1String("://")))
        return std::nullopt;
    const QFileInfo file(path);
    if (!file.exists())
        return StatusText::fileNotFound(file.fileName());
    if (!file.isFile() || !file.isReadable())
        return StatusText::fileUnreadable(file.fileName());
    return std::nullopt;
}

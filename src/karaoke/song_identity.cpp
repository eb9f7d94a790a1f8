#include "karaoke/song_identity.h"

#include "platform/disc/disc_path.h"

#include <QFileInfo>

namespace SongIdentity {

QString of(const QString& path, const std::function<qint32(const QString& driveId)>& serialOf)
{
    if (path.isEmpty())
        return {};
    if (const std::optional<DiscPath> disc = DiscPath::parse(path)) {
        const qint32 serial = serialOf ? serialOf(disc->driveId) : 0;
        if (serial == 0 || disc->components.isEmpty())
            return {};
        return QStringLiteral("vcd:%1:%2")
            .arg(quint32(serial), 8, 16, QLatin1Char('0'))
            .arg(disc->components.join(QLatin1Char('/')).toLower());
    }
    return QFileInfo(path).absoluteFilePath();
}

} // namespace SongIdentity

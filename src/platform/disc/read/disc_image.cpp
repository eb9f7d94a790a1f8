#include "platform/disc/read/disc_image.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace DiscImage {

bool isImagePath(const QString& path)
{
    static const QStringList suffixes{"cue", "bin", "nrg", "toc", "iso"};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

QString discSource(const QString& path)
{
    const QFileInfo image(path);
    if (image.suffix().compare(QLatin1String("bin"), Qt::CaseInsensitive) == 0) {
        // Rippers write "karaoke.cue" and "KARAOKE.CUE" alike.
        const QString base = image.completeBaseName();
        for (const QString& suffix : {QStringLiteral("cue"), QStringLiteral("CUE")}) {
            const QFileInfo cue(image.dir(), base + '.' + suffix);
            if (cue.isFile())
                return QDir::cleanPath(cue.absoluteFilePath());
        }
    }
    return QDir::cleanPath(image.absoluteFilePath());
}

} // namespace DiscImage

#include "platform/disc/disc_path.h"

#include <QRegularExpression>

namespace {
const QRegularExpression& rootPattern()
{
    static const QRegularExpression root(QStringLiteral("^([A-Za-z][A-Za-z0-9]*):\\\\"));
    return root;
}
} // namespace

std::optional<DiscPath> DiscPath::parse(const QString& path)
{
    const QRegularExpressionMatch match = rootPattern().match(path);
    if (!match.hasMatch())
        return std::nullopt;
    return DiscPath{match.captured(1),
                    path.mid(match.capturedEnd()).split('\\', Qt::SkipEmptyParts)};
}

bool DiscPath::isDiscPath(const QString& path)
{
    return rootPattern().match(path).hasMatch();
}

bool DiscPath::isDriveId(const QString& id)
{
    // Anchored at the very end: "$" would also take a trailing newline ("sr0\n").
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z][A-Za-z0-9]*")));
    return pattern.match(id).hasMatch();
}

QString DiscPath::toString() const
{
    return driveId + QStringLiteral(":\\") + components.join('\\');
}

bool DiscPath::isMovieTrack() const
{
    if (components.size() != 2)
        return false;
    const QString& folder = components.front();
    return folder.compare(QLatin1String("Mpegav"), Qt::CaseInsensitive) == 0 ||
           folder.compare(QLatin1String("MPEG2"), Qt::CaseInsensitive) == 0;
}

QString DiscPath::movieFolder(const QString& driveId)
{
    return DiscPath{driveId, {QStringLiteral("Mpegav")}}.toString();
}

QString DiscPath::superVideoCdFolder(const QString& driveId)
{
    return DiscPath{driveId, {QStringLiteral("MPEG2")}}.toString();
}

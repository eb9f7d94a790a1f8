// Disc paths ("SR0:\Mpegav\AVSEQ01.DAT") and the code that makes them: what parses gives back
// the same drive and components after toString; paths put together from a drive identifier
// and components parse back into them; joining a file to a disc folder and splitting it off
// again; the disc paths of movie files on a mounted CD; and the drive list of the test setup,
// whose identifiers name disc paths.
//
// Input (FuzzedDataProvider): a path, a drive identifier, components, mount choices, then a
// drive list; all text in UTF-8.

#include "fuzz_support.h"
#include "platform/disc/disc_path.h"
#include "platform/disc/drive_discovery.h"
#include "platform/disc/read/disc_image.h"
#include "platform/files/media_paths.h"

#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <array>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using Fuzz::require;

QString takeText(FuzzedDataProvider& input, std::size_t maxBytes)
{
    return QString::fromStdString(input.ConsumeRandomLengthString(maxBytes));
}

bool isAsciiLetter(QChar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A letter, then letters and digits, all ASCII.
bool expectedDriveId(const QString& id)
{
    return !id.isEmpty() && isAsciiLetter(id[0]) && std::all_of(id.begin(), id.end(), [](QChar c) {
        return isAsciiLetter(c) || (c >= '0' && c <= '9');
    });
}

bool isComponent(const QString& c)
{
    return !c.isEmpty() && !c.contains('\\');
}

bool parsesBackInto(const QString& text, const QString& driveId, const QStringList& components)
{
    const std::optional<DiscPath> back = DiscPath::parse(text);
    return back && back->driveId == driveId && back->components == components;
}

void checkParse(const QString& text)
{
    const std::optional<DiscPath> path = DiscPath::parse(text);
    require(DiscPath::isDiscPath(text) == path.has_value(), "isDiscPath says what parse does");
    require(MediaPaths::isDiscPath(text) == path.has_value(), "media paths ask the disc path");
    if (!path)
        return;
    require(DiscPath::isDriveId(path->driveId), "a parsed drive is a drive identifier");
    require(text.startsWith(path->driveId + ":\\"), "the drive is what the path starts with");
    require(std::all_of(path->components.begin(), path->components.end(), isComponent),
            "components are names without backslashes");
    const QString written = path->toString();
    require(parsesBackInto(written, path->driveId, path->components),
            "toString parses back into the same drive and components");
    require(QString(written).remove('\\') == QString(text).remove('\\'),
            "toString keeps every character but redundant backslashes");
}

void checkBuilt(const QString& driveId, const QStringList& components)
{
    require(DiscPath::isDriveId(driveId) == expectedDriveId(driveId),
            "a drive identifier is an ASCII letter, then ASCII letters and digits");
    if (!expectedDriveId(driveId))
        return;
    require(parsesBackInto(DiscPath::movieFolder(driveId), driveId, {"Mpegav"}),
            "the movie folder of a drive parses back");
    require(parsesBackInto(DiscPath::superVideoCdFolder(driveId), driveId, {"MPEG2"}),
            "the Super Video CD folder of a drive parses back");
    if (!std::all_of(components.begin(), components.end(), isComponent))
        return;
    const QString folder = DiscPath{driveId, components}.toString();
    require(parsesBackInto(folder, driveId, components),
            "a path put together parses back into its parts");
    require(MediaPaths::separatorFor(folder) == QLatin1String("\\"), "disc folders join with \\");
    const QString file = components.isEmpty() ? QStringLiteral("AVSEQ01.DAT") : components.last();
    const QString joined = MediaPaths::join(folder, file);
    require(parsesBackInto(joined, driveId, components + QStringList{file}),
            "a file joined to a disc folder is in that folder");
    const MediaPaths::Split split = MediaPaths::splitFilePath(joined);
    require(split.folder == folder && split.name == file, "splitting undoes joining");
}

// Names a path on a mounted volume can have: no '/', neither "." nor "..".
bool isMountedName(const QString& name)
{
    return !name.isEmpty() && !name.contains('/') && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

bool isVideoCdDevice(const QString& node)
{
    const QString name = QFileInfo(node).fileName();
    return name.size() > 2 && name.startsWith(QLatin1String("sr")) &&
           std::all_of(name.begin() + 2, name.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

void checkMountedCd(FuzzedDataProvider& input, const QStringList& names)
{
    static constexpr std::array roots{"/media/cdrom", "/media/cdrom/", "/", "/run/media/u/VCD"};
    static constexpr std::array types{"iso9660", "ISO9660", "udf", "vfat", ""};
    static constexpr std::array devices{"/dev/sr0", "/dev/sr12", "/dev/sda1", "sr1", ""};
    const MediaPaths::Mount mount{
        QLatin1String(roots[input.ConsumeIntegralInRange<std::size_t>(0, roots.size() - 1)]),
        QLatin1String(types[input.ConsumeIntegralInRange<std::size_t>(0, types.size() - 1)]),
        input.ConsumeBool()
            ? QLatin1String(
                  devices[input.ConsumeIntegralInRange<std::size_t>(0, devices.size() - 1)])
            : takeText(input, 24)};
    if (names.isEmpty() || !std::all_of(names.begin(), names.end(), isMountedName))
        return;
    const QString path = QString(mount.rootPath + '/' + names.join('/')).replace("//", "/");
    const std::optional<QString> discPath = MediaPaths::discPathOnMountedCd(path, mount);
    const QString drive = QFileInfo(mount.device).fileName().toUpper();
    const QString type = mount.fileSystemType.toLower();
    const bool movieFile = names.last().endsWith(QLatin1String(".dat"), Qt::CaseInsensitive);
    const bool expressible = std::all_of(names.begin(), names.end(), isComponent);
    const bool expected = movieFile && expressible && isVideoCdDevice(mount.device) &&
                          (type == QLatin1String("iso9660") || type == QLatin1String("udf"));
    require(discPath.has_value() == expected,
            "every movie file on a mounted CD has a disc path, and nothing else has one");
    if (discPath)
        require(parsesBackInto(*discPath, drive, names),
                "the disc path names the drive and the file's folders on the disc");
}

void checkDriveList(const QString& list)
{
    const QStringList entries = list.split(':', Qt::SkipEmptyParts);
    const QList<CdDrive> drives = DriveDiscovery::parseDriveList(list);
    QSet<QString> ids;
    qsizetype next = 0; // drives keep the order of the list
    int images = 0;
    for (const CdDrive& drive : drives) {
        require(expectedDriveId(drive.id), "a listed drive has a drive identifier");
        require(!ids.contains(drive.id.toLower()), "no two drives share an identifier");
        ids.insert(drive.id.toLower());
        next = entries.indexOf(drive.source, next);
        require(next >= 0, "a drive is an entry of the list, in its order");
        ++next;
        require(drive.isImage == DiscImage::isImagePath(drive.source), "images are image paths");
        if (drive.isImage)
            require(drive.id.startsWith(QLatin1String("img")), "image drives are imgN");
        images += drive.isImage;
        require(parsesBackInto(DiscPath::movieFolder(drive.id), drive.id, {"Mpegav"}),
                "the drive's disc paths parse back");
    }
    require(images <= entries.size(), "no more drives than entries");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    checkParse(takeText(input, 512));
    const QString driveId = takeText(input, 16);
    QStringList components;
    for (int n = input.ConsumeIntegralInRange(0, 4); n > 0; --n)
        components << takeText(input, 40);
    checkBuilt(driveId, components);
    checkMountedCd(input, components);
    checkDriveList(takeText(input, 1024));
    return 0;
}

// The command-line path and the disc-image path rules that follow it: the quotes a file
// manager or a shell leaves, which paths are images, and which file an image drive reads (a
// .bin with its .cue beside it is the cue sheet). The image rules run on real files in a
// scratch folder, named from the input.
//
// Input: one byte of choices (image suffix, what lies beside it, how the path is written),
// then the command-line text in UTF-8 (its file name part also names the image).

#include "desktop/command_line.h"
#include "fuzz_support.h"
#include "platform/disc/read/disc_image.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <array>

namespace {

using Fuzz::require;

bool sameAsciiLetters(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0 &&
           std::all_of(a.begin(), a.end(), [](QChar c) { return c.unicode() < 128; });
}

// After the last '.' of the file name, which is after the last '/'.
bool expectedImagePath(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0)
        return false;
    const QString suffix = name.mid(dot + 1);
    static constexpr std::array imageSuffixes{"cue", "bin", "nrg", "toc", "iso"};
    return std::any_of(imageSuffixes.begin(), imageSuffixes.end(),
                       [&](const char* s) { return sameAsciiLetters(suffix, s); });
}

void checkCommandLine(const QString& line)
{
    const QString path = CommandLine::mediaPath(line);
    require(!path.contains('"'), "no quote is left in the path");
    if (line.isEmpty() || line == QLatin1String("%1")) {
        require(path.isEmpty(), "nothing to open names no path");
        return;
    }
    require(path.size() == line.size() - line.count('"'), "only the quotes go");
    require(CommandLine::mediaPath('"' + line + '"') == path, "quotes around the text go");
    if (path != QLatin1String("%1"))
        require(CommandLine::mediaPath(path) == path, "a bare path stays as it is");
    require(DiscImage::isImagePath(path) == expectedImagePath(path),
            "an image is a .cue, .bin, .nrg, .toc or .iso in any case");
}

// A name the scratch folder can hold, from the text: no '/', no NUL, short enough, and never
// half a character (a cut between the two halves of a surrogate pair is no name a command
// line can hold: its file would be written under another).
QString fileBaseName(const QString& text)
{
    QString base = text;
    base.remove('/').remove(QChar(0));
    qsizetype length = std::min<qsizetype>(base.size(), 60);
    if (length > 0 && base.at(length - 1).isHighSurrogate())
        --length;
    return base.left(length);
}

// The drive source of a path given while `folder` is the working folder, as a relative path
// on the command line is.
QString sourceFrom(const QString& folder, const QString& path)
{
    const QString workingFolder = QDir::currentPath();
    QDir::setCurrent(folder);
    const QString source = DiscImage::discSource(path);
    QDir::setCurrent(workingFolder);
    return source;
}

constexpr std::array ImageSuffixes{"bin", "BIN", "Bin", "cue", "iso", "nrg", "toc", "mpg"};
enum class Beside { Nothing, Cue, UpperCue, MixedCue, FolderCue };

void checkDiscSource(const QString& base, unsigned choices)
{
    const QString folder = Fuzz::scratchFolder();
    const QString suffix = QLatin1String(ImageSuffixes[choices % ImageSuffixes.size()]);
    const auto beside = static_cast<Beside>((choices >> 3) % 5);
    const QString name = base + '.' + suffix;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return;
    QDir dir(folder);
    const QString cueName = base + (beside == Beside::UpperCue   ? ".CUE"
                                    : beside == Beside::MixedCue ? ".Cue"
                                                                 : ".cue");
    if (!Fuzz::writeFile(dir.filePath(name), "x", 1))
        return; // a name the file system refuses
    if (beside == Beside::FolderCue)
        dir.mkdir(cueName);
    else if (beside != Beside::Nothing)
        Fuzz::writeFile(dir.filePath(cueName), "x", 1);

    const bool cueSheet = suffix.toLower() == QLatin1String("bin") &&
                          (beside == Beside::Cue || beside == Beside::UpperCue);
    const QString expected = dir.filePath(cueSheet ? cueName : name);
    dir.mkdir(QStringLiteral("sub"));
    const std::array written{dir.filePath(name), name, folder + "/sub/../" + name,
                             folder + "//./" + name};
    const QString path = written[(choices >> 6) % written.size()];
    require(sourceFrom(folder, path) == expected, "a drive reads the cue sheet of a .bin");
    require(DiscImage::discSource(expected) == expected, "a drive source is its own source");
    require(DiscImage::isImagePath(expected) == DiscImage::isImagePath(name),
            "the source of an image is an image");
    if (!path.contains('"'))
        require(sourceFrom(folder, CommandLine::mediaPath('"' + path + '"')) == expected,
                "a quoted path on the command line opens the same image");

    QFile::remove(dir.filePath(name));
    if (beside == Beside::FolderCue)
        dir.rmdir(cueName);
    else
        QFile::remove(dir.filePath(cueName));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    checkCommandLine(line);
    checkDiscSource(fileBaseName(QFileInfo(line).completeBaseName()), data[0]);
    return 0;
}

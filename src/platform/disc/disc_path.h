#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A path on the disc in a CD drive: the drive's identifier, a colon, a backslash, then folders
// and a file joined with backslashes ("SR0:\Mpegav\AVSEQ01.DAT"). This is the one place that
// knows the form; everything else asks it.
struct DiscPath {
    QString driveId;        // "SR0", in the caller's case
    QStringList components; // "Mpegav", "AVSEQ01.DAT"; empty for the disc's root

    // Nothing for a path of any other form (ordinary POSIX paths, URLs, "relative:name").
    static std::optional<DiscPath> parse(const QString& path);
    static bool isDiscPath(const QString& path);
    // Whether `id` may name a drive: a letter, then letters and digits.
    static bool isDriveId(const QString& id);

    // "SR0:\Mpegav\AVSEQ01.DAT"; "SR0:\" for the root.
    QString toString() const;

    // Whether this is a track of a Video CD or Super Video CD (a file in its movie folder),
    // which the standards make an MPEG program stream.
    bool isMovieTrack() const;

    // The movie folder of a Video CD in the drive: "SR0:\Mpegav".
    static QString movieFolder(const QString& driveId);
    // The movie folder of a Super Video CD: "SR0:\MPEG2".
    static QString superVideoCdFolder(const QString& driveId);
};

#pragma once

// Where the generated test media lie (the fixtures of tests/CMakeLists.txt hand their folders
// over in the environment), and reading and writing a whole file in one call.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace TestMedia {

// The folder of scripts/make-test-discs.sh: Video CD images in every form vcdimager writes.
inline QString discsFolder()
{
    return qEnvironmentVariable("TAMREL_TEST_DISCS");
}

// The folder of scripts/make-test-media.sh: short clips, a VCD track file, clip folders.
inline QString clipsFolder()
{
    return qEnvironmentVariable("TAMREL_TEST_MEDIA");
}

// A disc image (or a file beside the images), e.g. disc("vcd-a.cue").
inline QString disc(const QString& name)
{
    return discsFolder() + '/' + name;
}

// A generated clip (or folder of clips), e.g. clip("long.mpg").
inline QString clip(const QString& name)
{
    return clipsFolder() + '/' + name;
}

// The 12-track demo disc of the run command (scripts/make-demo-disc.sh).
inline QString demoDisc()
{
    return qEnvironmentVariable("TAMREL_DEMO_DISC");
}

// The whole file, or nothing when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file with `bytes`; false when not all of them were written.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace TestMedia

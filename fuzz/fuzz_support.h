#pragma once

// What the harnesses share: invariant checks that name what broke, and a scratch folder for
// the parsers that read files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace Fuzz {

// A broken invariant is a finding: it is named on stderr, and the abort makes libFuzzer keep
// the input.
inline void require(bool holds, const char* invariant)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken invariant: %s\n", invariant);
    std::abort();
}

// A folder of this process's own in memory (/dev/shm when there is one), emptied at exit.
inline const QString& scratchFolder()
{
    static const QString folder = [] {
        const QString base =
            QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString path = QStringLiteral("%1/tamrel-fuzz-%2").arg(base).arg(::getpid());
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        std::atexit([] { QDir(scratchFolder()).removeRecursively(); });
        return path;
    }();
    return folder;
}

inline bool writeFile(const QString& path, const char* data, std::size_t size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data, qint64(size)) == qint64(size);
}

} // namespace Fuzz

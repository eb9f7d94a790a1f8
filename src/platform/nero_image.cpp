#include "platform/nero_image.h"

#include <QFile>
#include <QtEndian>
#include <optional>

namespace {

// Far more than the few hundred bytes of any real table; libcdio reads all of it at once.
constexpr qint64 MaxTableSize = 16 * 1024 * 1024;
constexpr qint64 ChunkHeaderSize = 8;

struct Footer {
    quint64 tableOffset;
    qint64 size;
};

std::optional<Footer> readFooter(QIODevice& image, qint64 fileSize)
{
    constexpr qint64 Longest = 12;
    if (fileSize < Longest || !image.seek(fileSize - Longest))
        return std::nullopt;
    const QByteArray tail = image.read(Longest);
    if (tail.size() != Longest)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(tail.constData());
    if (tail.startsWith("NER5"))
        return Footer{qFromBigEndian<quint64>(bytes + 4), 12};
    if (tail.mid(4, 4) == "NERO")
        return Footer{qFromBigEndian<quint32>(bytes + 8), 8};
    return std::nullopt;
}

bool endsWithEndChunk(const QByteArray& table)
{
    qint64 at = 0;
    while (at + ChunkHeaderSize <= table.size()) {
        if (table.mid(at, 4) == "END!")
            return true;
        const quint32 length =
            qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(table.constData()) + at + 4);
        if (length > quint64(table.size() - at - ChunkHeaderSize))
            return false;
        at += ChunkHeaderSize + length;
    }
    return false;
}

} // namespace

namespace NeroImage {

bool chunksInside(QIODevice& image)
{
    const qint64 fileSize = image.size();
    const std::optional<Footer> footer = readFooter(image, fileSize);
    if (!footer)
        return false;
    const qint64 tableEnd = fileSize - footer->size;
    if (footer->tableOffset >= quint64(tableEnd))
        return false;
    const qint64 tableSize = tableEnd - qint64(footer->tableOffset);
    if (tableSize > MaxTableSize || !image.seek(qint64(footer->tableOffset)))
        return false;
    const QByteArray table = image.read(tableSize);
    return table.size() == tableSize && endsWithEndChunk(table);
}

bool chunksInside(const QString& path)
{
    QFile image(path);
    return image.open(QIODevice::ReadOnly) && chunksInside(image);
}

} // namespace NeroImage

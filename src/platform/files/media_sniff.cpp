#include "platform/files/media_sniff.h"

#include <QFile>

namespace MediaSniff {

bool isMpeg1ProgramStream(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    unsigned char header[5] = {};
    if (file.read(reinterpret_cast<char*>(header), sizeof header) != qint64(sizeof header))
        return false;
    // A pack start code, then "0010" and three bits of the clock reference before a marker
    // bit; an MPEG-2 pack goes on with "01".
    return header[0] == 0 && header[1] == 0 && header[2] == 1 && header[3] == 0xBA &&
           (header[4] & 0xF1) == 0x21;
}

} // namespace MediaSniff

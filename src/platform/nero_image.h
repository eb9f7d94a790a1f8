#pragma once

#include <QIODevice>
#include <QString>

// A Nero image keeps its table of tracks in chunks at its end, found through a footer ("NERO"
// and a 32-bit offset, or "NER5" and a 64-bit one). libcdio trusts that offset and the chunk
// sizes (an offset past the end makes it ask for an allocation of exabytes), so an image is
// handed to it only when the table lies within the file and ends with its END! chunk.
namespace NeroImage {

bool chunksInside(QIODevice& image);
bool chunksInside(const QString& path);

} // namespace NeroImage

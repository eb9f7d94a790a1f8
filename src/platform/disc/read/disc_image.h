#pragma once

#include <QString>

// Which paths are disc images, and which file of an image a drive opens.
namespace DiscImage {

// A .cue, .bin, .nrg, .toc or .iso file name, in any case.
bool isImagePath(const QString& path);

// The file a drive holding this image reads, as an absolute path: a .bin with a .cue of the
// same name beside it is that cue sheet (which knows the bin's tracks); any other image is
// itself.
QString discSource(const QString& path);

} // namespace DiscImage

#pragma once

#include <QString>

// What a media file is, told from its first bytes.
namespace MediaSniff {

// An MPEG-1 program stream (system stream): the format of Video CD tracks, and of what is
// copied or ripped from them. True only for a readable file that starts with an MPEG-1 pack
// header.
bool isMpeg1ProgramStream(const QString& path);

} // namespace MediaSniff

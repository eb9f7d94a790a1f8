#pragma once

// The folder chooser's file types as play-list patterns, apart from the chooser so that code
// without widgets can use them.
namespace TypePatterns {

// "*wma" has no dot on purpose: it takes any name ending in wma.
inline constexpr const char* AllMedia =
    "*.mp3;*.dat;*.avi;*.qt;*.mpeg;*.mpg;*.asf;*.wm;*wma;*.wmv;*.cda";
inline constexpr const char* VideoCd = "*.dat";
inline constexpr const char* Mp3 = "*.mp3";
inline constexpr const char* Avi = "*.avi";
inline constexpr const char* DiscImage = "*.cue;*.bin;*.nrg;*.toc;*.iso";

} // namespace TypePatterns

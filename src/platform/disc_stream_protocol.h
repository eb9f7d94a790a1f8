#pragma once

#include <QString>
#include <optional>

struct mpv_handle;

// Plays files of a disc through libmpv without mounting it: mpv reads the sectors on demand
// from its own thread, each stream with a handle of its own.

// Registers the protocol with an mpv instance; call before loading a disc file.
void registerDiscStreamProtocol(mpv_handle* mpv);

// The address mpv loads for a disc path: "SR0:\Mpegav\AVSEQ01.DAT" becomes
// "tamrel-disc://SR0%3A%5CMpegav%5CAVSEQ01.DAT".
QString discStreamUri(const QString& discPath);

// The disc path an address of the protocol stands for.
std::optional<QString> discPathFromUri(const QString& uri);

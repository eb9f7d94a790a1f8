#pragma once

#include <QString>
#include <optional>

class DiscLibrary;
struct mpv_handle;
struct mpv_stream_cb_info;

// Plays files of a disc through libmpv without mounting it: mpv reads the sectors on demand
// from its own thread, each stream with a handle of its own.

// Registers the protocol with an mpv instance, reading the discs of `library` (which must
// outlive the mpv instance); call before loading a disc file. False when mpv refused it.
bool registerDiscStreamProtocol(mpv_handle* mpv, const DiscLibrary& library);

// The protocol's open callback as mpv calls it, `library` being the DiscLibrary: 0 and the
// stream's callbacks in `info`, or MPV_ERROR_LOADING_FAILED.
int openDiscStream(void* library, char* uri, mpv_stream_cb_info* info);

// The address mpv loads for a disc path: "SR0:\Mpegav\AVSEQ01.DAT" becomes
// "tamrel-disc://SR0%3A%5CMpegav%5CAVSEQ01.DAT".
QString discStreamUri(const QString& discPath);

// The disc path an address of the protocol stands for.
std::optional<QString> discPathFromUri(const QString& uri);

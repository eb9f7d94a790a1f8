#pragma once

#include <QByteArray>
#include <QStringList>
#include <utility>
#include <vector>

// One mpv option as mpv_set_option_string takes it.
struct MpvOption {
    QByteArray name;
    QByteArray value;
};

// mpv options that hold for one file alone, name and value, for loadfile.
using MpvFileOptions = std::vector<std::pair<const char*, const char*>>;

// The options the player starts mpv with, set before mpv_initialize.
namespace MpvOptions {

// The player's own: nothing of mpv's own interface, scripts or configuration, the sound at its
// start level. Without renderVideo, vo=null: no picture at all.
std::vector<MpvOption> defaults(bool renderVideo);
// "name=value", or "name" alone for "name=yes".
MpvOption parse(const QString& text);
// The defaults, then the extra options ("name=value"), which override them.
std::vector<MpvOption> forPlayer(bool renderVideo, const QStringList& extraOptions);

} // namespace MpvOptions

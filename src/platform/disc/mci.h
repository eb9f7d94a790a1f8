#pragma once

#include <QString>

// Textual device commands ("close all", "open cdaudio ...", "Set CDAudio Door ...").
// A result of 0 is success; every other code has an error text.
class MciCommands {
public:
    virtual ~MciCommands() = default;
    virtual long send(const QString& command) = 0;
    virtual QString errorText(long code) const = 0;
};

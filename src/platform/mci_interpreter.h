#pragma once

#include "platform/mci.h"

// Interpreter of the command strings the player sends; words compare without regard to case.
class MciInterpreter : public MciCommands {
public:
    enum Result : long { Ok = 0, UnrecognizedCommand = 261, DeviceNotAvailable = 275 };

    long send(const QString& command) override;
    QString errorText(long code) const override;
};

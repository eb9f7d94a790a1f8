#pragma once

#include "platform/shell/system_folders.h"

// The XDG desktop and documents folders, the program's own data folder, and no system family:
// Linux answers no query of that kind.
class LinuxSystemFolders : public SystemFolders {
public:
    QString GetSpecialFolder(int id) const override;
    bool createSpecialFolder(int id) const override;
    QString GetWindowsDir() const override;
    QString GetOSVersion() const override;
};

#pragma once

#include <QString>

// Folders and the system family text the capture feature depends on.
class SystemFolders {
public:
    enum FolderId { Desktop = 0, Documents = 5 };
    virtual ~SystemFolders() = default;
    // Folder path without a trailing separator, or empty when there is none.
    virtual QString GetSpecialFolder(int id) const = 0;
    // Makes the desktop or documents folder where the user's settings name it, when it is
    // missing (fresh accounts of many systems have neither); false when it cannot be made.
    virtual bool createSpecialFolder(int id) const = 0;
    // The program's own data folder (it stands where a wallpaper bitmap is kept).
    virtual QString GetWindowsDir() const = 0;
    // "XP" hides capture, "NT" hides its settings frame; Linux reports empty text.
    virtual QString GetOSVersion() const = 0;
};

#pragma once

#include <QString>

// The program's name on the desktop: its desktop entry (without ".desktop"), icon, AppStream
// component and Wayland application id, all one reverse-DNS id set by the build.
namespace DesktopEntry {
inline const QString Id = QStringLiteral(TAMREL_APP_ID);
} // namespace DesktopEntry

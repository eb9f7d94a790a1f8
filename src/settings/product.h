#pragma once

#include <QString>

// Who the program is: its title (also the name the settings are filed under), its version
// from the build, and where its makers are found.
namespace Product {
inline const QString Title = QStringLiteral("Tamrel VCD Player");
inline const QString Version = QStringLiteral(TAMREL_VERSION);
// The main window's caption.
inline const QString Caption = Title + QStringLiteral(" version ") + Version;
inline const QString HomePage = QStringLiteral("https://tamrel-vcd.org/");
inline const QString SourcePage = QStringLiteral("https://github.com/tamrel-vcd/tamrel-vcd-player");
inline const QString EmailAddress = QStringLiteral("contact@tamrel-vcd.org");
inline const QString BugsAddress = QStringLiteral("bugs@tamrel-vcd.org");
} // namespace Product

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What each desktop is asked, built without running anything.
namespace WallpaperCommands {

enum class Desktop { Unknown, Gnome, Cinnamon, Mate, Xfce, Plasma };

// One program and its arguments, run without a shell.
struct ProgramRun {
    QString program;
    QStringList arguments;
    bool operator==(const ProgramRun&) const = default;
};

// The desktop named by XDG_CURRENT_DESKTOP, a ':'-separated list such as "ubuntu:GNOME".
Desktop desktopOf(const QString& currentDesktop);

// The settings runs of GNOME, Cinnamon and MATE, in order; none for the other desktops. Only
// the first has to succeed: older GNOME has no dark-style picture.
QList<ProgramRun> settingsRuns(Desktop desktop, const QString& path);

// XFCE: the listing of the desktop's properties, then one run per "…/last-image" property
// in that listing; when it names none, the first monitor's is created.
ProgramRun xfceListRun();
QList<ProgramRun> xfceSetRuns(const QString& propertyListing, const QString& path);

// The Plasma shell script that gives every desktop the picture.
QString plasmaScript(const QString& path);

} // namespace WallpaperCommands

#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Makes a picture the desktop's wallpaper.
class Wallpaper {
public:
    // Called once, later, with whether some method set the wallpaper.
    using Done = std::function<void(bool set)>;
    virtual ~Wallpaper() = default;
    virtual void SetWallpaper(const QString& path, Done done) = 0;
};

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

// The desktop portal where one answers; otherwise the desktop's own settings, chosen by
// XDG_CURRENT_DESKTOP. Programs are started with argument lists, never through a shell, and
// nothing here waits: every answer arrives through the event loop.
class LinuxWallpaper : public QObject, public Wallpaper {
    Q_OBJECT
public:
    struct Options {
        // The value of XDG_CURRENT_DESKTOP.
        QString currentDesktop;
        // Where the portal and the Plasma shell are asked; the session bus, reached at the
        // first request, when unset.
        std::optional<QDBusConnection> bus;
        // Longest wait for a program or the portal's answer.
        int timeoutMs = 30000;
    };
    static Options fromEnvironment();

    explicit LinuxWallpaper(Options options, QObject* parent = nullptr);
    ~LinuxWallpaper() override;

    void SetWallpaper(const QString& path, Done done) override;

private:
    Options m_options;
};

#pragma once

#include "platform/shell/wallpaper.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

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

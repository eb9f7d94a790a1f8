#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The real player executable on the test's X display, under a window manager, driven and
// watched from outside with xdotool and screen grabs.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();

    bool startPlayer(const QStringList& arguments, const QStringList& extraEnvironment = {});
    // Waits for a window with exactly this title; returns its id or an empty string.
    QString waitForWindow(const QString& title, int timeoutMs = 10000);
    QRect windowGeometry(const QString& windowId) const;
    // The player's windows that are mapped, its open menus among them.
    QStringList playerWindows() const;
    bool waitForGeometry(const QString& windowId, const QSize& size, int timeoutMs = 5000) const;
    QImage grabScreen() const;
    // Waits until more than `share` of the pixels in `area` differ from what the screen showed
    // at the call: the video there moves.
    bool waitForMovingVideo(const QRect& area, double share, int timeoutMs = 10000) const;
    QSize screenSize() const;
    bool xdotool(const QStringList& arguments, QString* output = nullptr) const;
    QProcess& player() { return m_player; }
    // Waits until the player (started with TAMREL_TRACE=1) printed this line.
    bool waitForLine(const QString& line, int timeoutMs = 10000);
    // Waits until a printed line satisfies `wanted`; the last such line, or nothing.
    std::optional<QString> waitForLineWhere(const std::function<bool(const QString&)>& wanted,
                                            int timeoutMs = 10000);
    // Waits until a line printed from now on satisfies `wanted`; that line, or nothing.
    std::optional<QString> waitForNewLine(const std::function<bool(const QString&)>& wanted,
                                          int timeoutMs = 10000);
    QStringList lines() const { return m_lines; }

private:
    void readLines();

    QProcess m_windowManager;
    QByteArray m_windowManagerOutput;
    QProcess m_player;
    QStringList m_lines;
};

// Seconds of a traced "time: m:s" line, else -1.
int secondsOf(const QString& line);
// The level of a traced "volume: n" line, else -1.
int volumeOf(const QString& line);

// Share of pixels in `area` that differ between two grabs.
double changedShare(const QImage& a, const QImage& b, const QRect& area);

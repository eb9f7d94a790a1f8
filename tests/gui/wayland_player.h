#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

// The real player on the generated Video CD image, as a client of a compositor of the test's
// own (`compositor` is the environment that compositor gives its clients), traced, with a
// settings folder of its own.
class WaylandPlayer {
public:
    explicit WaylandPlayer(QProcessEnvironment compositor);
    ~WaylandPlayer();

    // Waits until the player has printed this line (at any time since it started).
    bool waitForLine(const QString& line, int timeoutMs = 15000);
    // Waits for a line printed from now on that satisfies `wanted`.
    std::optional<QString> waitForNewLine(const std::function<bool(const QString&)>& wanted,
                                          int timeoutMs = 15000);
    QString printed() const { return m_lines.join('\n'); }

private:
    // Reads what the player printed; false once it has ended.
    bool readLines();

    QTemporaryDir m_config;
    QProcess m_process;
    QString m_pending;
    QStringList m_lines;
};

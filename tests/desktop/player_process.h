#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// The real player executable without a display (offscreen, no video or sound output), its
// window texts printed (TAMREL_TRACE=1), its settings in a folder of its own.
class PlayerProcess {
public:
    ~PlayerProcess();

    // `environment` entries "NAME=value" are added, "NAME" alone is removed.
    bool start(const QStringList& arguments, const QStringList& environment = {},
               const QString& workingDirectory = {});
    bool waitForLine(const QString& line, int timeoutMs = 15000);
    // The last printed line that starts with `prefix`, waiting for one to come.
    QString waitForLineStartingWith(const QString& prefix, int timeoutMs = 15000);
    QStringList lines();
    // Forgets the lines printed so far, so that the next wait sees only new ones.
    void forget()
    {
        readOutput();
        m_lines.clear();
    }
    QString errors();
    bool waitForExit(int timeoutMs = 5000);
    QProcess& process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }

private:
    void readOutput();
    // Reads what the player prints until `printed` holds or the player has ended.
    bool waitForOutput(const std::function<bool()>& printed, int timeoutMs);

    QProcess m_process;
    QTemporaryDir m_config;
    QStringList m_lines;
    QByteArray m_errors;
};

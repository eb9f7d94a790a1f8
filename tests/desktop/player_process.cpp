#include "player_process.h"

#include <QProcessEnvironment>
#include <QTest>

PlayerProcess::~PlayerProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}

bool PlayerProcess::start(const QStringList& arguments, const QStringList& environment,
                          const QString& workingDirectory)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TAMREL_MPV_OPTIONS", "vo=null ao=null");
    env.insert("TAMREL_TRACE", "1");
    env.insert("XDG_CONFIG_HOME", m_config.path());
    for (const QString& entry : environment) {
        if (entry.contains('='))
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        else
            env.remove(entry);
    }
    m_process.setProcessEnvironment(env);
    if (!workingDirectory.isEmpty())
        m_process.setWorkingDirectory(workingDirectory);
    m_process.start(qEnvironmentVariable("TAMREL_PLAYER_EXE"), arguments);
    return m_process.waitForStarted(5000);
}

void PlayerProcess::readOutput()
{
    while (m_process.canReadLine())
        m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
    m_errors += m_process.readAllStandardError();
}

QString PlayerProcess::waitForLineStartingWith(const QString& prefix, int timeoutMs)
{
    QString found;
    waitForOutput(
        [&] {
            for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it)
                if (it->startsWith(prefix)) {
                    found = *it;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

bool PlayerProcess::waitForLine(const QString& line, int timeoutMs)
{
    return waitForOutput([&] { return m_lines.contains(line); }, timeoutMs);
}

bool PlayerProcess::waitForOutput(const std::function<bool()>& printed, int timeoutMs)
{
    // The event loop runs meanwhile: the test's own bus services need it.
    bool found = false;
    const bool foundOrEnded = QTest::qWaitFor(
        [&] {
            readOutput();
            found = printed();
            return found || m_process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return foundOrEnded && found;
}

QStringList PlayerProcess::lines()
{
    readOutput();
    return m_lines;
}

QString PlayerProcess::errors()
{
    readOutput();
    return QString::fromUtf8(m_errors);
}

bool PlayerProcess::waitForExit(int timeoutMs)
{
    const bool exited =
        QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    readOutput();
    return exited;
}

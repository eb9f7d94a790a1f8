#include "player_process.h"

#include <QElapsedTimer>
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
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        readOutput();
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it)
            if (it->startsWith(prefix))
                return *it;
        if (clock.elapsed() >= timeoutMs || m_process.state() == QProcess::NotRunning)
            return {};
        // The test's own bus services need the event loop meanwhile.
        QTest::qWait(20);
    }
}

bool PlayerProcess::waitForLine(const QString& line, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        readOutput();
        if (m_lines.contains(line))
            return true;
        if (clock.elapsed() >= timeoutMs || m_process.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(20);
    }
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
    QElapsedTimer clock;
    clock.start();
    while (m_process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs)
        QTest::qWait(20);
    readOutput();
    return m_process.state() == QProcess::NotRunning;
}

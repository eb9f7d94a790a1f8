#include "wayland_player.h"

#include "test_media.h"

#include <QTest>

WaylandPlayer::WaylandPlayer(QProcessEnvironment compositor)
{
    compositor.insert("TAMREL_CD_DRIVES", TestMedia::disc("vcd-a.cue"));
    compositor.insert("TAMREL_MPV_OPTIONS", "ao=null");
    compositor.insert("TAMREL_TRACE", "1");
    compositor.insert("XDG_CONFIG_HOME", m_config.path());
    m_process.setProcessEnvironment(compositor);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(qEnvironmentVariable("TAMREL_PLAYER_EXE"), {});
}

WaylandPlayer::~WaylandPlayer()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

bool WaylandPlayer::readLines()
{
    m_pending += QString::fromUtf8(m_process.readAllStandardOutput());
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        m_lines << m_pending.left(end);
        m_pending.remove(0, end + 1);
    }
    return m_process.state() != QProcess::NotRunning;
}

bool WaylandPlayer::waitForLine(const QString& line, int timeoutMs)
{
    (void)QTest::qWaitFor([&] { return !readLines() || m_lines.contains(line); }, timeoutMs);
    return m_lines.contains(line);
}

std::optional<QString>
WaylandPlayer::waitForNewLine(const std::function<bool(const QString&)>& wanted, int timeoutMs)
{
    readLines();
    qsizetype seen = m_lines.size();
    std::optional<QString> found;
    (void)QTest::qWaitFor(
        [&] {
            const bool running = readLines();
            for (; !found && seen < m_lines.size(); ++seen)
                if (wanted(m_lines[seen]))
                    found = m_lines[seen];
            return found || !running;
        },
        timeoutMs);
    return found;
}

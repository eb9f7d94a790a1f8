#include "gui_session.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

namespace {

// Openbox runs its startup command once it manages windows: one mapped between taking over the
// display and that point goes unmanaged and is never shown.
constexpr char windowManagerReady[] = "tamrel-window-manager-ready";

} // namespace

GuiSession::GuiSession()
{
    m_windowManager.start("openbox", {"--startup", QString("echo %1").arg(windowManagerReady)});
    m_windowManager.waitForStarted();
    const bool ready = QTest::qWaitFor(
        [this] {
            m_windowManager.waitForReadyRead(50);
            m_windowManagerOutput += m_windowManager.readAllStandardOutput();
            return m_windowManagerOutput.contains(windowManagerReady);
        },
        20000);
    if (!ready)
        qWarning("openbox did not start managing windows");
}

GuiSession::~GuiSession()
{
    for (QProcess* process : {&m_player, &m_windowManager}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

bool GuiSession::startPlayer(const QStringList& arguments, const QStringList& extraEnvironment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    for (const QString& entry : extraEnvironment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    m_player.setProcessEnvironment(env);
    m_player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_player.start(qEnvironmentVariable("TAMREL_PLAYER_EXE"), arguments);
    return m_player.waitForStarted(5000);
}

bool GuiSession::xdotool(const QStringList& arguments, QString* output) const
{
    QProcess process;
    process.start("xdotool", arguments);
    if (!process.waitForFinished(10000))
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString GuiSession::waitForWindow(const QString& title, int timeoutMs)
{
    const QString exact = '^' + QRegularExpression::escape(title) + '$';
    QString ids;
    const bool shown = QTest::qWaitFor(
        [&] {
            return xdotool({"search", "--onlyvisible", "--name", exact}, &ids) && !ids.isEmpty();
        },
        timeoutMs);
    return shown ? ids.split('\n').front() : QString();
}

QStringList GuiSession::playerWindows() const
{
    QString ids;
    const QString pid = QString::number(m_player.processId());
    if (!xdotool({"search", "--onlyvisible", "--pid", pid}, &ids) || ids.isEmpty())
        return {};
    return ids.split('\n');
}

QRect GuiSession::windowGeometry(const QString& windowId) const
{
    QString shell;
    if (!xdotool({"getwindowgeometry", "--shell", windowId}, &shell))
        return {};
    QMap<QString, int> values;
    for (const QString& line : shell.split('\n'))
        values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    return {values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
}

bool GuiSession::waitForGeometry(const QString& windowId, const QSize& size, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return windowGeometry(windowId).size() == size; }, timeoutMs);
}

QImage GuiSession::grabScreen() const
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

bool GuiSession::waitForMovingVideo(const QRect& area, double share, int timeoutMs) const
{
    const QImage first = grabScreen();
    return QTest::qWaitFor([&] { return changedShare(first, grabScreen(), area) > share; },
                           timeoutMs);
}

QSize GuiSession::screenSize() const
{
    return QGuiApplication::primaryScreen()->size();
}

int secondsOf(const QString& line)
{
    static const QRegularExpression time(QStringLiteral("^time: (\\d+):(\\d+)$"));
    const QRegularExpressionMatch match = time.match(line);
    return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
}

int volumeOf(const QString& line)
{
    return line.startsWith(QLatin1String("volume: ")) ? line.mid(8).toInt() : -1;
}

double changedShare(const QImage& a, const QImage& b, const QRect& area)
{
    const QRect inside = area.intersected(a.rect()).intersected(b.rect());
    if (inside.isEmpty())
        return 0;
    long changed = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return double(changed) / (double(inside.width()) * inside.height());
}

bool GuiSession::waitForLine(const QString& line, int timeoutMs)
{
    return waitForLineWhere([&line](const QString& printed) { return printed == line; }, timeoutMs)
        .has_value();
}

std::optional<QString>
GuiSession::waitForLineWhere(const std::function<bool(const QString&)>& wanted, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        readLines();
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it)
            if (wanted(*it))
                return *it;
        if (clock.elapsed() >= timeoutMs)
            return std::nullopt;
        m_player.waitForReadyRead(100);
    }
}

std::optional<QString> GuiSession::waitForNewLine(const std::function<bool(const QString&)>& wanted,
                                                  int timeoutMs)
{
    readLines();
    const qsizetype from = m_lines.size();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        readLines();
        for (qsizetype i = from; i < m_lines.size(); ++i)
            if (wanted(m_lines[i]))
                return m_lines[i];
        if (clock.elapsed() >= timeoutMs)
            return std::nullopt;
        m_player.waitForReadyRead(100);
    }
}

void GuiSession::readLines()
{
    while (m_player.canReadLine())
        m_lines << QString::fromUtf8(m_player.readLine()).trimmed();
}

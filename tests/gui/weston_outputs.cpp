#include "weston_outputs.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

WestonOutputs::WestonOutputs(int outputs, int width, int height)
    : m_outputs(outputs), m_width(width), m_height(height)
{
}

WestonOutputs::~WestonOutputs()
{
    stop();
}

bool WestonOutputs::start()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        m_whyNot = QStringLiteral("no X display to nest the compositor's outputs in");
        return false;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty()) {
        m_whyNot = QStringLiteral("weston is not installed (Debian package weston)");
        return false;
    }
    if (!m_runtime.isValid()) {
        m_whyNot = QStringLiteral("no runtime folder");
        return false;
    }
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", m_runtime.path());
    env.remove("WAYLAND_DISPLAY");
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(m_runtime.filePath("weston.log"));
    m_process.setStandardErrorFile(m_runtime.filePath("weston.log"), QIODevice::Append);
    // --debug: the screenshooter's protocol.
    m_process.start("weston",
                    {"--backend=x11-backend.so", "--use-pixman", "--debug", "--idle-time=0",
                     "--socket=" + socket(), QString("--output-count=%1").arg(m_outputs),
                     QString("--width=%1").arg(m_width), QString("--height=%1").arg(m_height)});
    const auto failed = [this](const QString& why) {
        QFile log(m_runtime.filePath("weston.log"));
        log.open(QIODevice::ReadOnly);
        m_whyNot = why + ": " + QString::fromUtf8(log.readAll().right(600));
        stop();
        return false;
    };
    if (!m_process.waitForStarted(5000))
        return failed(QStringLiteral("weston did not start"));
    if (!QTest::qWaitFor(
            [this] {
                return QFile::exists(m_runtime.filePath(socket())) ||
                       m_process.state() == QProcess::NotRunning;
            },
            15000) ||
        m_process.state() == QProcess::NotRunning)
        return failed(QStringLiteral("weston opened no socket"));
    // The shell's panel and background fade in: done when two pictures in a row agree.
    QImage last;
    const bool settled = QTest::qWaitFor(
        [&] {
            const QImage shot = screenshot();
            const bool still = !shot.isNull() && shot == last;
            last = shot;
            return still;
        },
        20000);
    return settled || failed(QStringLiteral("weston's outputs never settled"));
}

void WestonOutputs::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

QProcessEnvironment WestonOutputs::clientEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", m_runtime.path());
    env.insert("WAYLAND_DISPLAY", socket());
    env.insert("QT_QPA_PLATFORM", "wayland");
    env.remove("DISPLAY");
    return env;
}

QImage WestonOutputs::screenshot()
{
    QDir dir(m_runtime.path());
    for (const QString& old : dir.entryList({"wayland-screenshot-*.png"}))
        dir.remove(old);
    QProcess shooter;
    shooter.setProcessEnvironment(clientEnvironment());
    shooter.setWorkingDirectory(m_runtime.path());
    shooter.start("weston-screenshooter", {});
    shooter.waitForFinished(10000);
    const QStringList shots = dir.entryList({"wayland-screenshot-*.png"});
    return shots.isEmpty() ? QImage() : QImage(dir.filePath(shots.front()));
}

QString WestonOutputs::outputWindow() const
{
    QProcess search;
    search.start("xdotool", {"search", "--class", "weston"});
    search.waitForFinished(5000);
    return QString::fromUtf8(search.readAllStandardOutput()).split('\n').front().trimmed();
}

#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

// scripts/sound-server.sh under a folder of our own, so that a test may stop and start it without
// troubling any other test.
class SoundServer {
public:
    explicit SoundServer(const QString& folder) : m_folder(folder) {}
    QString address() const { return QStringLiteral("unix:%1/native").arg(m_folder); }
    bool start() { return run("start") && isUp(); }
    bool isUp() const { return pactl({"info"}).has_value(); }
    void stop() { run("stop"); }

    // pactl's output, or nothing when it failed.
    std::optional<QString> pactl(const QStringList& arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PULSE_SERVER", address());
        process.setProcessEnvironment(environment);
        process.start("pactl", arguments);
        if (!process.waitForFinished(10000) || process.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(process.readAllStandardOutput());
    }

private:
    bool run(const QString& command)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TAMREL_SOUND_DIR", m_folder);
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("TAMREL_SOURCE_DIR") + "/scripts/sound-server.sh",
                      {command});
        return process.waitForFinished(20000) && process.exitCode() == 0;
    }

    QString m_folder;
};

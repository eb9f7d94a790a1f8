#include "platform/shell/linux_wallpaper.h"
#include "platform/shell/wallpaper_commands.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <utility>

namespace wallpaper_detail {

using WallpaperCommands::Desktop;
using WallpaperCommands::ProgramRun;

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString PortalWallpaper = QStringLiteral("org.freedesktop.portal.Wallpaper");
const QString PortalRequest = QStringLiteral("org.freedesktop.portal.Request");

// One request to set the wallpaper, from the portal on to the desktop's own settings; it
// deletes itself once it has answered.
class Attempt : public QObject {
    Q_OBJECT
public:
    // The portal's answers in its Response signal.
    enum PortalResponse : uint { Success = 0, Cancelled = 1, Failed = 2 };

    Attempt(const LinuxWallpaper::Options& options, const QString& path, Wallpaper::Done done,
            QObject* parent)
        : QObject(parent), m_options(options),
          // Only asked for when no bus was given: reaching it may start one.
          m_bus(options.bus ? *options.bus : QDBusConnection::sessionBus()), m_path(path),
          m_done(std::move(done))
    {
    }

    void start()
    {
        if (m_path.isEmpty()) {
            finish(false);
            return;
        }
        if (m_bus.isConnected() && tryPortal())
            return;
        tryDesktop();
    }

public slots:
    void onPortalResponse(uint response, const QVariantMap&)
    {
        if (!m_waitingForPortal)
            return;
        m_waitingForPortal = false;
        m_portalTimeout.stop();
        if (response == Success)
            finish(true);
        else if (response == Cancelled)
            finish(false); // the user said no: no other method overrides that
        else
            tryDesktop();
    }

private:
    bool tryPortal()
    {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QString token =
            QStringLiteral("tamrel%1").arg(QRandomGenerator::global()->generate());
        QString sender = m_bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        // Listening before asking: the answer can come before the call's reply.
        m_requestPath =
            PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
        listenTo(m_requestPath);

        QDBusMessage call = QDBusMessage::createMethodCall(
            PortalService, PortalPath, PortalWallpaper, QStringLiteral("SetWallpaperFile"));
        const QVariantMap options{{QStringLiteral("show-preview"), false},
                                  {QStringLiteral("set-on"), QStringLiteral("both")},
                                  {QStringLiteral("handle_token"), token}};
        call << QString() << QVariant::fromValue(QDBusUnixFileDescriptor(file.handle())) << options;
        m_waitingForPortal = true;
        auto* watcher =
            new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_options.timeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* reply) { onPortalReply(reply); });
        m_portalTimeout.setSingleShot(true);
        connect(&m_portalTimeout, &QTimer::timeout, this, [this] {
            m_waitingForPortal = false;
            tryDesktop();
        });
        m_portalTimeout.start(m_options.timeoutMs);
        return true;
    }

    void listenTo(const QString& path)
    {
        m_bus.connect(PortalService, path, PortalRequest, QStringLiteral("Response"), this,
                      SLOT(onPortalResponse(uint, QVariantMap)));
    }

    void onPortalReply(QDBusPendingCallWatcher* watcher)
    {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (!m_waitingForPortal)
            return;
        if (reply.isError()) {
            // No portal, or one without a wallpaper backend.
            m_waitingForPortal = false;
            m_portalTimeout.stop();
            tryDesktop();
            return;
        }
        // Older portals choose their own request path.
        if (const QString path = reply.value().path(); path != m_requestPath) {
            m_requestPath = path;
            listenTo(path);
        }
    }

    void tryDesktop()
    {
        const Desktop desktop = WallpaperCommands::desktopOf(m_options.currentDesktop);
        switch (desktop) {
        case Desktop::Gnome:
        case Desktop::Cinnamon:
        case Desktop::Mate:
            runSettings(WallpaperCommands::settingsRuns(desktop, m_path));
            break;
        case Desktop::Xfce:
            run(WallpaperCommands::xfceListRun(), [this](bool ok, const QByteArray& listing) {
                if (!ok) {
                    finish(false);
                    return;
                }
                runXfce(WallpaperCommands::xfceSetRuns(QString::fromUtf8(listing), m_path));
            });
            break;
        case Desktop::Plasma:
            tryPlasma();
            break;
        case Desktop::Unknown:
            finish(false);
            break;
        }
    }

    // The first run decides; the later ones are extras a desktop may lack.
    void runSettings(QList<ProgramRun> runs)
    {
        if (runs.isEmpty()) {
            finish(false);
            return;
        }
        const ProgramRun first = runs.takeFirst();
        run(first, [this, runs](bool ok, const QByteArray&) {
            if (!ok) {
                finish(false);
                return;
            }
            runRest(runs, true);
        });
    }

    void runRest(QList<ProgramRun> runs, bool result)
    {
        if (runs.isEmpty()) {
            finish(result);
            return;
        }
        const ProgramRun next = runs.takeFirst();
        run(next, [this, runs, result](bool, const QByteArray&) { runRest(runs, result); });
    }

    // Set when any monitor took the picture.
    void runXfce(QList<ProgramRun> runs, bool anySet = false)
    {
        if (runs.isEmpty()) {
            finish(anySet);
            return;
        }
        const ProgramRun next = runs.takeFirst();
        run(next,
            [this, runs, anySet](bool ok, const QByteArray&) { runXfce(runs, anySet || ok); });
    }

    void tryPlasma()
    {
        if (!m_bus.isConnected()) {
            finish(false);
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
            QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
        call << WallpaperCommands::plasmaScript(m_path);
        auto* watcher =
            new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_options.timeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* reply) {
                    reply->deleteLater();
                    finish(!reply->isError());
                });
    }

    // Runs one program; `then` hears whether it ran and exited with 0, and its output.
    void run(const ProgramRun& program, std::function<void(bool, const QByteArray&)> then)
    {
        auto* process = new QProcess(this);
        auto answered = std::make_shared<bool>(false);
        auto answer = [process, answered, then](bool ok) {
            if (std::exchange(*answered, true))
                return;
            const QByteArray output = ok ? process->readAllStandardOutput() : QByteArray();
            process->deleteLater();
            then(ok, output);
        };
        connect(process, &QProcess::finished, this,
                [answer](int code, QProcess::ExitStatus status) {
                    answer(status == QProcess::NormalExit && code == 0);
                });
        connect(process, &QProcess::errorOccurred, this, [answer](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                answer(false);
        });
        QTimer::singleShot(m_options.timeoutMs, process, [process, answer] {
            process->kill();
            answer(false);
        });
        process->setStandardInputFile(QProcess::nullDevice());
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->start(program.program, program.arguments);
    }

    // The answer always comes from the event loop, never from inside SetWallpaper.
    void finish(bool set)
    {
        if (std::exchange(m_finished, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, set] {
                if (m_done)
                    m_done(set);
                deleteLater();
            },
            Qt::QueuedConnection);
    }

    LinuxWallpaper::Options m_options;
    QDBusConnection m_bus;
    QString m_path;
    Wallpaper::Done m_done;
    QString m_requestPath;
    QTimer m_portalTimeout;
    bool m_waitingForPortal = false;
    bool m_finished = false;
};

} // namespace wallpaper_detail

LinuxWallpaper::Options LinuxWallpaper::fromEnvironment()
{
    Options options;
    options.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    return options;
}

LinuxWallpaper::LinuxWallpaper(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
}

LinuxWallpaper::~LinuxWallpaper() = default;

void LinuxWallpaper::SetWallpaper(const QString& path, Done done)
{
    auto* attempt = new wallpaper_detail::Attempt(m_options, path, std::move(done), this);
    attempt->start();
}

#include "linux_wallpaper.moc"

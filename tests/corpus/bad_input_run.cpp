#include "bad_input_run.h"

#include "playback/status_text.h"
#include "settings/product.h"

#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcessEnvironment>
#include <QSettings>
#include <QUrl>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;
const QString ServicePrefix = QStringLiteral("org.mpris.MediaPlayer2.tamrel_vcd_player");
const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

// The stored settings every run starts with where the case is not the settings file itself.
const QList<std::pair<QString, QString>> KnownSettings{{"Pictextcopy", "kept"},
                                                       {"Screenshot", "1"},
                                                       {"Wallpaper", "0"},
                                                       {"My Documents", "/home/user"}};

QString settingsFile(const QString& configDir)
{
    return configDir + '/' + Product::Title + '/' + Product::Title + ".ini";
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

QMap<QString, QString> storedValues(const QString& path)
{
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Settings"));
    QMap<QString, QString> values;
    for (const QString& key : file.childKeys())
        values[key] = file.value(key).toString();
    return values;
}

// With `playbackControl`, the player also follows the lists of a disc that has them.
bool writeKnownSettings(const QString& path, bool playbackControl)
{
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Settings"));
    for (const auto& [key, value] : KnownSettings)
        file.setValue(key, value);
    file.endGroup();
    if (playbackControl)
        file.setValue(QStringLiteral("PlaybackControl/Enabled"), 1);
    file.sync();
    return file.status() == QSettings::NoError;
}

bool chownTree(const QString& path, uid_t owner)
{
    const QByteArray name = QFile::encodeName(path);
    if (::lchown(name.constData(), owner, owner) != 0)
        return false;
    const QFileInfo info(path);
    if (!info.isDir() || info.isSymLink())
        return true;
    for (const QString& entry : QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::Hidden | QDir::System))
        if (!chownTree(path + '/' + entry, owner))
            return false;
    return true;
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// The settings folder given to user nobody: owned by nobody, then made read-only or
// unreadable as the case's name says.
bool arrangeForNobody(const QString& caseName, const QString& configDir)
{
    const QString file = settingsFile(configDir);
    const QString folder = QFileInfo(file).absolutePath();
    if (!chownTree(configDir, Nobody))
        return false;
    if (caseName == QLatin1String("read-only-file"))
        return setMode(file, 0444);
    if (caseName == QLatin1String("read-only-folder"))
        return setMode(folder, 0555);
    if (caseName == QLatin1String("unreadable-file"))
        return ::chown(QFile::encodeName(file).constData(), 0, 0) == 0 && setMode(file, 0600);
    if (caseName == QLatin1String("unreadable-folder"))
        return ::chown(QFile::encodeName(folder).constData(), 0, 0) == 0 && setMode(folder, 0700);
    return true;
}

bool sensibleStatus(const QString& status)
{
    using namespace StatusText;
    if (status == Idle || status == NoMovies || status == Unsupported || status == Stopped ||
        status == Paused)
        return true;
    // A disc's own menu or list shown, as its lists have it.
    if (status.startsWith(QLatin1String("Menu")) || status.startsWith(QLatin1String("List ")))
        return true;
    // A file that is not there or cannot be read, said by name.
    if (status.startsWith(QLatin1String("File not found: ")) ||
        status.startsWith(QLatin1String("File cannot be read: ")))
        return true;
    return status.startsWith(QLatin1String("Playing ")) &&
           status.endsWith(QLatin1String("  ........"));
}

} // namespace

QList<BadInput> readBadInputs(const QString& corpusDir)
{
    QList<BadInput> inputs;
    QFile list(corpusDir + "/cases.tsv");
    if (!list.open(QIODevice::ReadOnly))
        return inputs;
    while (!list.atEnd()) {
        const QList<QByteArray> fields = list.readLine().trimmed().split('\t');
        if (fields.size() < 4)
            continue;
        BadInput input{QString::fromUtf8(fields[0]),
                       QString::fromUtf8(fields[1]),
                       QString::fromUtf8(fields[2]),
                       {},
                       fields.size() > 4 ? QString::fromUtf8(fields[4]) : QString()};
        for (const QByteArray& path : fields[3].split(':'))
            input.paths << corpusDir + '/' +
                               QFile::decodeName(QByteArray::fromPercentEncoding(path));
        inputs << input;
    }
    return inputs;
}

BadInputRun::BadInputRun(const QList<BadInput>& inputs, const RunLimits& limits)
    : m_inputs(inputs), m_limits(limits), m_bus(QDBusConnection::sessionBus())
{
    m_ticker.setInterval(50);
    connect(&m_ticker, &QTimer::timeout, this, &BadInputRun::tick);
    connect(&m_process, &QProcess::finished, this, &BadInputRun::processEnded);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &BadInputRun::readOutput);
}

BadInputRun::~BadInputRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString BadInputRun::label() const
{
    QStringList names;
    for (const BadInput& input : m_inputs)
        names << input.group + '/' + input.name;
    return names.join(QLatin1String(", "));
}

bool BadInputRun::prepareSettings()
{
    const BadInput& first = m_inputs.front();
    if (first.use() == QLatin1String("settings")) {
        m_configDir = first.paths.front();
        if (first.asNobody() && !arrangeForNobody(first.name, m_configDir))
            return false;
    } else {
        m_configDir = m_home.path() + "/config";
        if (!QDir().mkpath(m_configDir + '/' + Product::Title) ||
            !writeKnownSettings(settingsFile(m_configDir), first.usesPlaybackControl()))
            return false;
        if (first.asNobody() && !chownTree(m_home.path(), Nobody))
            return false;
    }
    if (first.asNobody() && !chownTree(m_home.path(), Nobody))
        return false;
    m_settingsBefore = fileHash(settingsFile(m_configDir));
    m_valuesBefore = storedValues(settingsFile(m_configDir));
    return true;
}

QStringList BadInputRun::arguments() const
{
    QStringList arguments;
    for (const BadInput& input : m_inputs)
        if (input.use() == QLatin1String("arg"))
            arguments << input.paths;
        else if (input.use() == QLatin1String("arg-here"))
            arguments << QFileInfo(input.paths.front()).fileName();
    return arguments;
}

QStringList BadInputRun::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const bool nobody = m_inputs.front().asNobody();
    // Root's display is closed to nobody; those runs go without one.
    env.insert("QT_QPA_PLATFORM",
               !nobody && env.contains("DISPLAY") ? QStringLiteral("xcb") : "offscreen");
    env.insert("TAMREL_MPV_OPTIONS", "vo=null ao=null");
    env.insert("TAMREL_TRACE", "1");
    env.insert("XDG_CONFIG_HOME", m_configDir);
    env.insert("HOME", m_home.path());
    env.remove("XDG_RUNTIME_DIR");
    QStringList drives;
    for (const BadInput& input : m_inputs)
        if (input.isDrive())
            drives << input.paths;
    // No drive at all beside an argument or a settings file: nothing else plays.
    env.insert("TAMREL_CD_DRIVES", drives.join(':'));
    return env.toStringList();
}

void BadInputRun::start()
{
    m_clock.start();
    m_prepared = m_home.isValid() && prepareSettings();
    if (!m_prepared) {
        fault("the test could not arrange the settings folder");
        finish();
        return;
    }
    m_process.setEnvironment(environment());
    if (m_inputs.front().use() == QLatin1String("arg-here"))
        m_process.setWorkingDirectory(QFileInfo(m_inputs.front().paths.front()).absolutePath());
    const QString player = qEnvironmentVariable("TAMREL_PLAYER_EXE");
    if (m_inputs.front().asNobody() && ::geteuid() == 0)
        m_process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                               "--", player} +
                                       arguments());
    else
        m_process.start(player, arguments());
    m_ticker.start();
}

void BadInputRun::tick()
{
    const qint64 now = m_clock.elapsed();
    switch (m_state) {
    case State::Starting:
        findService();
        if (!m_service.isEmpty()) {
            m_state = State::Watching;
            m_watchStart = now;
        } else if (now > m_limits.startMs) {
            fault(QString("not on the session bus after %1 ms").arg(now));
            quit();
        }
        break;
    case State::Watching: {
        ask();
        if (m_questionSent >= 0 && now - m_questionSent > m_limits.answerMs && !m_hangReported) {
            m_hangReported = true;
            fault(QString("the window did not answer for %1 ms").arg(now - m_questionSent));
        }
        const qint64 watched = now - m_watchStart;
        const bool loading = m_status == StatusText::Loading;
        if (watched >= m_limits.watchMs && m_questionSent < 0 &&
            (!loading || watched >= m_limits.watchMs + m_limits.loadingMs))
            quit();
        break;
    }
    case State::Quitting:
        if (now - m_quitSent > 10000) {
            fault("did not quit within 10 s of being told to");
            m_process.kill();
        }
        break;
    case State::Done:
        break;
    }
}

void BadInputRun::findService()
{
    const qint64 pid = m_process.processId();
    if (pid <= 0)
        return;
    const QDBusReply<QStringList> names = m_bus.interface()->registeredServiceNames();
    for (const QString& name : names.value())
        if (name.startsWith(ServicePrefix) && m_bus.interface()->servicePid(name).value() == pid)
            m_service = name;
}

void BadInputRun::ask()
{
    const qint64 now = m_clock.elapsed();
    if (m_questionSent >= 0 || (m_lastQuestion >= 0 && now - m_lastQuestion < 250))
        return;
    QDBusMessage question = QDBusMessage::createMethodCall(
        m_service, ObjectPath, "org.freedesktop.DBus.Properties", "Get");
    question << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("PlaybackStatus");
    m_questionSent = m_lastQuestion = now;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(question, 30000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const qint64 waited = m_clock.elapsed() - m_questionSent;
        m_longestAnswer = std::max(m_longestAnswer, waited);
        m_questionSent = -1;
        if (watcher->isError() && m_state == State::Watching &&
            m_process.state() == QProcess::Running)
            fault("the window's answer was an error: " + watcher->error().message());
    });
}

void BadInputRun::quit()
{
    m_state = State::Quitting;
    m_quitSent = m_clock.elapsed();
    // What the window says once it is told to quit is its farewell, not the outcome.
    m_statusBeforeQuit = m_status;
    if (m_service.isEmpty()) {
        m_process.kill();
        return;
    }
    m_bus.asyncCall(
        QDBusMessage::createMethodCall(m_service, ObjectPath, "org.mpris.MediaPlayer2", "Quit"));
}

void BadInputRun::processEnded(int exitCode, QProcess::ExitStatus status)
{
    if (m_state == State::Done)
        return;
    const bool told = m_state == State::Quitting;
    if (!told)
        fault(QString("ended by itself after %1 ms").arg(m_clock.elapsed()));
    if (status == QProcess::CrashExit && (!told || m_faults.isEmpty())) {
        m_errors += m_process.readAllStandardError();
        fault("crashed; its last words: " + QString::fromUtf8(m_errors.right(1500)));
    } else if (status == QProcess::NormalExit && exitCode != 0)
        fault(QString("exit code %1").arg(exitCode));
    finish();
}

void BadInputRun::readOutput()
{
    m_stdout += m_process.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_stdout.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_stdout.left(end));
        m_stdout.remove(0, end + 1);
        if (line.startsWith(QLatin1String("status: "))) {
            m_status = line.mid(8);
            m_statuses << m_status;
        }
    }
}

void BadInputRun::finish()
{
    m_ticker.stop();
    readOutput();
    m_errors += m_process.readAllStandardError();
    if (m_process.state() == QProcess::NotRunning && m_prepared) {
        checkStatus();
        checkSettings();
    }
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"})
        if (m_errors.contains(report)) {
            const qsizetype at = m_errors.indexOf(report);
            fault("sanitizer: " + QString::fromUtf8(m_errors.mid(at, 600)));
        }
    m_state = State::Done;
    if (qEnvironmentVariableIntValue("TAMREL_BAD_INPUTS_VERBOSE") == 1)
        qInfo("%s: \"%s\", longest answer %lld ms", qPrintable(label()),
              qPrintable(m_statusBeforeQuit), m_longestAnswer);
    emit done();
}

void BadInputRun::checkStatus()
{
    const QString& status = m_statusBeforeQuit;
    if (status == StatusText::Loading)
        fault("the status line stayed on \"" + status + '"');
    else if (!status.isEmpty() && !sensibleStatus(status))
        fault("the status line ended on \"" + status + "\" after " + m_statuses.join(" | "));
    const bool played = std::any_of(m_statuses.cbegin(), m_statuses.cend(), [](const QString& s) {
        return s.startsWith(QLatin1String("Playing "));
    });
    if (m_inputs.front().expect == QLatin1String("plays") && !played)
        fault("never played; the status line said " + m_statuses.join(" | "));
}

void BadInputRun::checkSettings()
{
    const QString path = settingsFile(m_configDir);
    if (m_inputs.front().use() != QLatin1String("settings")) {
        const QMap<QString, QString> after = storedValues(path);
        for (const auto& [key, value] : KnownSettings)
            if (after.value(key) != value)
                fault(QString("stored setting %1 lost (now \"%2\")").arg(key, after.value(key)));
        return;
    }
    // The settings file is the case: its bytes are still there, or kept beside it as damaged.
    if (fileHash(path) == m_settingsBefore)
        return;
    const QFileInfo info(path);
    for (const QFileInfo& beside :
         QDir(info.absolutePath()).entryInfoList({info.fileName() + ".damaged-*"}, QDir::Files))
        if (fileHash(beside.filePath()) == m_settingsBefore)
            return;
    // Rewritten in place: every value it held is still held.
    const QMap<QString, QString> after = storedValues(path);
    bool kept = true;
    for (auto known = m_valuesBefore.cbegin(); known != m_valuesBefore.cend(); ++known)
        kept = kept && after.value(known.key()) == known.value();
    if (kept)
        return;
    fault("the settings file changed and its old bytes were kept nowhere");
}

void BadInputRun::fault(const QString& text)
{
    m_faults << text;
}

namespace {

void runBatch(const std::vector<std::unique_ptr<BadInputRun>>& runs, int parallel)
{
    QEventLoop loop;
    size_t next = 0;
    int running = 0;
    std::function<void()> startMore = [&] {
        while (running < parallel && next < runs.size()) {
            BadInputRun* run = runs[next++].get();
            ++running;
            QObject::connect(
                run, &BadInputRun::done, &loop,
                [&] {
                    --running;
                    startMore();
                    if (running == 0 && next == runs.size())
                        loop.quit();
                },
                Qt::QueuedConnection);
            run->start();
        }
    };
    startMore();
    if (running > 0)
        loop.exec();
}

} // namespace

bool BadInputRun::missedTheDisplay() const
{
    return m_errors.contains("could not connect to display");
}

QStringList runAll(const std::vector<std::unique_ptr<BadInputRun>>& runs, int parallel)
{
    runBatch(runs, parallel);
    // A start that found no X server said nothing about its inputs: it is tried once more.
    std::vector<std::unique_ptr<BadInputRun>> retries;
    for (const auto& run : runs)
        if (run->missedTheDisplay())
            retries.push_back(std::make_unique<BadInputRun>(run->inputs(), run->limits()));
    runBatch(retries, 1);
    QStringList faults;
    size_t retry = 0;
    for (const auto& run : runs) {
        const BadInputRun& counted = run->missedTheDisplay() ? *retries[retry++] : *run;
        for (const QString& fault : counted.faults())
            faults << counted.label() + ": " + fault;
    }
    return faults;
}

#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

// One line of the corpus's cases.tsv (scripts/make-bad-inputs.sh).
struct BadInput {
    QString group;
    QString name;
    QString how;       // arg, arg-here, drive, drive-pbc, settings, or one after "nobody-"
    QStringList paths; // absolute
    QString expect;    // "plays", or nothing
    bool asNobody() const { return how.startsWith(QLatin1String("nobody-")); }
    QString use() const { return asNobody() ? how.mid(7) : how; }
    bool isDrive() const { return use() == QLatin1String("drive") || usesPlaybackControl(); }
    // A drive whose run's settings turn playback control on.
    bool usesPlaybackControl() const { return use() == QLatin1String("drive-pbc"); }
};

QList<BadInput> readBadInputs(const QString& corpusDir);

struct RunLimits {
    int startMs = 15000;  // until the player is on the bus
    int watchMs = 1500;   // watched once it is there
    int loadingMs = 6000; // more time for a "Loading..." status to give way
    int answerMs = 1000;  // the window must answer every question within this
};

// The real executable started on one or more bad inputs (several images go into one start as
// drives), watched until it is told to quit: every 250 ms it is asked for its playback status
// over its media player on the session bus, which the window's own thread answers. The
// faults found: a crash or an exit of its own, a sanitizer report, a question left unanswered
// past the limit, a status line left on "Loading..." or none that makes sense, a stored
// setting lost.
class BadInputRun : public QObject {
    Q_OBJECT
public:
    BadInputRun(const QList<BadInput>& inputs, const RunLimits& limits);
    ~BadInputRun() override;
    void start();
    bool isDone() const { return m_state == State::Done; }
    QString label() const;
    QStringList faults() const { return m_faults; }
    const QList<BadInput>& inputs() const { return m_inputs; }
    const RunLimits& limits() const { return m_limits; }
    // The process could not reach the X server at all: the machine's fault, not the case's.
    bool missedTheDisplay() const;

signals:
    void done();

private:
    enum class State { Starting, Watching, Quitting, Done };

    bool prepareSettings();
    QStringList arguments() const;
    QStringList environment() const;
    void tick();
    void findService();
    void ask();
    void quit();
    void processEnded(int exitCode, QProcess::ExitStatus status);
    void readOutput();
    void finish();
    void checkStatus();
    void checkSettings();
    void fault(const QString& text);

    QList<BadInput> m_inputs;
    RunLimits m_limits;
    QDBusConnection m_bus;
    QProcess m_process;
    QTemporaryDir m_home;
    QString m_configDir;
    QString m_service;
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_watchStart = -1;
    qint64 m_questionSent = -1; // while a question is unanswered
    qint64 m_lastQuestion = -1;
    qint64 m_quitSent = -1;
    qint64 m_longestAnswer = 0;
    QString m_status;
    QString m_statusBeforeQuit;
    QStringList m_statuses;
    QByteArray m_stdout;
    QByteArray m_errors;
    QByteArray m_settingsBefore;
    QMap<QString, QString> m_valuesBefore;
    bool m_prepared = false;
    QStringList m_faults;
    State m_state = State::Starting;
    bool m_hangReported = false;
};

// Runs all runs, `parallel` at a time, with an event loop; the faults of each, by label.
QStringList runAll(const std::vector<std::unique_ptr<BadInputRun>>& runs, int parallel);

// The real executable against the corpus of scripts/make-bad-inputs.sh: each bad input as the
// command-line argument, as an image drive (with playback control off or on) or as the settings
// folder, with a time limit. No
// crash, no question to the window left unanswered for a second, a status line that makes
// sense, and no stored setting lost.

#include "bad_input_run.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace {

QString corpusDir()
{
    return qEnvironmentVariable("TAMREL_BAD_INPUTS");
}

int variable(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// Images as drives go two to a start: the start-up detection reads the first drive and, when
// it holds no movies, the second. Everything else needs a start of its own, and so does a drive
// expected to play: the drive after it would never be read.
constexpr int DrivesPerStart = 2;

std::vector<std::unique_ptr<BadInputRun>> runsFor(const QList<BadInput>& inputs,
                                                  const RunLimits& limits)
{
    std::vector<std::unique_ptr<BadInputRun>> runs;
    QList<BadInput> drives;
    for (const BadInput& input : inputs) {
        if (input.how == QLatin1String("drive") && input.expect.isEmpty()) {
            drives << input;
            if (drives.size() < DrivesPerStart)
                continue;
            runs.push_back(std::make_unique<BadInputRun>(drives, limits));
            drives.clear();
        } else {
            runs.push_back(std::make_unique<BadInputRun>(QList<BadInput>{input}, limits));
        }
    }
    if (!drives.isEmpty())
        runs.push_back(std::make_unique<BadInputRun>(drives, limits));
    return runs;
}

bool closeToOthers(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class TestBadInputs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void corpus_data();
    void corpus();

private:
    QMap<QString, QList<BadInput>> m_groups;
    RunLimits m_limits;
    int m_parallel = 4;
};

void TestBadInputs::initTestCase()
{
    const QList<BadInput> all = readBadInputs(corpusDir());
    QVERIFY2(all.size() >= 200, qPrintable(corpusDir()));
    // The sanitizer build runs every n-th case, so that it stays within its time.
    const int every = variable("TAMREL_BAD_INPUTS_EVERY", 1);
    for (qsizetype i = 0; i < all.size(); ++i)
        if (i % every == 0 || all[i].asNobody())
            m_groups[all[i].group] << all[i];
    m_parallel = variable("TAMREL_BAD_INPUTS_PARALLEL", 4);
    m_limits.startMs = variable("TAMREL_BAD_INPUTS_START_MS", m_limits.startMs);
    m_limits.watchMs = variable("TAMREL_BAD_INPUTS_WATCH_MS", m_limits.watchMs);
    m_limits.answerMs = variable("TAMREL_BAD_INPUTS_ANSWER_MS", m_limits.answerMs);
    // Files only root may read, in a folder where nobody may look.
    const QString closed = corpusDir() + "/private";
    QVERIFY(closeToOthers(closed + "/clip.mpg", 0600));
    QVERIFY(closeToOthers(closed + "/disc.iso", 0600));
    QVERIFY(closeToOthers(closed + "/closed", 0700));
}

void TestBadInputs::corpus_data()
{
    QTest::addColumn<QString>("group");
    for (const QString& group : m_groups.keys())
        QTest::newRow(qPrintable(group)) << group;
}

void TestBadInputs::corpus()
{
    QFETCH(QString, group);
    const auto runs = runsFor(m_groups.value(group), m_limits);
    const QStringList faults = runAll(runs, m_parallel);
    qInfo("%s: %d cases in %d starts", qPrintable(group), int(m_groups.value(group).size()),
          int(runs.size()));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

QTEST_GUILESS_MAIN(TestBadInputs)
#include "test_bad_inputs.moc"

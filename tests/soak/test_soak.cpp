// Random user actions on the main window built as main() builds it (real player, real disc
// layer over a 12-track Video CD image, real settings file, the real mixer where a sound
// server runs) for a while: the program neither crashes nor leaks nor grows, and answers the
// next command afterwards.
//
// Growth is the growth of the heap in use: what the program and its libraries hold allocated,
// from the allocator's own books (malloc's, or the sanitizer runtime's). The resident set is
// printed beside it but bounds nothing: under the sanitizers it also counts their shadow
// memory and the quarantine of freed blocks, and in either build the heap's fragmentation and
// the free memory of each thread's arena, which rise and fall by megabytes with no change in
// what the program keeps.
//
//   TAMREL_SOAK_SEED      the seed (printed; set it to replay a run)
//   TAMREL_SOAK_ACTIONS   how many actions at least
//   TAMREL_SOAK_SECONDS   and for how long at least (0: no minimum)
//   TAMREL_SOAK_BASELINE  after how many actions the memory is first measured (10 % of the
//                         actions without it)
//   TAMREL_SOAK_GROWTH    the growth of the heap in use allowed from there to the end, in
//                         per cent; without it the growth is only reported
//   TAMREL_SOAK_CHECK_EVERY  the memory is also measured and printed after every so many
//                         actions (0: only at the baseline and the end)
//   TAMREL_SOAK_TRACE     1: every action is printed before it runs
//   TAMREL_SOAK_EXIT      1: the process ends at once after the last measurement, so that a
//                         heap profiler lists what was in use then as not freed (two runs
//                         of one seed with different lengths, diffed, show what grew)

#include "app/player_window.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/player/mpv_player.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/sound/alsa_mixer_device.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "settings/settings_keys.h"
#include "soak_driver.h"
#include "test_media.h"
#include "videocd/track_panel.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPixmapCache>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

namespace {

QString soakDisc()
{
    return qEnvironmentVariable("TAMREL_SOAK_DISC");
}

int setting(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

double mebibytes(qint64 bytes)
{
    return double(bytes) / (1024 * 1024);
}

struct MemoryLevel {
    qint64 resident = 0;
    qint64 heap = 0; // the median of the samples
    qint64 lowestHeap = 0;
    qint64 highestHeap = 0;
};

// The heap in use, sampled five times over two seconds once the program has settled: the
// player's threads still free or fill a buffer now and then (a megabyte up or down for a
// moment), and the median leaves such a moment out where one sample would count it.
MemoryLevel measure(SoakDriver& driver)
{
    driver.settleForMeasuring();
    std::array<qint64, 5> samples{};
    for (qint64& sample : samples) {
        QTest::qWait(400); // the samples are spread over time on purpose
        sample = SoakDriver::heapInUseBytes();
    }
    std::sort(samples.begin(), samples.end());
    return {SoakDriver::residentBytes(), samples[samples.size() / 2], samples.front(),
            samples.back()};
}

// The heap's level at one end of the run: the median of three measurements in a row where
// there are enough, since what the program holds at a measurement (the dialogs built so far,
// the player's buffers) moves it by up to a megabyte either way for longer than a measurement.
qint64 heapLevel(std::span<const MemoryLevel> measurements)
{
    std::vector<qint64> heaps;
    for (const MemoryLevel& level : measurements)
        heaps.push_back(level.heap);
    std::sort(heaps.begin(), heaps.end());
    return heaps.empty() ? 0 : heaps[heaps.size() / 2];
}

void print(const char* when, int actions, qint64 elapsedMs, const MemoryLevel& level)
{
    std::printf("soak: %s %d actions, %.0f s: resident memory %.1f MiB, heap in use %.1f MiB "
                "(%.1f to %.1f)\n",
                when, actions, double(elapsedMs) / 1000, mebibytes(level.resident),
                mebibytes(level.heap), mebibytes(level.lowestHeap), mebibytes(level.highestHeap));
    std::fflush(stdout);
}

// The program on one drive holding the soak disc.
struct SoakProgram {
    explicit SoakProgram(const QString& settingsFile)
        : discs(soakDisc()), player(MpvPlayer::Options{false, {"ao=null"}, &discs.library}),
          mci(discs.drives), settings(settingsFile, SettingsKeys::Section)
    {
        fakes.folders.desktop = fakes.folders.documents = QFileInfo(settingsFile).path();
        PlatformServices services = fakes.services();
        services.player = &player;
        services.tone = &player;
        services.drives = &discs.drives;
        services.folderLister = &discs.lister;
        services.mci = &mci;
        services.settings = &settings;
        // ALSA's default device is the sound server's when one runs; without one the
        // mixer's calls would all fail, and the knobs would turn nothing.
        if (qEnvironmentVariableIsSet("PULSE_SERVER"))
            services.mixer = &alsaMixer;
        window = std::make_unique<Playerfrm>(services);
    }
    // What the window and the player show, for a failure's message.
    QString state() const
    {
        return QStringLiteral("status \"%1\", player state %2 on \"%3\", tray button \"%4\"")
            .arg(window->engine().status())
            .arg(player.PlayState())
            .arg(player.FileName(), window->cmdOpencdrom->text());
    }
    bool playingTrack(int track) const
    {
        const QString file = QStringLiteral("AVSEQ%1.DAT").arg(track, 2, 10, QLatin1Char('0'));
        return player.PlayState() == MediaPlayer::Playing &&
               player.FileName().endsWith(file, Qt::CaseInsensitive);
    }

    DiscRig discs;
    FakeRig fakes; // system folders, screen grabs, the process end
    MpvPlayer player;
    MciInterpreter mci;
    IniSettingsStore settings;
    AlsaMixerDevice alsaMixer;
    std::unique_ptr<Playerfrm> window;
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void randomActionsLeaveTheProgramWorking();
};

void TestSoak::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    // Qt 6.4's pixmap cache, where the style keeps the pieces of its controls, keeps the key
    // of every piece it has dropped until that piece is asked for again (about 200 bytes
    // each, cleared or not): over the soak's thousands of window sizes, dialogs and icons those
    // books grow by megabytes. Without the cache the style draws every piece afresh, and the
    // heap holds what the program itself keeps.
    QPixmapCache::setCacheLimit(0);
    QVERIFY2(QFile::exists(soakDisc()), qPrintable(soakDisc()));
}

void TestSoak::randomActionsLeaveTheProgramWorking()
{
    const quint32 seed = quint32(setting("TAMREL_SOAK_SEED", 14));
    const int actions = setting("TAMREL_SOAK_ACTIONS", 1000);
    const qint64 minimumMs = qint64(setting("TAMREL_SOAK_SECONDS", 0)) * 1000;
    const int baselineAt = std::max(1, setting("TAMREL_SOAK_BASELINE", actions / 10));
    const int allowedGrowth = setting("TAMREL_SOAK_GROWTH", -1);
    const int checkEvery = setting("TAMREL_SOAK_CHECK_EVERY", 0);
    const bool trace = setting("TAMREL_SOAK_TRACE", 0) == 1;
    std::printf("soak: seed %u (TAMREL_SOAK_SEED), %d actions at least, %lld s at least\n", seed,
                actions, minimumMs / 1000);
    std::fflush(stdout);

    QTemporaryDir dir;
    SoakProgram program(dir.filePath("settings.ini"));
    program.window->show();
    program.window->Form_Load(QString());
    QVERIFY(QTest::qWaitFor([&] { return program.playingTrack(1); }, 10000));

    SoakDriver driver(*program.window, program.player, seed, TestMedia::clip("clips"));
    QElapsedTimer clock;
    clock.start();
    std::vector<MemoryLevel> levels; // from the baseline on
    int done = 0;
    while (done < actions || clock.elapsed() < minimumMs) {
        const SoakDriver::Action action = driver.next();
        ++done;
        if (trace) {
            std::printf("%d %s\n", done, qPrintable(SoakDriver::name(action)));
            std::fflush(stdout);
        }
        driver.perform(action);
        if (done == baselineAt || (checkEvery > 0 && done % checkEvery == 0)) {
            const MemoryLevel level = measure(driver);
            print(done == baselineAt ? "baseline after" : "after", done, clock.elapsed(), level);
            if (done >= baselineAt)
                levels.push_back(level);
        }
    }
    const qint64 elapsedMs = clock.elapsed();
    const MemoryLevel end = measure(driver);
    print("end after", done, elapsedMs, end);
    const MemoryLevel baseline = levels.empty() ? end : levels.front();
    levels.push_back(end);
    if (setting("TAMREL_SOAK_EXIT", 0) == 1)
        std::_Exit(0);

    // The program answers afterwards: the disc goes back in (the tray button works only while
    // nothing plays) and plays from track 1 in order, and a track key plays its track.
    driver.closeOtherWindows();
    Playerfrm& window = *program.window;
    window.playbackPanel().chkOrd->click();
    if (window.playbackPanel().cmdStop->isEnabled())
        window.playbackPanel().cmdStop->click();
    else
        window.engine().StopCommand();
    QVERIFY2(window.cmdOpencdrom->isEnabled(), qPrintable(program.state()));
    if (window.cmdOpencdrom->text() == QLatin1String("C"))
        window.cmdOpencdrom->click();
    else
        window.mnuOpenVCD->trigger();
    QVERIFY2(QTest::qWaitFor([&] { return program.playingTrack(1); }, 10000),
             qPrintable(program.state()));
    QTest::keyClick(program.window.get(), '5');
    QVERIFY2(QTest::qWaitFor([&] { return program.playingTrack(5); }, 10000),
             qPrintable(program.state()));
    QTRY_VERIFY_WITH_TIMEOUT(program.window->engine().status().startsWith("Playing"), 5000);

    const auto growth = [](qint64 from, qint64 to) {
        return from > 0 ? 100.0 * double(to - from) / double(from) : 0.0;
    };
    const double residentGrowth = growth(baseline.resident, end.resident);
    const std::size_t span = levels.size() >= 6 ? 3 : 1;
    const qint64 heapFrom = heapLevel(std::span(levels).first(span));
    const qint64 heapTo = heapLevel(std::span(levels).last(span));
    const double heapGrowth = growth(heapFrom, heapTo);
    std::printf("soak: %d actions in %.1f s; after %d actions and at the end: resident memory "
                "%.1f and %.1f MiB (%+.1f %%), heap in use %.1f and %.1f MiB (%+.1f %%%s)\n",
                done, elapsedMs / 1000.0, baselineAt, mebibytes(baseline.resident),
                mebibytes(end.resident), residentGrowth, mebibytes(heapFrom), mebibytes(heapTo),
                heapGrowth,
                span > 1 ? ", medians of the first and the last three measurements" : "");
    QStringList counts;
    for (auto it = driver.counts().begin(); it != driver.counts().end(); ++it)
        counts << QStringLiteral("%1 %2").arg(SoakDriver::name(it.key())).arg(it.value());
    std::printf("soak: %s; %d waiting dialogs closed\n", qPrintable(counts.join(", ")),
                driver.dismissedDialogs());
    std::fflush(stdout);
    if (allowedGrowth >= 0)
        QVERIFY2(heapGrowth <= allowedGrowth, qPrintable(QString::number(heapGrowth)));
}

QTEST_MAIN(TestSoak)
#include "test_soak.moc"

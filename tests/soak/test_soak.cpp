// Random user actions on the main window built as main() builds it (real player, real disc
// layer over a 12-track Video CD image, real settings file, the real mixer where a sound
// server runs) for a while: the program neither crashes nor leaks nor grows, and answers the
// next command afterwards.
//
//   TAMREL_SOAK_SEED      the seed (printed; set it to replay a run)
//   TAMREL_SOAK_ACTIONS   how many actions at least
//   TAMREL_SOAK_SECONDS   and for how long at least (0: no minimum)
//   TAMREL_SOAK_BASELINE  after how many actions the memory is first measured (10 % of the
//                         actions without it)
//   TAMREL_SOAK_GROWTH    the growth of memory allowed from there to the end, in per cent;
//                         without it the growth is only reported
//   TAMREL_SOAK_TRACE     1: every action is printed before it runs
//   TAMREL_SOAK_EXIT      1: the process ends at once after the last measurement, so that a
//                         heap profiler lists what was in use then as not freed (two runs
//                         of one seed with different lengths, diffed, show what grew)

#include "app/player_window.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/alsa_mixer_device.h"
#include "platform/ini_settings_store.h"
#include "platform/mci_interpreter.h"
#include "platform/mpv_player.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "settings/settings_keys.h"
#include "soak_driver.h"
#include "videocd/track_panel.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

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
    QVERIFY2(QFile::exists(soakDisc()), qPrintable(soakDisc()));
}

void TestSoak::randomActionsLeaveTheProgramWorking()
{
    const quint32 seed = quint32(setting("TAMREL_SOAK_SEED", 14));
    const int actions = setting("TAMREL_SOAK_ACTIONS", 1000);
    const qint64 minimumMs = qint64(setting("TAMREL_SOAK_SECONDS", 0)) * 1000;
    const int baselineAt = std::max(1, setting("TAMREL_SOAK_BASELINE", actions / 10));
    const int allowedGrowth = setting("TAMREL_SOAK_GROWTH", -1);
    const bool trace = setting("TAMREL_SOAK_TRACE", 0) == 1;
    std::printf("soak: seed %u (TAMREL_SOAK_SEED), %d actions at least, %lld s at least\n", seed,
                actions, minimumMs / 1000);
    std::fflush(stdout);

    QTemporaryDir dir;
    SoakProgram program(dir.filePath("settings.ini"));
    program.window->show();
    program.window->Form_Load(QString());
    QVERIFY(QTest::qWaitFor([&] { return program.playingTrack(1); }, 10000));

    SoakDriver driver(*program.window, program.player, seed,
                      qEnvironmentVariable("TAMREL_TEST_MEDIA") + "/clips");
    QElapsedTimer clock;
    clock.start();
    qint64 baseline = 0;
    qint64 heapAtBaseline = 0;
    int done = 0;
    while (done < actions || clock.elapsed() < minimumMs) {
        const SoakDriver::Action action = driver.next();
        ++done;
        if (trace) {
            std::printf("%d %s\n", done, qPrintable(SoakDriver::name(action)));
            std::fflush(stdout);
        }
        driver.perform(action);
        if (done == baselineAt) {
            driver.settleForMeasuring();
            baseline = SoakDriver::residentBytes();
            heapAtBaseline = SoakDriver::heapInUseBytes();
        }
    }
    const qint64 elapsedMs = clock.elapsed();
    driver.settleForMeasuring();
    const qint64 end = SoakDriver::residentBytes();
    const qint64 heapAtEnd = SoakDriver::heapInUseBytes();
    if (setting("TAMREL_SOAK_EXIT", 0) == 1) {
        std::printf("soak: %d actions, resident memory %.1f MiB, heap in use %.1f MiB\n", done,
                    mebibytes(end), mebibytes(heapAtEnd));
        std::fflush(stdout);
        std::_Exit(0);
    }

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

    const double growth = baseline ? 100.0 * double(end - baseline) / double(baseline) : 0;
    std::printf("soak: %d actions in %.1f s; resident memory after %d actions %.1f MiB, "
                "at the end %.1f MiB (%+.1f %%)\n",
                done, elapsedMs / 1000.0, baselineAt, mebibytes(baseline), mebibytes(end), growth);
    if (heapAtEnd > 0)
        std::printf("soak: heap in use after %d actions %.1f MiB, at the end %.1f MiB\n",
                    baselineAt, mebibytes(heapAtBaseline), mebibytes(heapAtEnd));
    QStringList counts;
    for (auto it = driver.counts().begin(); it != driver.counts().end(); ++it)
        counts << QStringLiteral("%1 %2").arg(SoakDriver::name(it.key())).arg(it.value());
    std::printf("soak: %s; %d waiting dialogs closed\n", qPrintable(counts.join(", ")),
                driver.dismissedDialogs());
    std::fflush(stdout);
    if (allowedGrowth >= 0)
        QVERIFY2(growth <= allowedGrowth, qPrintable(QString::number(growth)));
}

QTEST_MAIN(TestSoak)
#include "test_soak.moc"

#pragma once

// What the tests of slow, failing and vanishing media share: the program built in-process on
// real parts, a watch on the event loop, the tracks of the generated discs.

#include "app/player_window.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/disc/read/disc_reader.h"
#include "platform/player/mpv_player.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "test_media.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <memory>

// "AVSEQ03.DAT" for track 3.
inline QString trackFile(int track)
{
    return QStringLiteral("AVSEQ%1.DAT").arg(track, 2, 10, QLatin1Char('0'));
}

// Where track `track` of a Video CD image lies on the disc.
inline IsoEntry trackOnDisc(const QString& image, int track)
{
    const std::unique_ptr<SectorSource> disc = DiscReader::open(image);
    const std::optional<IsoEntry> entry =
        disc ? DiscReader::findFile(*disc, {"MPEGAV", trackFile(track)}) : std::nullopt;
    return entry.value_or(IsoEntry{});
}

// The largest gap between the ticks of a 10 ms timer: the longest the event loop was held up,
// and when (since the watch started), to tell which step of a test held it.
class StallWatch {
public:
    StallWatch()
    {
        m_timer.setInterval(10);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 gap = m_sinceTick.restart();
            if (gap > m_longest) {
                m_longest = gap;
                m_longestEndedAt = m_sinceStart.elapsed();
            }
        });
        restart();
        m_timer.start();
    }
    void restart()
    {
        m_longest = m_longestEndedAt = 0;
        m_sinceTick.start();
        m_sinceStart.start();
    }
    qint64 longestGapMs() const { return m_longest; }
    QString describe() const
    {
        return QStringLiteral("longest stall %1 ms, ending %2 ms after the watch started")
            .arg(m_longest)
            .arg(m_longestEndedAt);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_sinceStart;
    qint64 m_longest = 0;
    qint64 m_longestEndedAt = 0;
};

// The program on the drives of a drive list, built as main() builds it: the real player (no
// picture, no sound, real time), the real disc layer and device commands, the main window.
// Folders, the mixer and the process end are fakes; the settings too unless a store is given.
struct RealProgram {
    explicit RealProgram(const QString& driveList, DiscLibrary::DiscOpener opener = {},
                         SettingsStore* settings = nullptr)
        : discs(driveList, std::move(opener)),
          player(MpvPlayer::Options{false, {"ao=null"}, &discs.library}), mci(discs.drives)
    {
        PlatformServices services = fakes.services();
        services.player = &player;
        services.drives = &discs.drives;
        services.folderLister = &discs.lister;
        services.mci = &mci;
        if (settings)
            services.settings = settings;
        window = std::make_unique<Playerfrm>(services);
        QObject::connect(&engine(), &PlaybackEngine::statusChanged,
                         [this](const QString& text) { statuses << text; });
    }
    PlaybackEngine& engine() { return window->engine(); }
    QString status() { return engine().status(); }
    bool playing() const { return player.PlayState() == MediaPlayer::Playing; }
    // The player reports playing a file whose name ends so (a disc track: "AVSEQ02.DAT").
    bool playingFile(const QString& ending) const
    {
        return playing() && player.FileName().endsWith(ending, Qt::CaseInsensitive);
    }
    bool waitForPlaying(const QString& ending, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return playingFile(ending); }, ms);
    }
    // The status line says what the player does: "Playing" exactly while it plays, and never
    // a load that is over.
    // The status line tells what plays, or says why a file did not open.
    bool statusIsTruthful()
    {
        if (status() == StatusText::Loading)
            return false;
        if (status().startsWith(QLatin1String("File not found: ")) ||
            status().startsWith(QLatin1String("File cannot be read: ")))
            return true;
        return status().startsWith(QLatin1String("Playing")) == playing();
    }

    DiscRig discs;
    FakeRig fakes;
    MpvPlayer player;
    MciInterpreter mci;
    std::unique_ptr<Playerfrm> window;
    QStringList statuses;
};

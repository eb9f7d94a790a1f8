// libmpv playing disc files through the stream protocol, on the images of
// scripts/make-test-discs.sh (TAMREL_TEST_DISCS). Uses mpv's client API directly.

#include "disc_rig.h"
#include "platform/disc/read/disc_reader.h"
#include "platform/disc/read/sector_source.h"
#include "platform/player/mpv/disc_stream_protocol.h"
#include "platform/player/mpv/mpv_handle.h"
#include "test_media.h"

#include <QElapsedTimer>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <clocale>
#include <thread>

namespace {

// A disc that answers every read slowly once `slow` is set, as a scratched disc in an old
// drive does; `reading` tells when a read is in progress.
struct SlowDisc {
    std::atomic<bool> slow = false;
    std::atomic<bool> reading = false;
    std::chrono::milliseconds delay{2000};

    DiscLibrary::DiscOpener opener()
    {
        return [this](const QString& source) -> std::unique_ptr<SectorSource> {
            std::unique_ptr<SectorSource> disc = DiscReader::open(source);
            return disc ? std::make_unique<Source>(*this, std::move(disc)) : nullptr;
        };
    }

    class Source : public SectorSource {
    public:
        Source(SlowDisc& owner, std::unique_ptr<SectorSource> disc)
            : m_owner(owner), m_disc(std::move(disc))
        {
        }
        std::uint32_t sectorCount() const override { return m_disc->sectorCount(); }
        bool hasForm2() const override { return m_disc->hasForm2(); }

    protected:
        bool readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                         unsigned char* out) override
        {
            if (m_owner.slow) {
                m_owner.reading = true;
                std::this_thread::sleep_for(m_owner.delay); // the slow drive itself
                m_owner.reading = false;
            }
            return m_disc->read(kind, first, count, out);
        }

    private:
        SlowDisc& m_owner;
        std::unique_ptr<SectorSource> m_disc;
    };
};

bool waitUntil(const std::atomic<bool>& flag, int ms = 5000)
{
    return QTest::qWaitFor([&] { return flag.load(); }, ms);
}

using Options = std::initializer_list<std::pair<const char*, const char*>>;

MpvHandlePtr startMpv(const DiscLibrary& library, Options extra)
{
    MpvHandlePtr mpv(mpv_create());
    if (!mpv)
        return nullptr;
    const Options base{{"vo", "null"}, {"ao", "null"}, {"load-scripts", "no"}, {"ytdl", "no"}};
    for (const Options& options : {base, extra})
        for (const auto& [name, value] : options)
            mpv_set_option_string(mpv.get(), name, value);
    if (mpv_initialize(mpv.get()) < 0 || !registerDiscStreamProtocol(mpv.get(), library))
        return nullptr;
    return mpv;
}

void load(mpv_handle* mpv, const QString& discPath)
{
    const QByteArray uri = discStreamUri(discPath).toUtf8();
    const char* command[] = {"loadfile", uri.constData(), nullptr};
    mpv_command(mpv, command);
}

// Waits for an event of this kind; returns it, or nothing after `seconds`.
std::optional<mpv_event> waitFor(mpv_handle* mpv, mpv_event_id id, double seconds = 10)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        const mpv_event* event = mpv_wait_event(mpv, 0.1);
        if (event->event_id == id)
            return *event;
        if (event->event_id == MPV_EVENT_END_FILE && id != MPV_EVENT_END_FILE)
            return std::nullopt;
    }
    return std::nullopt;
}

double doubleProperty(mpv_handle* mpv, const char* name)
{
    double value = -1;
    mpv_get_property(mpv, name, MPV_FORMAT_DOUBLE, &value);
    return value;
}

} // namespace

class TestDiscStream : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

    void uriRoundTrip_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("track") << "SR0:\\Mpegav\\AVSEQ01.DAT";
        QTest::newRow("blanks, percent, non-ASCII") << "IMG3:\\a b\\100% ü.dat";
    }
    void uriRoundTrip()
    {
        QFETCH(QString, path);
        const QString uri = discStreamUri(path);
        QVERIFY(uri.startsWith("tamrel-disc://"));
        QVERIFY(!uri.contains('\\') && !uri.contains(' '));
        QCOMPARE(discPathFromUri(uri), std::optional(path));
        QCOMPARE(discPathFromUri("file:///x"), std::optional<QString>());
    }

    void playsTrack_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<double>("duration");
        QTest::newRow("bin/cue track 1") << "vcd-a.cue"
                                         << "IMG0:\\Mpegav\\AVSEQ01.DAT"
                                         << "clip1.mpg" << 4.0;
        QTest::newRow("bin/cue track 3") << "vcd-a.cue"
                                         << "img0:\\mpegav\\avseq03.dat"
                                         << "clip3.mpg" << 5.0;
        QTest::newRow("pal track") << "vcd-b.cue"
                                   << "IMG0:\\Mpegav\\AVSEQ01.DAT"
                                   << "clip9.mpg" << 3.0;
        QTest::newRow("mode 1 iso") << "mode1.iso"
                                    << "IMG0:\\Mpegav\\AVSEQ02.DAT"
                                    << "clip2.mpg" << 3.0;
        QTest::newRow("Super Video CD") << "svcd.cue"
                                        << "IMG0:\\MPEG2\\AVSEQ01.MPG"
                                        << "svcd1.mpg" << 2.0;
    }
    // Duration and seeks as for the clip file itself: mpv's seeks in MPEG program streams land
    // on the next keyframe, up to a GOP (0.6 s) after the target.
    void playsTrack()
    {
        QFETCH(QString, image);
        QFETCH(QString, path);
        QFETCH(QString, clip);
        QFETCH(double, duration);
        DiscRig rig(TestMedia::disc(image));
        const double target = duration / 2 + 0.3;
        // The track as the player loads it, naming the format; the clip as mpv finds it.
        const auto play = [&rig, target](const QString& uri,
                                         const char* format) -> std::pair<double, double> {
            MpvHandlePtr mpv =
                startMpv(rig.library, {{"pause", "yes"}, {"demuxer-lavf-format", format}});
            const QByteArray file = uri.toUtf8();
            const char* loadfile[] = {"loadfile", file.constData(), nullptr};
            mpv_command(mpv.get(), loadfile);
            if (!waitFor(mpv.get(), MPV_EVENT_FILE_LOADED) ||
                !waitFor(mpv.get(), MPV_EVENT_PLAYBACK_RESTART)) // at the start
                return {-1, -1};
            const double length = doubleProperty(mpv.get(), "duration");
            const QByteArray to = QByteArray::number(target);
            const char* seek[] = {"seek", to.constData(), "absolute", "exact", nullptr};
            if (mpv_command(mpv.get(), seek) < 0 || !waitFor(mpv.get(), MPV_EVENT_PLAYBACK_RESTART))
                return {length, -1};
            return {length, doubleProperty(mpv.get(), "time-pos")};
        };
        const auto [length, position] = play(discStreamUri(path), "mpeg");
        const auto [clipLength, clipPosition] = play(TestMedia::disc(clip), "");
        QVERIFY2(std::abs(length - duration) <= 0.5, qPrintable(QString::number(length)));
        QVERIFY2(position >= target - 0.05 && position <= target + 0.65,
                 qPrintable(QString::number(position)));
        QVERIFY(std::abs(length - clipLength) < 0.05);
        QVERIFY(std::abs(position - clipPosition) < 0.05);
    }

    void missingFileFailsToLoad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("no such file") << "IMG0:\\Mpegav\\AVSEQ09.DAT";
        QTest::newRow("no such drive") << "IMG7:\\Mpegav\\AVSEQ01.DAT";
        QTest::newRow("folder") << "IMG0:\\Mpegav";
    }
    void missingFileFailsToLoad()
    {
        QFETCH(QString, path);
        DiscRig rig(TestMedia::disc("vcd-a.cue"));
        MpvHandlePtr mpv = startMpv(rig.library, {});
        QVERIFY(mpv);
        load(mpv.get(), path);
        const std::optional<mpv_event> end = waitFor(mpv.get(), MPV_EVENT_END_FILE);
        QVERIFY(end);
        QCOMPARE(static_cast<mpv_event_end_file*>(end->data)->reason, MPV_END_FILE_REASON_ERROR);
    }

    // Opening the tray mid-track cuts the stream off: the track ends, nothing hangs.
    void trayOpenedWhilePlaying()
    {
        DiscRig rig(TestMedia::disc("vcd-a.cue"));
        MpvHandlePtr mpv = startMpv(rig.library, {{"cache", "no"}, {"demuxer-max-bytes", "64KiB"}});
        QVERIFY(mpv);
        load(mpv.get(), "IMG0:\\Mpegav\\AVSEQ03.DAT");
        QVERIFY(waitFor(mpv.get(), MPV_EVENT_PLAYBACK_RESTART));
        QCOMPARE(mpv_observe_property(mpv.get(), 0, "time-pos", MPV_FORMAT_DOUBLE), 0);
        QVERIFY(rig.drives.openTray("img0"));
        // It ends well before the 5 s track could have played out.
        double lastPosition = -1;
        bool ended = false;
        for (int wait = 0; wait < 100 && !ended; ++wait) { // at most 10 s
            const mpv_event* event = mpv_wait_event(mpv.get(), 0.1);
            ended = event->event_id == MPV_EVENT_END_FILE;
            const auto* change = static_cast<const mpv_event_property*>(event->data);
            if (event->event_id == MPV_EVENT_PROPERTY_CHANGE && change->format == MPV_FORMAT_DOUBLE)
                lastPosition = *static_cast<const double*>(change->data);
        }
        QVERIFY(ended);
        QVERIFY2(lastPosition < 4.0, qPrintable(QString::number(lastPosition)));
    }

    // A disc that takes seconds per read never holds up the tray: the tray command returns at
    // once, the read in progress fails when it comes back, the stream closes cleanly.
    void trayNeverWaitsForASlowRead()
    {
        SlowDisc slowDisc;
        DiscRig rig(TestMedia::disc("vcd-a.cue"), slowDisc.opener());
        std::unique_ptr<DiscStream> stream = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT");
        QVERIFY(stream);
        slowDisc.slow = true;
        qint64 result = 0;
        std::thread reader([&] {
            char buffer[4096];
            result = stream->read(0, buffer, sizeof buffer);
        });
        QVERIFY(waitUntil(slowDisc.reading));
        QVERIFY(rig.drives.openTray("img0"));
        QVERIFY(slowDisc.reading); // the tray did not wait for the read to come back
        reader.join();
        QCOMPARE(result, -1);
        char byte;
        QCOMPARE(stream->read(0, &byte, 1), -1);
        stream.reset();
    }

    // The same with mpv reading the slow disc on its own thread while it plays.
    void trayNeverWaitsForMpvOnASlowDisc()
    {
        SlowDisc slowDisc;
        DiscRig rig(TestMedia::disc("vcd-a.cue"), slowDisc.opener());
        MpvHandlePtr mpv = startMpv(rig.library, {{"cache", "no"}, {"demuxer-max-bytes", "64KiB"}});
        QVERIFY(mpv);
        load(mpv.get(), "IMG0:\\Mpegav\\AVSEQ03.DAT");
        QVERIFY(waitFor(mpv.get(), MPV_EVENT_PLAYBACK_RESTART));
        slowDisc.slow = true;
        QVERIFY(waitUntil(slowDisc.reading));
        QVERIFY(rig.drives.openTray("img0"));
        QVERIFY(slowDisc.reading); // the tray did not wait for the read to come back
        QVERIFY(waitFor(mpv.get(), MPV_EVENT_END_FILE, 10));
        slowDisc.slow = false;
    }
};

QTEST_GUILESS_MAIN(TestDiscStream)
#include "test_disc_stream.moc"

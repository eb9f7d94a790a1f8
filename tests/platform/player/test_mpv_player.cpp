// MpvPlayer against real libmpv and the clips of scripts/make-test-media.sh. The player runs
// with vo=null; most cases also let mpv run untimed at speed 100 so a clip ends in a blink.

#include "platform/player/double_size.h"
#include "platform/player/mpv_player.h"
#include "test_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

const QStringList kFast = {"ao=null", "speed=100", "untimed=yes", "ao-null-untimed=yes"};
const QStringList kRealTime = {"ao=null"};

// What a player reported, in order.
struct Recorder {
    QStringList log; // "0>2", "eos", "fail"
    int eos = 0;
    int failures = 0;
    int playingEntries = 0;

    void attach(MpvPlayer* player)
    {
        QObject::connect(player, &MediaPlayer::PlayStateChange, player, [this](long from, long to) {
            log << QStringLiteral("%1>%2").arg(from).arg(to);
            if (to == MediaPlayer::Playing)
                ++playingEntries;
        });
        QObject::connect(player, &MediaPlayer::EndOfStream, player, [this](long) {
            log << QStringLiteral("eos");
            ++eos;
        });
        QObject::connect(player, &MpvPlayer::loadFailed, player, [this](const QString&, int) {
            log << QStringLiteral("fail");
            ++failures;
        });
    }
};

// Signals a player sends once it is being destroyed, recorded by an object that outlives it.
class LateSignals : public QObject {
public:
    bool playerGone = false;
    QStringList received;

    void attach(MpvPlayer* player)
    {
        connect(player, &MediaPlayer::PlayStateChange, this,
                [this](long from, long to) { note(QStringLiteral("%1>%2").arg(from).arg(to)); });
        connect(player, &MediaPlayer::EndOfStream, this, [this] { note("EndOfStream"); });
        connect(player, &MpvPlayer::loadFailed, this, [this] { note("loadFailed"); });
        connect(player, &MpvPlayer::firstFrameShown, this, [this] { note("firstFrameShown"); });
    }

private:
    void note(const QString& signal)
    {
        if (playerGone)
            received << signal;
    }
};

struct Tone {
    double hz = 0;
    double rms = 0;
};

struct Recording {
    double seconds = 0;
    QList<Tone> channels;
};

// Length of a 16-bit or float WAV file, and the frequency of each of its channels from zero
// crossings between the fractions `from` and `to` of its length.
Recording analyseWav(const QString& path, double fromFraction, double toFraction)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wav = file.readAll();
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return {};
    int format = 0, channels = 0, rate = 0, bits = 0;
    QByteArray data;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const auto size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            format = qFromLittleEndian<quint16>(wav.constData() + body);
            channels = qFromLittleEndian<quint16>(wav.constData() + body + 2);
            rate = int(qFromLittleEndian<quint32>(wav.constData() + body + 4));
            bits = qFromLittleEndian<quint16>(wav.constData() + body + 14);
            if (format == 0xFFFE) // WAVE_FORMAT_EXTENSIBLE: the sub-format GUID starts with it
                format = qFromLittleEndian<quint16>(wav.constData() + body + 24);
        } else if (id == "data") {
            // A header that was never finalised claims more than the file holds.
            data = wav.mid(body, std::min<qsizetype>(size, wav.size() - body));
            break;
        }
        at = body + size + (size & 1);
    }
    const bool pcm16 = format == 1 && bits == 16;
    const bool float32 = format == 3 && bits == 32;
    if (channels <= 0 || rate <= 0 || !(pcm16 || float32))
        return {};
    const int bytesPerFrame = channels * bits / 8;
    const qsizetype frames = data.size() / bytesPerFrame;
    const auto from = qsizetype(double(frames) * fromFraction);
    const auto to = qsizetype(double(frames) * toFraction);
    if (to <= from)
        return {};
    Recording recording;
    recording.seconds = double(frames) / rate;
    for (int c = 0; c < channels; ++c) {
        int crossings = 0;
        double sumSquares = 0;
        bool positive = false, known = false;
        for (qsizetype f = from; f < to; ++f) {
            const char* sample = data.constData() + f * bytesPerFrame + c * bits / 8;
            const double v = pcm16 ? qFromLittleEndian<qint16>(sample) / 32768.0
                                   : double(qFromLittleEndian<float>(sample));
            sumSquares += v * v;
            // Hysteresis keeps noise around zero from counting as crossings.
            if (v > 0.01 || v < -0.01) {
                if (known && positive != (v > 0))
                    ++crossings;
                positive = v > 0;
                known = true;
            }
        }
        const double seconds = double(to - from) / rate;
        recording.channels.append(
            {crossings / 2.0 / seconds, std::sqrt(sumSquares / double(to - from))});
    }
    return recording;
}

} // namespace

class TestMpvPlayer : public QObject {
    Q_OBJECT

private:
    // A property once the player's asynchronous settings have reached mpv, asked for every
    // quarter second: asked for at QTRY's pace (every 50 ms), libmpv kept answering the old
    // value for seconds in about one run in twenty, as if the settings waited behind the
    // questions.
    static QString settledProperty(MpvPlayer& player, const char* name, const QString& wanted)
    {
        QString value;
        QTimer pace;
        QSignalSpy asks(&pace, &QTimer::timeout);
        pace.start(250);
        const bool settled = QTest::qWaitFor(
            [&] {
                if (asks.isEmpty())
                    return false;
                asks.clear();
                value = player.mpvProperty(name);
                return value == wanted;
            },
            10000);
        return settled ? value : player.mpvProperty(name);
    }

    static std::unique_ptr<MpvPlayer> makePlayer(const QStringList& options)
    {
        MpvPlayer::Options o;
        o.renderVideo = false;
        o.extraOptions = options;
        auto player = std::make_unique<MpvPlayer>(o);
        return player;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(TestMedia::clip(".done")),
                 "TAMREL_TEST_MEDIA must name the generated clips");
        QVERIFY(makePlayer(kFast)->isValid());
    }

    void playsToEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("duration");
        QTest::addColumn<int>("frames"); // firstFrameShown signals
        QTest::newRow("VCD MPEG-1") << "vcd.dat" << 4.0 << 1;
        QTest::newRow("MP3") << "tone.mp3" << 3.0 << 0;
        QTest::newRow("AVI") << "clip.avi" << 3.0 << 1;
        QTest::newRow("odd name") << "odd dir/it's a \"quoted\" naïve clip.dat" << 4.0 << 1;
    }
    void knowsItsDuration_data() { playsToEnd_data(); }
    void knowsItsDuration()
    {
        // Opened paused, the file stays open however long the answer takes.
        QFETCH(QString, file);
        QFETCH(double, duration);
        auto player = makePlayer(kRealTime);
        player->setFileName(TestMedia::clip(file));
        player->Pause();
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(player->Duration() - duration) < 0.2, 5000);
    }
    void playsToEnd()
    {
        QFETCH(QString, file);
        QFETCH(int, frames);
        auto player = makePlayer(kFast);
        Recorder rec;
        rec.attach(player.get());
        QSignalSpy firstFrames(player.get(), &MpvPlayer::firstFrameShown);
        QCOMPARE(player->Duration(), 0.0);

        player->setFileName(TestMedia::clip(file));
        QCOMPARE(player->FileName(), TestMedia::clip(file));
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 1, 5000);
        QCOMPARE(rec.log, QStringList({"0>2", "2>0", "eos"}));
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
        // Untimed, a file may open and end between two turns of the event loop, before its
        // duration could be read: that it stays after the end is checked in real time.
        // Nothing more arrives late: a span in which nothing may come.
        QTest::qWait(200);
        QCOMPARE(rec.log.size(), 3);
        QCOMPARE(firstFrames.count(), frames);
    }

    void unplayableNeverPlays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("random bytes") << "random.mpg";
        QTest::newRow("empty file") << "empty.mpg";
        QTest::newRow("missing file") << "no such clip.mpg";
        QTest::newRow("directory") << "clips";
    }
    void unplayableNeverPlays()
    {
        QFETCH(QString, file);
        auto player = makePlayer(kFast);
        Recorder rec;
        rec.attach(player.get());
        player->setFileName(TestMedia::clip(file));
        QTRY_COMPARE_WITH_TIMEOUT(rec.failures, 1, 10000);
        QCOMPARE(rec.playingEntries, 0);
        QCOMPARE(rec.eos, 0);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
        QCOMPARE(player->FileName(), TestMedia::clip(file));
        // Play retries and fails the same way.
        player->Play();
        QTRY_COMPARE_WITH_TIMEOUT(rec.failures, 2, 10000);
        QCOMPARE(rec.playingEntries, 0);
        QCOMPARE(rec.eos, 0);
    }

    void restartAfterEnd_data()
    {
        QTest::addColumn<bool>("stopFirst");
        QTest::newRow("Play") << false;
        QTest::newRow("Stop, then Play") << true;
    }
    void restartAfterEnd()
    {
        QFETCH(bool, stopFirst);
        auto player = makePlayer(kFast);
        Recorder rec;
        rec.attach(player.get());
        player->setFileName(TestMedia::clip("clips/a.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 1, 5000);
        if (stopFirst) {
            player->Stop();
            QTest::qWait(300); // a span in which nothing late may undo the stop
            QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
            QCOMPARE(player->CurrentPosition(), 0.0);
            QCOMPARE(rec.eos, 1);
            QVERIFY(std::abs(player->Duration() - 1.5) < 0.2);
        }
        player->Play();
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 2, 5000);
        QCOMPARE(rec.playingEntries, 2);
        QCOMPARE(rec.log.mid(3), QStringList({"0>2", "2>0", "eos"}));
    }

    // A disc's still: the medium held on its last picture, playing, with no end reported; the
    // next medium ends as usual.
    void holdsOneMediumOnItsLastPicture()
    {
        auto player = makePlayer(kFast);
        Recorder rec;
        rec.attach(player.get());
        player->setHoldLastPicture(true);
        player->setFileName(TestMedia::clip("clips/a.mpg"));
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 1.3, 5000);
        // Its end would come at once, at a hundred times the speed: it must not.
        QSignalSpy ends(player.get(), &MediaPlayer::EndOfStream);
        QVERIFY(!ends.wait(1000));
        QCOMPARE(rec.eos, 0);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        player->setFileName(TestMedia::clip("clips/a.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 1, 5000);
    }

    void stopReturnsToStart()
    {
        auto player = makePlayer(kRealTime);
        Recorder rec;
        rec.attach(player.get());
        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 0.8, 5000);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));

        player->Stop();
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
        QCOMPARE(player->CurrentPosition(), 0.0);
        QTest::qWait(400); // a span in which the position may not move on
        QVERIFY2(player->CurrentPosition() < 0.05,
                 qPrintable(QString::number(player->CurrentPosition())));
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
        QCOMPARE(rec.eos, 0);
        QCOMPARE(player->FileName(), TestMedia::clip("long.mpg"));
        QVERIFY(std::abs(player->Duration() - 20.0) < 0.2);

        player->Play();
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        // Resuming where it was stopped would show more than 0.8 s at once.
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 0.05, 3000);
        QVERIFY2(player->CurrentPosition() < 0.6,
                 qPrintable(QString::number(player->CurrentPosition())));
        QCOMPARE(rec.log, QStringList({"0>2", "2>0", "0>2"}));
    }

    void pauseHoldsPosition()
    {
        auto player = makePlayer(kRealTime);
        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 0.5, 5000);

        player->Pause();
        QCOMPARE(player->PlayState(), int(MediaPlayer::Paused));
        // Held once two readings in a row agree.
        double held = -1;
        const auto settled = [&] {
            const double now = player->CurrentPosition();
            const bool same = std::abs(now - held) < 0.001;
            held = now;
            return same;
        };
        QTRY_VERIFY_WITH_TIMEOUT(settled(), 5000);
        QTest::qWait(500); // a span in which the position may not move
        QVERIFY(std::abs(player->CurrentPosition() - held) < 0.05);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Paused));

        player->Play();
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > held + 0.3, 3000);
        QVERIFY(player->CurrentPosition() < held + 1.5);
    }

    void seekMovesPosition_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::newRow("playing") << false;
        QTest::newRow("paused") << true;
    }
    void seekMovesPosition()
    {
        QFETCH(bool, paused);
        auto player = makePlayer(kRealTime);
        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Playing), 5000);
        if (paused)
            player->Pause();

        player->setCurrentPosition(12.0);
        QCOMPARE(player->CurrentPosition(), 12.0);
        if (paused) {
            QTest::qWait(500); // a span in which the position may not move
            const double position = player->CurrentPosition();
            QVERIFY2(std::abs(position - 12.0) < 0.1, qPrintable(QString::number(position)));
            QCOMPARE(player->PlayState(), int(MediaPlayer::Paused));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 12.1, 3000);
            QVERIFY2(player->CurrentPosition() < 12.8,
                     qPrintable(QString::number(player->CurrentPosition())));
            QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        }
    }

    void balanceRoutesChannels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("balance");
        QTest::addColumn<bool>("setWhileOpen");
        QTest::addColumn<double>("leftHz");
        QTest::addColumn<double>("rightHz");
        QTest::newRow("first channel")
            << "leftright.wav" << 2.0 << -10000 << false << 440.0 << 440.0;
        QTest::newRow("second channel")
            << "leftright.wav" << 2.0 << 10000 << false << 1000.0 << 1000.0;
        QTest::newRow("both") << "leftright.wav" << 2.0 << 0 << false << 440.0 << 1000.0;
        QTest::newRow("second, set while open")
            << "leftright.wav" << 2.0 << 10000 << true << 1000.0 << 1000.0;
        QTest::newRow("mono source") << "tone.mp3" << 3.0 << -10000 << false << 523.0 << 523.0;
    }
    void balanceRoutesChannels()
    {
        QFETCH(QString, file);
        QFETCH(double, seconds);
        QFETCH(int, balance);
        QFETCH(bool, setWhileOpen);
        QFETCH(double, leftHz);
        QFETCH(double, rightHz);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString wav = dir.filePath("out.wav");
        // ao=pcm writes as fast as mpv decodes.
        auto player = makePlayer(
            {"ao=pcm", "ao-pcm-file=" + wav, "ao-pcm-waveheader=yes", "audio-format=s16"});
        Recorder rec;
        rec.attach(player.get());
        if (setWhileOpen) {
            player->setBalance(-10000);
            player->setFileName(TestMedia::clip(file));
            player->Pause();
            QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Paused), 5000);
            player->setBalance(balance);
            player->Play();
        } else {
            player->setBalance(balance);
            player->setFileName(TestMedia::clip(file));
        }
        QCOMPARE(player->Balance(), balance);
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 1, 5000);
        player.reset(); // closes the file

        // Audio already in the output's buffer (about 1.5 s for ao=pcm) keeps the old
        // routing after a switch, so only the end shows the new one.
        const Recording recording = analyseWav(wav, setWhileOpen ? 0.85 : 0.1, 0.98);
        QCOMPARE(recording.channels.size(), 2);
        const QList<Tone>& tones = recording.channels;
        const auto describe = [&] {
            return QStringLiteral("%1 s: L %2 Hz (rms %3), R %4 Hz (rms %5)")
                .arg(recording.seconds)
                .arg(tones[0].hz)
                .arg(tones[0].rms)
                .arg(tones[1].hz)
                .arg(tones[1].rms);
        };
        // Nothing cut or repeated by switching.
        QVERIFY2(std::abs(recording.seconds - seconds) < 0.05, qPrintable(describe()));
        QVERIFY2(tones[0].rms > 0.02 && tones[1].rms > 0.02, qPrintable(describe()));
        QVERIFY2(std::abs(tones[0].hz - leftHz) < leftHz * 0.03, qPrintable(describe()));
        QVERIFY2(std::abs(tones[1].hz - rightHz) < rightHz * 0.03, qPrintable(describe()));
    }

    // The tone stage shapes what is heard: bass lifts or cuts the 80 Hz left channel, treble the
    // 5 kHz right one, each leaving the other alone; set on an open medium, nothing is cut.
    void toneShapesTheSound_data()
    {
        QTest::addColumn<double>("bassDb");
        QTest::addColumn<double>("trebleDb");
        QTest::addColumn<bool>("whilePlaying");
        QTest::addColumn<double>("lowGain");  // rms against the flat sound, at least (>1) or
        QTest::addColumn<double>("highGain"); // at most (<1); 1: unchanged within 10 %
        QTest::newRow("flat") << 0.0 << 0.0 << false << 1.0 << 1.0;
        QTest::newRow("bass +12 dB") << 12.0 << 0.0 << false << 2.5 << 1.0;
        QTest::newRow("bass -12 dB") << -12.0 << 0.0 << false << 0.4 << 1.0;
        QTest::newRow("treble +12 dB") << 0.0 << 12.0 << false << 1.0 << 2.5;
        QTest::newRow("both, set while open") << 12.0 << -12.0 << true << 2.5 << 0.4;
    }
    void toneShapesTheSound()
    {
        QFETCH(double, bassDb);
        QFETCH(double, trebleDb);
        QFETCH(bool, whilePlaying);
        QFETCH(double, lowGain);
        QFETCH(double, highGain);
        const auto play = [&](double bass, double treble, bool late) -> Recording {
            QTemporaryDir dir;
            const QString wav = dir.filePath("out.wav");
            auto player = makePlayer(
                {"ao=pcm", "ao-pcm-file=" + wav, "ao-pcm-waveheader=yes", "audio-format=s16"});
            Recorder rec;
            rec.attach(player.get());
            if (!late)
                player->setTone(bass, treble);
            player->setFileName(TestMedia::clip("lowhigh.wav"));
            if (late) {
                player->Pause();
                if (!QTest::qWaitFor([&] { return player->PlayState() == MediaPlayer::Paused; },
                                     5000))
                    return {};
                player->setTone(bass, treble);
                player->Play();
            }
            if (!QTest::qWaitFor([&] { return rec.eos == 1; }, 5000))
                return {};
            player.reset();
            // Audio already buffered (about 1.5 s for ao=pcm) keeps the old tone after a change.
            return analyseWav(wav, late ? 0.8 : 0.1, 0.98);
        };
        const Recording flat = play(0, 0, false);
        const Recording shaped = play(bassDb, trebleDb, whilePlaying);
        QCOMPARE(flat.channels.size(), 2);
        QCOMPARE(shaped.channels.size(), 2);
        QVERIFY2(std::abs(shaped.seconds - 3.0) < 0.05,
                 qPrintable(QString::number(shaped.seconds)));
        const auto check = [](double gain, double wanted) {
            if (wanted > 1)
                return gain >= wanted;
            if (wanted < 1)
                return gain <= wanted;
            return std::abs(gain - 1) < 0.1;
        };
        const double low = shaped.channels[0].rms / flat.channels[0].rms;
        const double high = shaped.channels[1].rms / flat.channels[1].rms;
        const QString gains = QStringLiteral("low x%1, high x%2").arg(low).arg(high);
        QVERIFY2(check(low, lowGain), qPrintable(gains));
        QVERIFY2(check(high, highGain), qPrintable(gains));
    }

    void balanceAndToneChangesKeepPlaying()
    {
        auto player = makePlayer(kRealTime);
        Recorder rec;
        rec.attach(player.get());
        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 1.0, 5000);
        const double start = player->CurrentPosition();
        double last = start;
        for (int balance : {-10000, 10000, 0, 10000}) {
            player->setBalance(balance);
            player->setTone(balance / 1000.0, -balance / 2000.0);
            QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > last, 5000);
            last = player->CurrentPosition();
        }
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > start + 0.5, 3000);
        QCOMPARE(rec.log, QStringList({"0>2"}));
    }

    void rapidFileChangesPlayOnlyTheLast_data()
    {
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("back to back") << 0;
        QTest::newRow("events in between") << 10;
    }
    void rapidFileChangesPlayOnlyTheLast()
    {
        QFETCH(int, pauseMs);
        const QStringList files = {"clips/b.mpg", "vcd.dat",    "tone.mp3",   "clip.avi",
                                   "long.mpg",    "random.mpg", "clips/c.mpg"};
        auto player = makePlayer(kRealTime);
        Recorder rec;
        rec.attach(player.get());
        for (int i = 0; i < 19; ++i) {
            player->setFileName(TestMedia::clip(files[i % files.size()]));
            if (pauseMs)
                QTest::qWait(pauseMs); // the user's pace between two clicks
        }
        player->setFileName(TestMedia::clip("clips/a.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 1, 5000);
        QTest::qWait(300); // a span in which no other file may end
        QCOMPARE(rec.eos, 1);
        QCOMPARE(player->FileName(), TestMedia::clip("clips/a.mpg"));
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
        QVERIFY(std::abs(player->Duration() - 1.5) < 0.2);
        // The last file played once; anything before it at most started.
        QCOMPARE(rec.log.mid(rec.log.size() - 3), QStringList({"0>2", "2>0", "eos"}));
    }

    void seekWhileTheWindowIsBusyAsTheFileEnds()
    {
        // The window is busy while mpv reaches the end and unloads the file; the seek it sends
        // afterwards reaches a file that is gone. mpv must neither wait for the window at the
        // end nor fall over the late seek (libmpv 0.35 aborts on a seek taken while a client
        // holds the file's unload hook).
        auto player = makePlayer(kRealTime);
        Recorder rec;
        rec.attach(player.get());
        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(rec.playingEntries, 1, 5000);
        // Lands on a key frame up to a second before; the end comes while the window sleeps.
        player->setCurrentPosition(19.5);
        QThread::msleep(2000); // the busy window itself: no event loop runs meanwhile
        player->setCurrentPosition(0.5);
        QTRY_COMPARE_WITH_TIMEOUT(rec.eos, 1, 5000);
        QVERIFY(player->isValid());
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));
        // And the next file plays.
        player->setFileName(TestMedia::clip("clips/a.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(rec.playingEntries, 2, 5000);
    }

    void destroyWhileBusy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("fast");
        // When the player is destroyed: after opening it, once it plays, or by a listener of
        // one of its signals.
        QTest::addColumn<QString>("moment");
        QTest::newRow("opening") << "long.mpg" << false << "opening";
        QTest::newRow("playing") << "long.mpg" << false << "playing";
        QTest::newRow("inside EndOfStream") << "vcd.dat" << true << "eos";
        // firstFrameShown would follow the change to playing.
        QTest::newRow("inside PlayStateChange") << "vcd.dat" << true << "state";
        QTest::newRow("inside loadFailed") << "random.mpg" << true << "fail";
    }
    void destroyWhileBusy()
    {
        QFETCH(QString, file);
        QFETCH(bool, fast);
        QFETCH(QString, moment);
        LateSignals late; // outlives the player, and so do its connections' context
        auto player = makePlayer(fast ? kFast : kRealTime);
        late.attach(player.get());
        bool destroyed = false;
        QObject::connect(player.get(), &QObject::destroyed, [&] { destroyed = true; });
        const auto destroy = [&] {
            late.playerGone = true;
            player.reset();
        };
        if (moment == "eos")
            QObject::connect(player.get(), &MediaPlayer::EndOfStream, &late, destroy);
        if (moment == "state")
            QObject::connect(player.get(), &MediaPlayer::PlayStateChange, &late, destroy);
        if (moment == "fail")
            QObject::connect(player.get(), &MpvPlayer::loadFailed, &late, destroy);
        player->setFileName(TestMedia::clip(file));
        if (moment == "playing")
            QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Playing), 5000);
        if (moment == "opening" || moment == "playing")
            destroy();
        QTRY_VERIFY_WITH_TIMEOUT(destroyed, 5000);
        // Late notifications from mpv's threads and queued calls must find nothing to call: a
        // span in which nothing may arrive.
        QTest::qWait(300);
        QVERIFY2(late.received.isEmpty(), qPrintable(late.received.join(", ")));
    }

    void displaySize_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("expected");
        QTest::newRow("double") << 2 << 2;
        QTest::newRow("fit") << 4 << 4;
        QTest::newRow("unknown value ignored") << 7 << 2;
    }
    void displaySize()
    {
        QFETCH(int, size);
        QFETCH(int, expected);
        auto player = makePlayer(kFast);
        QCOMPARE(player->DisplaySize(), int(MediaPlayer::FitToSize));
        player->setDisplaySize(MediaPlayer::DoubleSize);
        player->setDisplaySize(MediaPlayer::Display(size));
        QCOMPARE(player->DisplaySize(), expected);
        // No size ever crops the picture; without one known, double size fits it.
        QCOMPARE(settledProperty(*player, "video-unscaled", "no"), QString("no"));
        QCOMPARE(settledProperty(*player, "video-zoom", "0.000000").toDouble(), 0.0);
    }

    // mpv fits the picture and then scales it by 2^zoom: twice its size where there is room.
    void doubleSizeZoom_data()
    {
        QTest::addColumn<QSizeF>("picture");
        QTest::addColumn<QSizeF>("area");
        QTest::addColumn<double>("pixelRatio");
        QTest::addColumn<double>("scale"); // device pixels per picture pixel, as drawn
        QTest::newRow("room for twice") << QSizeF(352, 240) << QSizeF(1408, 960) << 1.0 << 2.0;
        QTest::newRow("exactly twice") << QSizeF(352, 240) << QSizeF(704, 480) << 1.0 << 2.0;
        QTest::newRow("too low: fits the height")
            << QSizeF(352, 240) << QSizeF(900, 360) << 1.0 << 1.5;
        QTest::newRow("too narrow: fits the width")
            << QSizeF(352, 288) << QSizeF(528, 900) << 1.0 << 1.5;
        QTest::newRow("smaller than the picture")
            << QSizeF(352, 240) << QSizeF(176, 120) << 1.0 << 0.5;
        QTest::newRow("twice the scale on a HiDPI screen")
            << QSizeF(352, 240) << QSizeF(2816, 1920) << 2.0 << 4.0;
        QTest::newRow("HiDPI, too small for four times")
            << QSizeF(352, 240) << QSizeF(1056, 720) << 2.0 << 3.0;
        QTest::newRow("no picture yet") << QSizeF() << QSizeF(700, 500) << 1.0 << -1.0;
        QTest::newRow("no area yet") << QSizeF(352, 240) << QSizeF(0, 0) << 1.0 << -1.0;
    }
    void doubleSizeZoom()
    {
        QFETCH(QSizeF, picture);
        QFETCH(QSizeF, area);
        QFETCH(double, pixelRatio);
        QFETCH(double, scale);
        const double zoom = ::doubleSizeZoom(picture, area, pixelRatio);
        QVERIFY(zoom <= 0);
        if (scale < 0) { // unknown: fitted
            QCOMPARE(zoom, 0.0);
            return;
        }
        const double fitted =
            std::min(area.width() / picture.width(), area.height() / picture.height());
        QVERIFY2(std::abs(fitted * std::exp2(zoom) - scale) < 1e-9,
                 qPrintable(QString::number(fitted * std::exp2(zoom))));
    }

    // A Video CD track's format and short analysis hold for that file alone: an MPEG-1
    // program stream (a track copied to disk) plays with them, the next file without.
    void fileOptionsHoldForTheFileAlone()
    {
        // In real time: played untimed, a short file would be over before Playing is seen.
        auto player = makePlayer(kRealTime);
        const QString analysis = player->mpvProperty("demuxer-lavf-analyzeduration");
        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Playing), 10000);
        QCOMPARE(player->mpvProperty("demuxer-lavf-format"), QString("mpeg"));
        QCOMPARE(player->mpvProperty("demuxer-lavf-analyzeduration").toDouble(), 0.5);
        player->setFileName("IMG0:\\Mpegav\\AVSEQ03.DAT"); // no such disc: fails to load
        player->setFileName(TestMedia::clip("clip.avi"));
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Playing), 10000);
        QCOMPARE(player->mpvProperty("demuxer-lavf-format"), QString());
        QCOMPARE(player->mpvProperty("demuxer-lavf-analyzeduration"), analysis);
    }

    void viewControlsAndSpace()
    {
        auto player = makePlayer(kRealTime);
        QWidget* view = player->videoWidget();
        QVERIFY(view);
        QCOMPARE(player->videoWidget(), view);
        auto* controls = view->findChild<QWidget*>("playerControls");
        auto* video = view->findChild<QWidget*>("playerVideo");
        QVERIFY(controls && video);
        QVERIFY(player->ShowControls());
        QVERIFY(!controls->isHidden());
        player->setShowControls(false);
        QVERIFY(controls->isHidden());
        player->setShowControls(true);
        QVERIFY(!controls->isHidden());

        QVERIFY(!player->SetFocus()); // not shown yet
        view->resize(320, 240);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QVERIFY(player->SetFocus());

        player->setFileName(TestMedia::clip("long.mpg"));
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Playing), 5000);
        QTest::keyClick(video, Qt::Key_Space);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Paused));
        QTest::keyClick(video, Qt::Key_Space);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
    }
};

QTEST_MAIN(TestMpvPlayer)
#include "test_mpv_player.moc"

// Faults the soak found, each reproduced on its own without the random actions.

#include "disc_rig.h"
#include "platform/player/mpv/disc_stream_protocol.h"
#include "test_media.h"

#include <QTest>
#include <array>
#include <mpv/client.h>
#include <mpv/stream_cb.h>

namespace {

// A disc file opened through the stream protocol as mpv opens it.
bool openTrack(DiscRig& rig, int track, mpv_stream_cb_info& info)
{
    const QString path = QStringLiteral("IMG0:\\Mpegav\\AVSEQ%1.DAT").arg(track, 2, 10, QChar('0'));
    QByteArray uri = discStreamUri(path).toUtf8();
    return openDiscStream(&rig.library, uri.data(), &info) == 0;
}

qint64 readSome(const mpv_stream_cb_info& info)
{
    std::array<char, 2048> buffer{};
    return info.read_fn(info.cookie, buffer.data(), buffer.size());
}

} // namespace

class TestSoakFaults : public QObject {
    Q_OBJECT
private slots:
    void lateCancelOfAClosedStream_data();
    void lateCancelOfAClosedStream();
};

void TestSoakFaults::lateCancelOfAClosedStream_data()
{
    QTest::addColumn<bool>("openAnother");
    QTest::newRow("nothing opened since") << false;
    QTest::newRow("another stream opened since") << true;
}

// mpv may run a stream's cancel callback just after closing the stream, when a new track is
// loaded while the old one goes: that cancel touches nothing, and cuts off no stream opened
// since (one that may live where the closed one lived).
void TestSoakFaults::lateCancelOfAClosedStream()
{
    QFETCH(bool, openAnother);
    DiscRig rig(TestMedia::disc("vcd-a.cue"));
    mpv_stream_cb_info closed{};
    QVERIFY(openTrack(rig, 1, closed));
    QVERIFY(readSome(closed) > 0);
    closed.close_fn(closed.cookie);

    mpv_stream_cb_info next{};
    if (openAnother)
        QVERIFY(openTrack(rig, 2, next));
    closed.cancel_fn(closed.cookie);
    if (openAnother) {
        QVERIFY(readSome(next) > 0);
        next.close_fn(next.cookie);
    }
}

QTEST_MAIN(TestSoakFaults)
#include "test_soak_faults.moc"

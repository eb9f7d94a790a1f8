// mpv's software renderer into memory, on a real mpv handle playing the flat-colour clip:
// the buffer's layout for every shape of picture, repaints that need no rendering, and new
// frames counted once.

#include "platform/player/view/mpv_software_frame.h"
#include "test_media.h"

#include <QSignalSpy>
#include <QTest>

namespace {

bool near(int value, int wanted)
{
    return std::abs(value - wanted) <= 24;
}

bool isOrange(QRgb pixel)
{
    return near(qRed(pixel), 0xc8) && near(qGreen(pixel), 0x3c) && near(qBlue(pixel), 0x28);
}

bool allOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] >> 24) != 0xff)
                return false;
    }
    return true;
}

// An mpv handle drawing through the render API, paused on the first frame of orange.mpg.
struct PausedClip {
    PausedClip() : mpv(mpv_create())
    {
        mpv_set_option_string(mpv.get(), "vo", "libmpv");
        mpv_set_option_string(mpv.get(), "ao", "null");
        mpv_set_option_string(mpv.get(), "pause", "yes");
        mpv_initialize(mpv.get());
    }
    // Loads the clip and waits until its first frame has been rendered.
    bool showFirstFrame(MpvSoftwareFrame& frame, QSize size)
    {
        const QByteArray path = TestMedia::clip("orange.mpg").toUtf8();
        const char* command[] = {"loadfile", path.constData(), nullptr};
        if (mpv_command(mpv.get(), command) < 0)
            return false;
        return QTest::qWaitFor([&] { return isOrange(middle(frame.render(size))); }, 10000);
    }
    // Paused, mpv sends a frame or two more after the first: settled once twenty renderings in
    // a row bring no new frame.
    static bool settle(MpvSoftwareFrame& frame, QSize size)
    {
        int quietPolls = 0;
        return QTest::qWaitFor(
            [&] {
                frame.render(size);
                frame.reportShown();
                quietPolls = frame.takeRenderedNewFrame() ? 0 : quietPolls + 1;
                return quietPolls == 20;
            },
            10000);
    }
    // The first frame, and mpv done with it.
    bool showStill(MpvSoftwareFrame& frame, QSize size)
    {
        return showFirstFrame(frame, size) && settle(frame, size);
    }
    static QRgb middle(const QImage& image)
    {
        return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
    }
    MpvHandlePtr mpv;
};

} // namespace

class TestMpvSoftwareFrame : public QObject {
    Q_OBJECT
private slots:
    void nothingIsDrawnWithoutRenderContext();
    void bufferFitsEveryShape_data();
    void bufferFitsEveryShape();
    void repaintWithoutNewsReusesTheRendering();
    void newFrameIsCountedOnce();
    void alphaIsMadeOpaqueWhenItIsRead();
};

void TestMpvSoftwareFrame::nothingIsDrawnWithoutRenderContext()
{
    MpvSoftwareFrame frame;
    QVERIFY(!frame.create(nullptr));
    QVERIFY(frame.render(QSize(64, 48)).isNull());
    QVERIFY(!frame.takeRenderedNewFrame());
    frame.reportShown(); // harmless

    PausedClip clip;
    QVERIFY(frame.create(clip.mpv.get()));
    QVERIFY(frame.create(clip.mpv.get())); // a second call keeps the first context
    QVERIFY(frame.render(QSize()).isNull());
    QVERIFY(frame.render(QSize(0, 10)).isNull());
    const QImage black = frame.render(QSize(32, 24));
    QCOMPARE(black.size(), QSize(32, 24));
    QCOMPARE(qGray(black.pixel(16, 12)), 0);
    frame.release();
    QVERIFY(!frame.hasRenderContext());
    QVERIFY(frame.render(QSize(32, 24)).isNull());
}

void TestMpvSoftwareFrame::bufferFitsEveryShape_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("rows of exactly 64 bytes") << QSize(16, 16);
    QTest::newRow("odd width") << QSize(779, 392);
    QTest::newRow("tall and narrow") << QSize(3, 600);
    QTest::newRow("full HD") << QSize(1920, 1080);
}

// Rows start on 64-byte boundaries, whatever the width, and every pixel is opaque.
void TestMpvSoftwareFrame::bufferFitsEveryShape()
{
    QFETCH(QSize, size);
    PausedClip clip;
    MpvSoftwareFrame frame;
    QVERIFY(frame.create(clip.mpv.get()));
    QVERIFY(clip.showFirstFrame(frame, QSize(160, 120)));
    const QImage image = frame.render(size);
    QCOMPARE(image.size(), size);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(image.bytesPerLine() % 64, 0);
    QVERIFY(image.bytesPerLine() >= size.width() * 4);
    QCOMPARE(reinterpret_cast<quintptr>(image.constBits()) % 64, 0u);
    QVERIFY(allOpaque(image));
    if (size.width() > 1 && size.height() > 1)
        QVERIFY(isOrange(PausedClip::middle(image)));
}

// Painting again (an expose, an overlap) with nothing new from mpv costs no rendering; a new
// size does render, into a buffer of its own.
void TestMpvSoftwareFrame::repaintWithoutNewsReusesTheRendering()
{
    PausedClip clip;
    MpvSoftwareFrame frame;
    QVERIFY(frame.create(clip.mpv.get()));
    QVERIFY(clip.showStill(frame, QSize(200, 100)));
    QImage shown = frame.render(QSize(200, 100));
    shown.setPixel(0, 0, qRgb(1, 2, 3)); // in mpv's buffer: the image wraps it
    QCOMPARE(frame.render(QSize(200, 100)).pixel(0, 0), qRgb(1, 2, 3));

    const QImage larger = frame.render(QSize(300, 150));
    QCOMPARE(larger.size(), QSize(300, 150));
    QVERIFY(isOrange(PausedClip::middle(larger)));
    QVERIFY(frame.render(QSize(200, 100)).pixel(0, 0) != qRgb(1, 2, 3));
}

void TestMpvSoftwareFrame::newFrameIsCountedOnce()
{
    PausedClip clip;
    MpvSoftwareFrame frame;
    QSignalSpy waiting(&frame, &MpvSoftwareFrame::frameWaiting);
    QVERIFY(frame.create(clip.mpv.get()));
    QVERIFY(clip.showFirstFrame(frame, QSize(80, 60)));
    QVERIFY(waiting.count() >= 1);
    const auto renderedNewFrame = [&] {
        return QTest::qWaitFor(
            [&] {
                frame.render(QSize(80, 60));
                return frame.takeRenderedNewFrame();
            },
            5000);
    };
    QVERIFY(renderedNewFrame());
    // From then on a repaint is no new frame.
    QVERIFY(PausedClip::settle(frame, QSize(80, 60)));

    // A seek while paused brings a new frame, reported once it is rendered.
    const char* seek[] = {"seek", "0", "absolute", "exact", nullptr};
    QCOMPARE(mpv_command(clip.mpv.get(), seek), 0);
    QVERIFY(renderedNewFrame());
}

// A rendering left with its alpha byte unread (an X11 backing store) is made opaque when a later
// paint into one that reads it takes the same rendering again, without a new frame.
void TestMpvSoftwareFrame::alphaIsMadeOpaqueWhenItIsRead()
{
    PausedClip clip;
    MpvSoftwareFrame frame;
    QVERIFY(frame.create(clip.mpv.get()));
    QVERIFY(clip.showStill(frame, QSize(64, 48)));
    // A new size: a rendering of its own, its alpha byte left unread.
    QImage unread = frame.render(QSize(96, 72), MpvSoftwareFrame::AlphaByte::Unread);
    QVERIFY(isOrange(PausedClip::middle(unread)));
    // What mpv leaves there, whatever it is, stands in for a byte nobody reads.
    unread.bits()[3] = 0;
    const QImage opaque = frame.render(QSize(96, 72), MpvSoftwareFrame::AlphaByte::Opaque);
    QCOMPARE(opaque.constBits(), unread.constBits()); // the same rendering, not a new one
    QVERIFY(allOpaque(opaque));
}

QTEST_GUILESS_MAIN(TestMpvSoftwareFrame)
#include "test_mpv_software_frame.moc"

// The picture of mpv's "screenshot-raw" answer, from nodes built here as libmpv builds them:
// only a whole "bgr0" frame becomes an image, a copy that outlives the node.
#include "platform/player/mpv_raw_frame.h"

#include <QTest>
#include <algorithm>
#include <vector>

namespace {

// A screenshot-raw answer: a map of "w", "h", "stride", "format" and "data" by default, with
// entries to leave out or to replace.
class RawFrame {
public:
    RawFrame(qint64 width, qint64 height, qint64 stride, qint64 dataSize)
        : m_pixels(size_t(dataSize), 0)
    {
        // Pixel (x, y) is blue x, green y, red 0x80, and its padding byte is left at 0.
        for (qint64 y = 0; y < height && y * stride < dataSize; ++y)
            for (qint64 x = 0; x < width && y * stride + x * 4 + 3 < dataSize; ++x) {
                unsigned char* pixel = m_pixels.data() + y * stride + x * 4;
                pixel[0] = uchar(x);
                pixel[1] = uchar(y);
                pixel[2] = 0x80;
            }
        m_bytes.data = m_pixels.data();
        m_bytes.size = size_t(dataSize);
        add("w", integer(width));
        add("h", integer(height));
        add("stride", integer(stride));
        add("format", text("bgr0"));
        mpv_node data{};
        data.format = MPV_FORMAT_BYTE_ARRAY;
        data.u.ba = &m_bytes;
        add("data", data);
    }

    void remove(const QByteArray& key)
    {
        const qsizetype at = m_keys.indexOf(key);
        m_keys.removeAt(at);
        m_values.erase(m_values.begin() + at);
    }
    void replace(const QByteArray& key, mpv_node value) { m_values[m_keys.indexOf(key)] = value; }
    // What libmpv does with the pixels once the node is freed.
    void scribble() { std::fill(m_pixels.begin(), m_pixels.end(), 0xff); }

    mpv_node node()
    {
        m_keyPointers.clear();
        for (QByteArray& key : m_keys)
            m_keyPointers.push_back(key.data());
        m_list = {int(m_values.size()), m_values.data(), m_keyPointers.data()};
        mpv_node map{};
        map.format = MPV_FORMAT_NODE_MAP;
        map.u.list = &m_list;
        return map;
    }

    static mpv_node integer(std::int64_t value)
    {
        mpv_node node{};
        node.format = MPV_FORMAT_INT64;
        node.u.int64 = value;
        return node;
    }
    static mpv_node text(const char* value)
    {
        mpv_node node{};
        node.format = MPV_FORMAT_STRING;
        node.u.string = const_cast<char*>(value);
        return node;
    }

private:
    void add(const QByteArray& key, mpv_node value)
    {
        m_keys << key;
        m_values.push_back(value);
    }

    std::vector<unsigned char> m_pixels;
    mpv_byte_array m_bytes{};
    QList<QByteArray> m_keys;
    std::vector<mpv_node> m_values;
    std::vector<char*> m_keyPointers;
    mpv_node_list m_list{};
};

} // namespace

class TestMpvRawFrame : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void wrongKinds();
};

void TestMpvRawFrame::decodes_data()
{
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<qint64>("stride");
    QTest::addColumn<qint64>("dataSize");
    QTest::addColumn<QByteArray>("missing"); // a key left out
    QTest::addColumn<QByteArray>("format");  // "" keeps bgr0
    QTest::addColumn<bool>("image");
    const auto row = [](const char* name, qint64 width, qint64 height, qint64 stride,
                        qint64 dataSize, const char* missing, const char* format, bool image) {
        QTest::newRow(name) << width << height << stride << dataSize << QByteArray(missing)
                            << QByteArray(format) << image;
    };
    row("good frame", 16, 9, 64, 64 * 9, "", "", true);
    row("rows padded past the width", 3, 5, 64, 64 * 5, "", "", true);
    row("more data than the frame", 4, 2, 16, 100, "", "", true);
    row("another format", 16, 9, 64, 64 * 9, "", "rgba", false);
    row("short data", 16, 9, 64, 64 * 9 - 1, "", "", false);
    row("stride smaller than the width", 16, 9, 60, 64 * 9, "", "", false);
    row("no width", 16, 9, 64, 64 * 9, "w", "", false);
    row("no height", 16, 9, 64, 64 * 9, "h", "", false);
    row("no stride", 16, 9, 64, 64 * 9, "stride", "", false);
    row("no format", 16, 9, 64, 64 * 9, "format", "", false);
    row("no data", 16, 9, 64, 64 * 9, "data", "", false);
    row("no pixels", 0, 0, 0, 0, "", "", false);
    row("negative width", -16, 9, 64, 64 * 9, "", "", false);
    row("rows whose bytes overflow", 4, qint64(1) << 30, qint64(1) << 40, 64, "", "", false);
}

void TestMpvRawFrame::decodes()
{
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(qint64, stride);
    QFETCH(qint64, dataSize);
    QFETCH(QByteArray, missing);
    QFETCH(QByteArray, format);
    QFETCH(bool, image);
    RawFrame frame(width, height, stride, dataSize);
    if (!missing.isEmpty())
        frame.remove(missing);
    if (!format.isEmpty())
        frame.replace("format", RawFrame::text(format.constData()));
    const QImage decoded = mpvRawFrameImage(frame.node());
    QCOMPARE(!decoded.isNull(), image);
    if (!image)
        return;
    frame.scribble();
    QCOMPARE(decoded.size(), QSize(int(width), int(height)));
    QCOMPARE(decoded.format(), QImage::Format_RGB32);
    QCOMPARE(decoded.pixel(0, 0), qRgb(0x80, 0, 0));
    QCOMPARE(decoded.pixel(int(width) - 1, int(height) - 1),
             qRgb(0x80, int(height) - 1, int(width) - 1));
}

// Entries of another kind than libmpv gives count as missing; anything but a map is no frame.
void TestMpvRawFrame::wrongKinds()
{
    RawFrame frame(16, 9, 64, 64 * 9);
    frame.replace("w", RawFrame::text("16"));
    QVERIFY(mpvRawFrameImage(frame.node()).isNull());
    QVERIFY(mpvRawFrameImage(RawFrame::integer(0)).isNull());
    mpv_node empty{};
    empty.format = MPV_FORMAT_NODE_MAP;
    QVERIFY(mpvRawFrameImage(empty).isNull());
}

QTEST_GUILESS_MAIN(TestMpvRawFrame)
#include "test_mpv_raw_frame.moc"

// Nero image footers and chunk tables: a table that lies outside the file or overruns itself
// never reaches libcdio (an offset past the end made it ask for exabytes and abort).

#include "platform/disc/read/disc_reader.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray bigEndian64(quint64 value)
{
    QByteArray bytes(8, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray chunk(const QByteArray& id, const QByteArray& body)
{
    return id + bigEndian32(quint32(body.size())) + body;
}

const QByteArray Data(4 * 2336, 'd');
const QByteArray Table =
    chunk("ETNF", QByteArray(20, 't')) + chunk("SINF", bigEndian32(1)) + chunk("END!", {});

QByteArray firstForm(quint64 offset, const QByteArray& table = Table)
{
    return Data + table + "NERO" + bigEndian32(quint32(offset));
}

QByteArray secondForm(quint64 offset, const QByteArray& table = Table)
{
    return Data + table + "NER5" + bigEndian64(offset);
}

bool inside(QByteArray bytes)
{
    QBuffer image(&bytes);
    return image.open(QIODevice::ReadOnly) && DiscReader::neroChunksInside(image);
}

} // namespace

class TestNeroImage : public QObject {
    Q_OBJECT
private slots:
    void chunksInside_data();
    void chunksInside();
    void missingFileIsNoImage();
};

void TestNeroImage::chunksInside_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("accepted");
    const quint64 at = quint64(Data.size());
    QTest::newRow("NERO footer") << firstForm(at) << true;
    QTest::newRow("NER5 footer") << secondForm(at) << true;
    QTest::newRow("offset past the end") << firstForm(0xFFFFFFF0) << false;
    QTest::newRow("64-bit offset past the end") << secondForm(~quint64(0)) << false;
    QTest::newRow("offset at the footer") << firstForm(at + quint64(Table.size())) << false;
    QTest::newRow("offset inside the footer") << firstForm(at + quint64(Table.size()) + 2) << false;
    QTest::newRow("offset into the data") << firstForm(at - 100) << false;
    QTest::newRow("chunk longer than the table")
        << firstForm(at, chunk("ETNF", QByteArray(20, 't')).replace(4, 4, bigEndian32(5000)) +
                             chunk("END!", {}))
        << false;
    QTest::newRow("chunk length wraps")
        << firstForm(at,
                     chunk("CUES", {}).replace(4, 4, bigEndian32(0xFFFFFFFF)) + chunk("END!", {}))
        << false;
    QTest::newRow("no END! chunk") << firstForm(at, chunk("ETNF", QByteArray(20, 't'))) << false;
    QTest::newRow("no footer") << Data + Table << false;
    QTest::newRow("footer only") << QByteArray("NERO") + bigEndian32(0) << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestNeroImage::chunksInside()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, accepted);
    QCOMPARE(inside(image), accepted);
}

void TestNeroImage::missingFileIsNoImage()
{
    QVERIFY(!DiscReader::neroChunksInside(QStringLiteral("/nonexistent/disc.nrg")));
}

QTEST_APPLESS_MAIN(TestNeroImage)
#include "test_nero_image.moc"

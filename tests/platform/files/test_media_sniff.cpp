// MPEG-1 program streams are told from their first bytes; anything else, or nothing readable,
// is not one.
#include "platform/files/media_sniff.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMediaSniff : public QObject {
    Q_OBJECT
private slots:
    void firstBytes_data();
    void firstBytes();
    void nothingToRead();
};

void TestMediaSniff::firstBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("mpeg1");
    const QByteArray pack = QByteArray::fromHex("000001ba");
    QTest::newRow("MPEG-1 pack") << pack + QByteArray::fromHex("2100010001800001") << true;
    QTest::newRow("MPEG-1 pack, clock bits set") << pack + QByteArray::fromHex("2f") << true;
    QTest::newRow("MPEG-2 pack") << pack + QByteArray::fromHex("440004000401") << false;
    QTest::newRow("marker bit clear") << pack + QByteArray::fromHex("20") << false;
    QTest::newRow("sequence header") << QByteArray::fromHex("000001b321") << false;
    QTest::newRow("RIFF CDXA") << QByteArray("RIFF\x24\x00\x00\x00"
                                             "CDXAfmt ",
                                             16)
                               << false;
    QTest::newRow("empty sectors first") << QByteArray(2048, '\0') + pack + "\x21" << false;
    QTest::newRow("cut short") << pack << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestMediaSniff::firstBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, mpeg1);
    QTemporaryDir folder;
    QFile file(folder.filePath("AVSEQ01.DAT"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QCOMPARE(MediaSniff::isMpeg1ProgramStream(file.fileName()), mpeg1);
}

void TestMediaSniff::nothingToRead()
{
    QTemporaryDir folder;
    QCOMPARE(MediaSniff::isMpeg1ProgramStream(folder.path()), false);
    QCOMPARE(MediaSniff::isMpeg1ProgramStream(folder.filePath("missing.mpg")), false);
    QCOMPARE(MediaSniff::isMpeg1ProgramStream(QString()), false);
    QFile unreadable(folder.filePath("locked.mpg"));
    QVERIFY(unreadable.open(QIODevice::WriteOnly));
    unreadable.write(QByteArray::fromHex("000001ba21"));
    unreadable.close();
    unreadable.setPermissions({});
    if (QFile(unreadable.fileName()).open(QIODevice::ReadOnly))
        QSKIP("root reads files without read permission");
    QCOMPARE(MediaSniff::isMpeg1ProgramStream(unreadable.fileName()), false);
}

QTEST_GUILESS_MAIN(TestMediaSniff)
#include "test_media_sniff.moc"

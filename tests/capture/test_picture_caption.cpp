#include "capture/picture_caption.h"
#include "fake_platform.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "widgets/window_font.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr QRgb Grey = 0xFF808080; // the picture's colour: neither the strip's nor the text's

// Text pixels are yellow blended into black: red and green alike, no blue.
bool isYellowish(QRgb pixel)
{
    return qRed(pixel) > 96 && qAbs(qRed(pixel) - qGreen(pixel)) < 24 && qBlue(pixel) < 40;
}

// Bounding box of the yellowish pixels; empty when there are none.
QRect yellowArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isYellowish(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

// Every pixel of the rows from `top` down is black or caption colour.
bool onlyStripColours(const QImage& image, int top)
{
    for (int y = top; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qBlue(pixel) != 0 || qAbs(qRed(pixel) - qGreen(pixel)) > 24)
                return false;
        }
    return true;
}

QByteArray bitmapOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return bytes;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 bitsPerPixel(const QByteArray& bitmap)
{
    return bitmap.size() < 30 ? 0 : quint16(uchar(bitmap[28]) | uchar(bitmap[29]) << 8);
}

// A grey picture in a bitmap file of a temporary folder, and the caption step working on it.
struct Rig {
    QTemporaryDir folder;
    QString picture = folder.filePath("ScreenShot.bmp");
    FakeSettingsStore settings;
    PictureCaption caption{settings};
    QStringList messages;

    explicit Rig(const QString& text = Settings::defaultCaption(), QSize size = {640, 480})
    {
        settings.values[SettingsKeys::Pictextcopy] = text;
        QImage grey(size, QImage::Format_RGB32);
        grey.fill(Grey);
        grey.save(picture, "BMP");
        caption.setMessenger([this](const QString& message) { messages << message; });
    }
    QStringList files() const
    {
        return QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
};

enum Failure { MissingFile, NotAPicture, EmptyFile, FolderGone, FolderInItsPlace, ReadOnly };

} // namespace

Q_DECLARE_METATYPE(PictureCaption::Result)

class TestPictureCaption : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void captionedBitmap();
    void alignment_data();
    void alignment();
    void spacesAtTheEndsAreDropped();
    void emptyCaptionKeepsTheStrip();
    void secondApplyGivesOneStrip();
    void everyCaptionIsDrawnQuietly_data();
    void everyCaptionIsDrawnQuietly();
    void emptyPathAsksForAPicture();
    void messageBoxNamesTheProgram();
    void failuresAreReported_data();
    void failuresAreReported();
};

void TestPictureCaption::initTestCase()
{
    applyWindowFont(*qApp);
    const QFontInfo used(PictureCaption(FakeSettingsStore()).font());
    QCOMPARE(used.family(), QString("Liberation Sans"));
    QCOMPARE(used.pixelSize(), WindowFontPixels);
}

void TestPictureCaption::captionedBitmap()
{
    Rig rig;
    QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
    QVERIFY(rig.caption.Done);
    QCOMPARE(rig.caption.Pic_Width, 640);
    QCOMPARE(rig.caption.Pic_Height, 480);
    QCOMPARE(rig.caption.lzFilename, rig.picture);
    QVERIFY(rig.messages.isEmpty());

    const QByteArray written = contentsOf(rig.picture);
    const QByteArray expected = bitmapOf(rig.caption.picMain);
    QCOMPARE(written.size(), expected.size());
    QCOMPARE(written.back(), 'p');
    QCOMPARE(written.chopped(1), expected.chopped(1));
    QCOMPARE(bitsPerPixel(written), quint16(24));

    const QImage saved = QImage::fromData(written, "BMP");
    QCOMPARE(saved.size(), QSize(640, 500));
    QCOMPARE(saved.pixel(0, 0), Grey);
    QCOMPARE(saved.pixel(320, 479), Grey); // the picture stays as it was above the strip
    QCOMPARE(saved.pixel(0, 480), qRgb(0, 0, 0));
    QCOMPARE(saved.pixel(639, 499), qRgb(0, 0, 0));
    QVERIFY(onlyStripColours(saved, 480));

    const QRect text = yellowArea(saved);
    QVERIFY2(text.left() >= 213 && text.left() <= 216, qPrintable(QString::number(text.left())));
    QVERIFY2(text.top() >= 481 && text.top() <= 485, qPrintable(QString::number(text.top())));
    QVERIFY(text.bottom() <= 499);
}

void TestPictureCaption::alignment_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("fontPixels");
    QTest::addColumn<int>("leftFrom");
    QTest::addColumn<int>("leftTo");
    QTest::addColumn<int>("rightFrom");
    QTest::addColumn<int>("rightTo");

    // "Tamrel" is narrower than any third of the picture, so both its edges show.
    const QString word = QStringLiteral("Tamrel");
    QTest::newRow("left") << word << int(PictureCaption::Left) << 10 << 0 << 2 << 20 << 80;
    QTest::newRow("center") << word << int(PictureCaption::Center) << 10 << 213 << 216 << 233
                            << 293;
    // 50 twips from the right edge, measured in the font it is drawn in.
    QTest::newRow("right") << word << int(PictureCaption::Right) << 10 << 560 << 625 << 633 << 637;
    QTest::newRow("right, large font")
        << word << int(PictureCaption::Right) << 24 << 450 << 620 << 631 << 637;
    const QString wide =
        QStringLiteral("A caption wider than the picture it is written on. ").repeated(5);
    QTest::newRow("center, cut at the right edge")
        << wide << int(PictureCaption::Center) << 10 << 213 << 216 << 639 << 639;
    QTest::newRow("left, cut at the right edge")
        << wide << int(PictureCaption::Left) << 10 << 0 << 2 << 639 << 639;
    QTest::newRow("right, wider than the picture")
        << wide << int(PictureCaption::Right) << 10 << 0 << 0 << 633 << 637;
}

void TestPictureCaption::alignment()
{
    QFETCH(QString, text);
    QFETCH(int, align);
    QFETCH(int, fontPixels);
    QFETCH(int, leftFrom);
    QFETCH(int, leftTo);
    QFETCH(int, rightFrom);
    QFETCH(int, rightTo);

    Rig rig(text, {640, 480});
    QFont font = rig.caption.font();
    font.setPixelSize(fontPixels);
    rig.caption.setFont(font);
    QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
    rig.caption.CaptionAlign = align; // as the hidden option buttons and Apply do
    QCOMPARE(rig.caption.CmdApply_Click(), PictureCaption::Result::Saved);

    const QRect area = yellowArea(QImage(rig.picture));
    QVERIFY2(area.left() >= leftFrom && area.left() <= leftTo,
             qPrintable(QString::number(area.left())));
    QVERIFY2(area.right() >= rightFrom && area.right() <= rightTo,
             qPrintable(QString::number(area.right())));
}

void TestPictureCaption::spacesAtTheEndsAreDropped()
{
    Rig padded(QStringLiteral("   Tamrel VCD Player   "));
    Rig bare(QStringLiteral("Tamrel VCD Player"));
    padded.caption.CaptionPicture(padded.picture);
    bare.caption.CaptionPicture(bare.picture);
    QCOMPARE(padded.caption.picMain, bare.caption.picMain);
}

void TestPictureCaption::emptyCaptionKeepsTheStrip()
{
    Rig rig(QString(), {320, 240});
    QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
    const QImage saved(rig.picture);
    QCOMPARE(saved.size(), QSize(320, 260));
    QVERIFY(yellowArea(saved).isEmpty());
    QCOMPARE(saved.copy(0, 240, 320, 20), [] {
        QImage black(320, 20, QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }());
}

void TestPictureCaption::secondApplyGivesOneStrip()
{
    Rig rig;
    QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
    const QByteArray once = contentsOf(rig.picture);
    QCOMPARE(rig.caption.CmdApply_Click(), PictureCaption::Result::Saved);
    QCOMPARE(contentsOf(rig.picture), once);
}

void TestPictureCaption::everyCaptionIsDrawnQuietly_data()
{
    QTest::addColumn<QString>("text");
    const auto times = [](const QString& piece, int count) { return piece.repeated(count); };
    QTest::newRow("95 Arabic")
        << times(QStringLiteral("\u0627\u0644\u0639\u0631\u0628\u064A"), 16).left(95);
    QTest::newRow("95 CJK") << times(QStringLiteral("\u6355\u6349\u753B\u9762"), 24).left(95);
    QTest::newRow("emoji") << times(QStringLiteral("\U0001F3A5\U0001F600 "), 19);
    QTest::newRow("mixed directions")
        << QStringLiteral("Tamrel \u0645\u0634\u063A\u0644 \u64AD\u653E\u5668 \U0001F3B5 VCD");
    QTest::newRow("line breaks") << QStringLiteral("First line\nSecond line\r\nThird\rFourth");
    QTest::newRow("very long") << times(QStringLiteral("long caption "), 400);
    QTest::newRow("tabs and controls") << QStringLiteral("a\tb\x01\x7F\u200Fc\n\n");
}

void TestPictureCaption::everyCaptionIsDrawnQuietly()
{
    QFETCH(QString, text);
    for (PictureCaption::Alignment align :
         {PictureCaption::Left, PictureCaption::Center, PictureCaption::Right}) {
        Rig rig(text, {200, 100});
        QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
        rig.caption.CaptionAlign = align;
        QCOMPARE(rig.caption.CmdApply_Click(), PictureCaption::Result::Saved);
        const QImage saved(rig.picture);
        QCOMPARE(saved.size(), QSize(200, 120));
        QCOMPARE(saved.copy(0, 0, 199, 100), rig.caption.picMain.copy(0, 0, 199, 100));
        QVERIFY(onlyStripColours(saved, 100));
    }
}

void TestPictureCaption::emptyPathAsksForAPicture()
{
    Rig rig;
    const QByteArray before = contentsOf(rig.picture);
    QCOMPARE(rig.caption.CaptionPicture(QString()), PictureCaption::Result::NoPicture);
    QCOMPARE(rig.messages, QStringList{"Please load a picture first"});
    QCOMPARE(rig.files(), QStringList{"ScreenShot.bmp"});
    QCOMPARE(contentsOf(rig.picture), before);

    // Apply after it asks again and still writes nothing.
    QCOMPARE(rig.caption.CmdApply_Click(), PictureCaption::Result::NoPicture);
    QCOMPARE(rig.messages.size(), 2);
    QCOMPARE(rig.files(), QStringList{"ScreenShot.bmp"});
}

void TestPictureCaption::messageBoxNamesTheProgram()
{
    FakeSettingsStore settings;
    PictureCaption caption(settings);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->accept();
    });
    QCOMPARE(caption.CaptionPicture(QString()), PictureCaption::Result::NoPicture);
    QCOMPARE(title, Product::Title);
    QCOMPARE(text, QString("Please load a picture first"));
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestPictureCaption::failuresAreReported_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<PictureCaption::Result>("result");

    QTest::newRow("missing file") << MissingFile << PictureCaption::Result::NoPicture;
    QTest::newRow("not a picture") << NotAPicture << PictureCaption::Result::NoPicture;
    QTest::newRow("empty file") << EmptyFile << PictureCaption::Result::NoPicture;
    QTest::newRow("folder gone before saving") << FolderGone << PictureCaption::Result::CannotWrite;
    QTest::newRow("folder in the file's place")
        << FolderInItsPlace << PictureCaption::Result::CannotWrite;
    QTest::newRow("read-only file and folder") << ReadOnly << PictureCaption::Result::CannotWrite;
}

void TestPictureCaption::failuresAreReported()
{
    QFETCH(Failure, failure);
    QFETCH(PictureCaption::Result, result);

    Rig rig;
    const QString folder = rig.folder.path();
    PictureCaption::Result got = PictureCaption::Result::Saved;
    QByteArray before; // what a file that could not be captioned still holds
    switch (failure) {
    case MissingFile:
        QVERIFY(QFile::remove(rig.picture));
        got = rig.caption.CaptionPicture(rig.picture);
        break;
    case NotAPicture:
    case EmptyFile: {
        QFile file(rig.picture);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (failure == NotAPicture)
            file.write("BM this is text, not a bitmap");
        file.close();
        before = contentsOf(rig.picture);
        got = rig.caption.CaptionPicture(rig.picture);
        break;
    }
    case FolderGone:
        QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
        QVERIFY(QDir(folder).removeRecursively());
        got = rig.caption.CmdApply_Click();
        QVERIFY(!QFileInfo::exists(folder));
        break;
    case FolderInItsPlace:
        QCOMPARE(rig.caption.CaptionPicture(rig.picture), PictureCaption::Result::Saved);
        QVERIFY(QFile::remove(rig.picture));
        QVERIFY(QDir(folder).mkdir("ScreenShot.bmp"));
        got = rig.caption.CmdApply_Click();
        QVERIFY(QFileInfo(rig.picture).isDir());
        break;
    case ReadOnly: {
        const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadUser | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(rig.picture, QFile::ReadOwner | QFile::ReadUser));
        QVERIFY(QFile::setPermissions(folder, readable));
        QFile probe(rig.picture);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            QFile::setPermissions(folder, readable | QFile::WriteOwner);
            QSKIP("this user writes read-only files anyway (root)");
        }
        before = contentsOf(rig.picture);
        got = rig.caption.CaptionPicture(rig.picture);
        QFile::setPermissions(folder, readable | QFile::WriteOwner);
        break;
    }
    }
    QCOMPARE(got, result);
    QVERIFY(rig.messages.isEmpty()); // only a missing path asks for a picture
    if (failure == NotAPicture || failure == EmptyFile || failure == ReadOnly)
        QCOMPARE(contentsOf(rig.picture), before);
    // Nothing was written beside the picture, not even a temporary file.
    if (QFileInfo::exists(folder))
        QVERIFY2(rig.files().size() <= 1, qPrintable(rig.files().join(", ")));
}

QTEST_MAIN(TestPictureCaption)
#include "test_picture_caption.moc"

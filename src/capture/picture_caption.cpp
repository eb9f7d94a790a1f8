#include "capture/picture_caption.h"

#include "platform/settings/settings_store.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

#include <QApplication>
#include <QBuffer>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>

namespace {

int pixelsOf(double twips)
{
    return qRound(twips / Twips::PerPixel);
}

// Spaces and line breaks at the ends go, the line breaks inside stay (as '\n').
QString cleanCaption(const QString& text)
{
    QString caption = text.trimmed();
    caption.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    caption.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return caption;
}

// Width of the widest line, as the text is laid out when drawn.
int textWidth(const QFontMetrics& metrics, const QString& caption)
{
    int widest = 0;
    for (const QString& line : caption.split(QLatin1Char('\n')))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    return widest;
}

// Left-aligned from the given point whatever the writing direction of the text, not cut by
// the rectangle, only by the picture's edges.
constexpr int TextFlags = Qt::AlignAbsolute | Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;

QFont windowFontInPixels()
{
    // In pixels, so that the caption has the windows' text size on a bitmap of any resolution.
    QFont font = QApplication::font();
    font.setPixelSize(WindowFontPixels);
    return font;
}

} // namespace

QColor PictureCaption::fromBgr(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

PictureCaption::PictureCaption(const SettingsStore& settings, QWidget* messageParent)
    : TxtCopyright(Settings::defaultCaption()), m_settings(settings), m_font(windowFontInPixels())
{
    m_message = [messageParent](const QString& text) {
        QMessageBox::information(messageParent, Product::Title, text, QMessageBox::Ok);
    };
}

PictureCaption::Result PictureCaption::CaptionPicture(const QString& path)
{
    CaptionFore = fromBgr(0xFFFF);
    CaptionAlign = Center;
    TxtCopyright = m_settings.Get(QLatin1String(SettingsKeys::Pictextcopy));
    lzFilename = path;
    Done = false;

    // No path means no picture; a file that is not one is reported instead of captioned.
    m_picture = QImage();
    if (!lzFilename.isEmpty()) {
        QImage loaded(lzFilename);
        if (loaded.isNull()) {
            picMain = QImage();
            Pic_Height = Pic_Width = 0;
            return Result::NoPicture;
        }
        m_picture = loaded.convertToFormat(QImage::Format_RGB32);
    }
    Pic_Height = m_picture.height();
    Pic_Width = m_picture.width();
    return CmdApply_Click();
}

PictureCaption::Result PictureCaption::CmdApply_Click()
{
    const QString caption = cleanCaption(TxtCopyright);
    picMain = m_picture; // back to the bare picture, so strips never stack
    if (CaptionAlign >= Left && CaptionAlign <= Right && !m_picture.isNull())
        drawCaption(caption);
    Done = true;
    return SaveCaptioned();
}

void PictureCaption::drawCaption(const QString& caption)
{
    const int heightTwips = Pic_Height * Twips::PerPixel + StripTwips;
    QImage surface(Pic_Width, pixelsOf(heightTwips), QImage::Format_RGB32);
    surface.fill(CaptionBack);

    QPainter painter(&surface);
    painter.drawImage(0, 0, m_picture);
    const QFontMetrics metrics(m_font, &surface);
    const int width = textWidth(metrics, caption);
    const int top = pixelsOf(heightTwips - TextAboveStripBottomTwips);
    const QRect area(QPoint(textLeft(width), top), QSize(width + 1, surface.height()));
    painter.setFont(m_font);
    painter.setPen(CaptionFore);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(area, TextFlags, caption);
    painter.end();
    picMain = surface;
}

int PictureCaption::textLeft(int textWidthPixels) const
{
    // A third of the way across, not centred on the text: the caption starts there.
    const int widthTwips = Pic_Width * Twips::PerPixel;
    switch (CaptionAlign) {
    case Center:
        return pixelsOf(widthTwips / 3.0);
    case Right:
        return pixelsOf(widthTwips - textWidthPixels * Twips::PerPixel - RightMarginTwips);
    default:
        return 0;
    }
}

PictureCaption::Result PictureCaption::SaveCaptioned()
{
    if (lzFilename.isEmpty()) {
        if (m_message)
            m_message(NoPictureMessage);
        return Result::NoPicture;
    }
    if (picMain.isNull())
        return Result::NoPicture;

    // The whole bitmap is made in memory and marked there, then replaces the file in one
    // step: a failed write leaves the file as it was.
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    if (!picMain.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP") || bitmap.isEmpty())
        return Result::CannotWrite;
    bitmap.back() = FileMark;

    QSaveFile file(lzFilename);
    file.setDirectWriteFallback(true); // a writable file in a folder where nothing can be added
    if (!file.open(QIODevice::WriteOnly) || file.write(bitmap) != bitmap.size() || !file.commit())
        return Result::CannotWrite;
    return Result::Saved;
}

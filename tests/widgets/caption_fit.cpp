#include "caption_fit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

namespace {

// Where a control draws its caption, the flags it draws with, and the text itself.
struct Caption {
    QString text;
    QRect area;
    int flags = 0;
};

// The buttons fill their style options in a protected member; naming it through a class that
// makes it public gives a pointer that can be called on any button of that type.
template <typename Button> QStyleOptionButton styleOption(const Button* button)
{
    struct Access : Button {
        using Button::initStyleOption;
    };
    QStyleOptionButton option;
    (button->*(&Access::initStyleOption))(&option);
    return option;
}

// Option buttons and check boxes draw their caption in the part of them beside the indicator.
template <typename Button>
Caption indicatorButtonCaption(const Button* button, QStyle::SubElement contents)
{
    const QStyleOptionButton option = styleOption(button);
    return {button->text(), button->style()->subElementRect(contents, &option, button),
            Qt::TextShowMnemonic};
}

// Across, a push button's caption needs the room its size hint keeps beside the text, though
// not the style's minimum width for buttons with text; down, the button's contents suffice.
Caption pushButtonCaption(const QPushButton* button, bool wraps)
{
    const QStyle* style = button->style();
    QStyleOptionButton option = styleOption(button);
    QRect area = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int iconRoom = option.icon.isNull() ? 0 : option.iconSize.width() + 4;
    option.text.clear();
    option.icon = QIcon();
    const int beside =
        style->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), button).width();
    area.setWidth(button->width() - beside - iconRoom);
    return {button->text(), area, Qt::TextShowMnemonic | (wraps ? Qt::TextWordWrap : 0)};
}

Caption labelCaption(const QLabel* label)
{
    QString text = label->text();
    if (Qt::mightBeRichText(text) && label->textFormat() != Qt::PlainText) {
        QTextDocument document;
        document.setHtml(text);
        text = document.toPlainText();
    }
    const int margin = label->margin();
    QRect area = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    // A label with a frame and no indent of its own keeps half an 'x' clear of it.
    const int indent = label->indent() >= 0 ? label->indent()
                       : label->frameWidth() > 0
                           ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                           : 0;
    area.setWidth(area.width() - indent);
    int flags = label->wordWrap() ? Qt::TextWordWrap : 0;
    if (label->buddy())
        flags |= Qt::TextShowMnemonic;
    return {text, area, flags};
}

// The caption of a control the walker knows; an empty text for any other widget.
Caption captionOf(const QWidget* widget, const QSet<QString>& wrappingButtons)
{
    if (const auto* button = qobject_cast<const QPushButton*>(widget))
        return pushButtonCaption(button, wrappingButtons.contains(button->objectName()));
    if (const auto* option = qobject_cast<const QRadioButton*>(widget))
        return indicatorButtonCaption(option, QStyle::SE_RadioButtonContents);
    if (const auto* box = qobject_cast<const QCheckBox*>(widget))
        return indicatorButtonCaption(box, QStyle::SE_CheckBoxContents);
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return labelCaption(label);
    return {};
}

QString quoted(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

// Where a push button really draws its caption: the pixels that change when it has none.
QRect inkOfCaption(const QPushButton* button)
{
    auto* drawn = const_cast<QPushButton*>(button);
    const QImage with = drawn->grab().toImage();
    const QString text = drawn->text();
    drawn->setText(QString());
    const QImage without = drawn->grab().toImage();
    drawn->setText(text);
    QRect ink;
    if (with.size() != without.size())
        return ink;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Empty when the caption fits, else what the control is and what it would need.
QString misfit(const QWidget* widget, const Caption& caption)
{
    const QSize needed = widget->fontMetrics()
                             .boundingRect(QRect(0, 0, caption.area.width(), QWIDGETSIZE_MAX),
                                           caption.flags, caption.text)
                             .size();
    const QSize chrome = widget->size() - caption.area.size();
    QStringList faults;
    if (needed.width() > caption.area.width())
        faults << QStringLiteral("width %1, needs %2")
                      .arg(widget->width())
                      .arg(needed.width() + chrome.width());
    if (needed.height() > caption.area.height())
        faults << QStringLiteral("height %1, needs %2")
                      .arg(widget->height())
                      .arg(needed.height() + chrome.height());
    // A button must also draw its caption within that room, the margins of a button clear on
    // either side of it (a caption measured in one place and drawn in another is no fit).
    const auto* button = qobject_cast<const QPushButton*>(widget);
    if (button && button->icon().isNull()) {
        const QRect ink = inkOfCaption(button);
        const int margin = (button->width() - caption.area.width()) / 2;
        const int left = margin - 1;
        const int right = button->width() - margin;
        if (!ink.isEmpty() && (ink.left() < left || ink.right() > right))
            faults << QStringLiteral("drawn from x %1 to %2, clear of the edges from %3 to %4")
                          .arg(ink.left())
                          .arg(ink.right())
                          .arg(left)
                          .arg(right);
    }
    if (faults.isEmpty())
        return {};
    return QStringLiteral("%1 %2: %3")
        .arg(widget->objectName(), quoted(caption.text), faults.join(QLatin1String("; ")));
}

} // namespace

QStringList CaptionFit::check(const QWidget* window)
{
    m_checked = 0;
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<const QWidget*>())
        widgets << child;
    QStringList misfits;
    for (const QWidget* widget : widgets) {
        const Caption caption = captionOf(widget, m_wrappingButtons);
        if (caption.text.isEmpty())
            continue;
        ++m_checked;
        const QString fault = misfit(widget, caption);
        if (!fault.isEmpty())
            misfits << fault;
    }
    return misfits;
}

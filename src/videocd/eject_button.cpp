#include "videocd/eject_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace {

// The eject sign in `box`: a triangle pointing up over a bar, a fifth of the box apart.
QPainterPath ejectSign(const QRectF& box)
{
    const qreal barHeight = box.height() * 0.22;
    const qreal gap = box.height() * 0.14;
    const qreal triangleHeight = box.height() - barHeight - gap;
    QPainterPath sign;
    sign.moveTo(box.center().x(), box.top());
    sign.lineTo(box.right(), box.top() + triangleHeight);
    sign.lineTo(box.left(), box.top() + triangleHeight);
    sign.closeSubpath();
    sign.addRect(QRectF(box.left(), box.bottom() - barHeight, box.width(), barHeight));
    return sign;
}

} // namespace

EjectButton::EjectButton(QWidget* parent) : QPushButton(parent)
{
    // The caption is small beside the other buttons' text: 80 % of the window font.
    QFont small = font();
    if (small.pixelSize() > 0)
        small.setPixelSize(std::max(7, small.pixelSize() * 4 / 5));
    else if (small.pointSizeF() > 0)
        small.setPointSizeF(std::max(5.0, small.pointSizeF() * 0.8));
    setFont(small);
}

EjectButton::Layout EjectButton::layoutFor(const QRectF& contents, qreal letterHeight)
{
    // The letter keeps its own height at the bottom; the picture takes what is left above it,
    // as wide as suits a sign a little wider than high.
    const qreal letter = std::min(letterHeight, contents.height() * 0.45);
    const QRectF above(contents.left(), contents.top(), contents.width(),
                       contents.height() - letter);
    const qreal height = std::max<qreal>(0, std::min(above.height() - 1, contents.width() / 1.15));
    const qreal width = std::min(contents.width(), height * 1.15);
    const QRectF picture(above.center().x() - width / 2, above.center().y() - height / 2, width,
                         height);
    return {picture, QRectF(contents.left(), contents.bottom() - letter, contents.width(), letter)};
}

void EjectButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const Layout layout = layoutFor(contents, fontMetrics().height());
    const QColor ink =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(ejectSign(layout.picture));
    painter.setPen(ink);
    painter.drawText(layout.letter, Qt::AlignCenter, text());
}

#include "widgets/wrapping_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void WrappingButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    option.icon = QIcon();
    const int beside =
        style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), this).width();
    const int room = width() - beside;
    if (room < area.width())
        area = QRect(area.x() + (area.width() - room) / 2, area.y(), room, area.height());
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}

#include "widgets/twips.h"

#include <QWidget>

void Twips::place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect(left, top, width, height));
}

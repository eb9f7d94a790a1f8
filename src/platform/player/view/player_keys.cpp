#include "platform/player/view/player_keys.h"

#include <QKeyEvent>

bool isPlayerKey(const QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Space)
        return true;
    return (key == Qt::Key_Return || key == Qt::Key_Enter) &&
           event->modifiers().testFlag(Qt::AltModifier);
}

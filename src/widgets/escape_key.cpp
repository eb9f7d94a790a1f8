#include "widgets/escape_key.h"

#include <QShortcut>
#include <QWidget>

void closeOnEscape(QWidget* window, std::function<void()> close)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    if (!close)
        close = [window] { window->close(); };
    QObject::connect(escape, &QShortcut::activated, window, std::move(close));
}

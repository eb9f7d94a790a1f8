#include "app/window_keyboard.h"

#include "platform/player/view/player_keys.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

WindowKeyboard::WindowKeyboard(QWidget* window, QWidget* picture, Steps steps)
    : QObject(window), m_window(window), m_picture(picture), m_steps(std::move(steps))
{
    qApp->installEventFilter(this);
}

WindowKeyboard::~WindowKeyboard()
{
    qApp->removeEventFilter(this);
}

void WindowKeyboard::setFocusOrder(const QList<QWidget*>& controls)
{
    QWidget* previous = m_picture;
    for (QWidget* control : controls) {
        QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

bool WindowKeyboard::keyboardOnAControl() const
{
    return m_tabbedControl && m_tabbedControl->hasFocus() && m_tabbedControl->isEnabled();
}

std::optional<QChar> WindowKeyboard::typedCharacter(const QKeyEvent* key)
{
    if (isPlayerKey(key))
        return std::nullopt;
    const QString text = key->text();
    if (text.isEmpty() || key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier))
        return std::nullopt;
    const QChar character = text.front();
    if (!character.isPrint() && character != QLatin1Char('\r'))
        return std::nullopt;
    return character;
}

void WindowKeyboard::noteFocus(QWidget* widget, Qt::FocusReason reason)
{
    if (widget == m_picture || m_picture->isAncestorOf(widget))
        m_tabbedControl = nullptr;
    else if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
        m_tabbedControl = widget;
}

bool WindowKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::FocusIn) || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != m_window)
        return false;
    if (type == QEvent::FocusIn) {
        noteFocus(widget, static_cast<QFocusEvent*>(event)->reason());
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    // Any key with Alt held (Alt alone too) takes the window out of the topmost band.
    if (key->modifiers().testFlag(Qt::AltModifier) || key->key() == Qt::Key_Alt)
        m_steps.leaveOnTop();
    const std::optional<QChar> character = typedCharacter(key);
    if (!character)
        return false;
    m_steps.typed(*character);
    return true;
}

#include "app/keyboard_commands.h"

#include "widgets/knob.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <QWidget>

KeyboardCommands::KeyboardCommands(QWidget* window, Steps steps)
    : QObject(window), m_window(window), m_steps(std::move(steps))
{
    for (const KeyGuide::Binding& binding : KeyGuide::bindings()) {
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(binding.keys));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setAutoRepeat(true); // held down, an arrow keeps seeking or turning
        const KeyGuide::Command command = binding.command;
        connect(action, &QAction::triggered, this, [this, command] { run(command); });
        window->addAction(action);
    }
    qApp->installEventFilter(this);
}

KeyboardCommands::~KeyboardCommands()
{
    qApp->removeEventFilter(this);
}

void KeyboardCommands::run(KeyGuide::Command command)
{
    using KeyGuide::Command;
    switch (command) {
    case Command::None:
        break;
    case Command::OpenMenu:
        m_steps.openMenu();
        break;
    case Command::SeekBack:
        m_steps.seekBy(-KeyGuide::SeekSeconds);
        break;
    case Command::SeekForward:
        m_steps.seekBy(KeyGuide::SeekSeconds);
        break;
    case Command::SeekBackFar:
        m_steps.seekBy(-KeyGuide::FarSeekSeconds);
        break;
    case Command::SeekForwardFar:
        m_steps.seekBy(KeyGuide::FarSeekSeconds);
        break;
    case Command::VolumeUp:
        m_steps.stepVolume(1);
        break;
    case Command::VolumeDown:
        m_steps.stepVolume(-1);
        break;
    case Command::Mute:
        m_steps.toggleMute();
        break;
    case Command::KeyUp:
    case Command::KeyDown:
    case Command::TempoFaster:
    case Command::TempoSlower:
    case Command::OriginalKeyAndTempo:
        m_steps.karaoke(command);
        break;
    case Command::NextSong:
        m_steps.skipSong(1);
        break;
    case Command::PreviousSong:
        m_steps.skipSong(-1);
        break;
    case Command::ReturnInLists:
        m_steps.listReturn();
        break;
    case Command::OpenSongQueue:
        m_steps.openSongQueue();
        break;
    }
}

bool KeyboardCommands::keepsKey(const QWidget* focus, int key)
{
    const bool upOrDown = key == Qt::Key_Up || key == Qt::Key_Down;
    const bool leftOrRight = key == Qt::Key_Left || key == Qt::Key_Right;
    if (!upOrDown && !leftOrRight)
        return false;
    // Option buttons move between themselves with every arrow, as in any group of options.
    if (qobject_cast<const QRadioButton*>(focus))
        return true;
    for (const QWidget* w = focus; w && upOrDown; w = w->parentWidget()) {
        if (qobject_cast<const Knob*>(w) || qobject_cast<const QComboBox*>(w))
            return true;
        if (w->isWindow())
            break;
    }
    return false;
}

bool KeyboardCommands::eventFilter(QObject* watched, QEvent* event)
{
    // Accepting the override hands the key to the focused control instead of the shortcut.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (widget->window() == m_window && key->modifiers() == Qt::NoModifier &&
            keepsKey(widget, key->key())) {
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

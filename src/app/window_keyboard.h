#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

// The main window's keyboard, seen before any of its controls sees a key: a key with Alt takes
// the window out of the topmost band; every typed character goes to the track choice (the
// player's own keys and keys that type nothing go on to the controls and the window's
// shortcuts). Tab walks the controls in the order they stand, from the picture; a control Tab
// took the keyboard to keeps it when a command ends.
class WindowKeyboard : public QObject {
    Q_OBJECT
public:
    struct Steps {
        std::function<void(QChar character)> typed;
        std::function<void()> leaveOnTop;
    };

    WindowKeyboard(QWidget* window, QWidget* picture, Steps steps);
    ~WindowKeyboard() override;

    // The controls in Tab's order after the picture; back to the picture after the last.
    void setFocusOrder(const QList<QWidget*>& controls);
    // The user took the keyboard to one of the window's controls with Tab, and it is there.
    bool keyboardOnAControl() const;

    // The character a key types for the track choice, or none (a player key, a key that types
    // nothing, a key with Ctrl or Alt).
    static std::optional<QChar> typedCharacter(const QKeyEvent* key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteFocus(QWidget* widget, Qt::FocusReason reason);

    QWidget* m_window;
    QWidget* m_picture;
    Steps m_steps;
    QPointer<QWidget> m_tabbedControl;
};

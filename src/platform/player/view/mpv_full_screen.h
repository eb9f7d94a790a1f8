#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QLayout;
class QShortcut;
class QWidget;

// Full screen for the player's view: the view's top-level window goes full screen and the view
// is laid over all of it. The view is never reparented: that would move the picture's native
// window to another top-level window and destroy its GL context. Esc (while full screen) and
// Alt+Enter are shortcuts of the whole window, so they work whichever child has the focus.
class MpvFullScreen : public QObject {
    Q_OBJECT
public:
    explicit MpvFullScreen(QWidget* view, QObject* parent = nullptr);

    bool isActive() const { return m_active; }
    void enter();
    void leave();
    // Covers the window again once whatever changed inside it (e.g. the control bar) has
    // settled.
    void scheduleCover();
    // Puts the shortcuts on the view's current top-level window; call when the view is shown.
    void ensureShortcuts();
    void removeShortcuts();

signals:
    void leaveRequested();
    void toggleRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void coverWindow();

    QPointer<QWidget> m_view;
    bool m_active = false;
    bool m_coverQueued = false;
    QPointer<QWidget> m_window;
    // The view's parent, which it is laid over the window in.
    QPointer<QWidget> m_parent;
    QPointer<QLayout> m_suspendedLayout;
    QRect m_geometryBefore;
    QSize m_minimumBefore;
    Qt::WindowStates m_windowStateBefore;

    QPointer<QWidget> m_shortcutWindow;
    QPointer<QShortcut> m_escape;
    QPointer<QShortcut> m_toggle;
};

#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <utility>

// Notes when the window it watches has closed: a window is only ever hidden by closing, and a
// closed one (Qt::WA_DeleteOnClose) is only waiting to be deleted.
class ClosedWindowWatch : public QObject {
public:
    void watch(QWidget* window)
    {
        m_closed = false;
        window->installEventFilter(this);
    }
    bool closed() const { return m_closed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window the desktop minimises is hidden too, spontaneously; it is still there.
        if (event->type() == QEvent::Hide && !event->spontaneous())
            m_closed = true;
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_closed = false;
};

// One window of a kind at a time, owned by the window that keeps this member: made on first
// use, parented to the owner and deleted when it closes; asked for again while it is open, it
// is brought forward. A window may also be loaded without being shown (the settings dialog,
// whose destination a capture reads).
template <class Window> class OwnedWindow {
public:
    // The window that is open or loaded, or the one `make` returns.
    template <class Make> Window* load(Make&& make)
    {
        if (!window()) {
            m_window = std::forward<Make>(make)();
            m_window->setAttribute(Qt::WA_DeleteOnClose);
            m_watch.watch(m_window);
        }
        return m_window;
    }
    // The window shown, raised and given the keyboard; made first when there is none.
    template <class Make> Window* show(Make&& make)
    {
        Window* shown = load(std::forward<Make>(make));
        shown->show();
        shown->raise();
        shown->activateWindow();
        return shown;
    }
    // The window open or loaded now, or null.
    Window* window() const { return m_window && !m_watch.closed() ? m_window.data() : nullptr; }

private:
    QPointer<Window> m_window;
    ClosedWindowWatch m_watch;
};

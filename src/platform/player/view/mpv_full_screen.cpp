#include "platform/player/view/mpv_full_screen.h"

#include <QEvent>
#include <QLayout>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

namespace {

// Read by the window's proportional resizer.
constexpr const char* SkipResizeProperty = "tamrelResizerSkip";

} // namespace

MpvFullScreen::MpvFullScreen(QWidget* view, QObject* parent) : QObject(parent), m_view(view) {}

void MpvFullScreen::enter()
{
    if (m_active || !m_view)
        return;
    QWidget* window = m_view->window();
    m_active = true;
    m_window = window;
    m_windowStateBefore = window->windowState();
    // A screen smaller than the window's least size: a Wayland compositor ends a client whose
    // full-screen surface is larger than the output.
    m_minimumBefore = window->minimumSize();
    window->setMinimumSize(0, 0);
    // Whatever scales the window's controls on resizes leaves the covering view alone.
    m_view->setProperty(SkipResizeProperty, true);
    if (window != m_view) {
        m_geometryBefore = m_view->geometry();
        m_parent = m_view->parentWidget();
        window->installEventFilter(this);
        if (m_parent != window)
            m_parent->installEventFilter(this);
        // A QLayout would put the view back into its cell after every change inside it.
        if (QLayout* layout = m_parent->layout()) {
            m_suspendedLayout = layout;
            layout->setEnabled(false);
        }
    }
    window->showFullScreen();
    coverWindow();
    if (m_escape)
        m_escape->setEnabled(true);
}

void MpvFullScreen::leave()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_view)
        m_view->setProperty(SkipResizeProperty, false);
    if (m_escape)
        m_escape->setEnabled(false);
    if (m_window) {
        m_window->removeEventFilter(this);
        if (m_parent)
            m_parent->removeEventFilter(this);
        m_window->setWindowState(m_windowStateBefore);
        m_window->setMinimumSize(m_minimumBefore);
        if (m_view && m_window != m_view)
            m_view->setGeometry(m_geometryBefore);
    }
    if (m_suspendedLayout) {
        m_suspendedLayout->setEnabled(true);
        m_suspendedLayout->invalidate();
    }
    m_suspendedLayout = nullptr;
    m_window = nullptr;
    m_parent = nullptr;
}

bool MpvFullScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (m_active && (watched == m_window || watched == m_parent)) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::LayoutRequest:
        case QEvent::Show:
            // Whatever arranges the window's children reacts to this event too, possibly
            // after this filter: cover once it is done.
            scheduleCover();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void MpvFullScreen::scheduleCover()
{
    if (m_coverQueued)
        return;
    m_coverQueued = true;
    QTimer::singleShot(0, this, &MpvFullScreen::coverWindow);
}

void MpvFullScreen::coverWindow()
{
    m_coverQueued = false;
    if (!m_active || !m_view || !m_window || !m_parent || m_window == m_view)
        return;
    const QRect whole(m_parent->mapFrom(m_window, QPoint(0, 0)), m_window->size());
    if (m_view->geometry() != whole)
        m_view->setGeometry(whole);
    m_view->raise();
}

void MpvFullScreen::ensureShortcuts()
{
    if (!m_view)
        return;
    QWidget* window = m_view->window();
    if (window == m_shortcutWindow && m_escape && m_toggle)
        return;
    removeShortcuts();
    m_shortcutWindow = window;
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    m_escape->setContext(Qt::WindowShortcut);
    // Only while full screen; otherwise Esc stays with the window's own widgets.
    m_escape->setEnabled(m_active);
    connect(m_escape, &QShortcut::activated, this, [this] {
        if (m_active)
            emit leaveRequested();
    });
    m_toggle = new QShortcut(window);
    m_toggle->setKeys(
        {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
    m_toggle->setContext(Qt::WindowShortcut);
    connect(m_toggle, &QShortcut::activated, this, &MpvFullScreen::toggleRequested);
}

void MpvFullScreen::removeShortcuts()
{
    delete m_escape;
    delete m_toggle;
}

#include "app/window_modes.h"

#include "platform/player/media_player.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

const QString WindowModes::OnTopUnavailableTip =
    QStringLiteral("Always on Top is not available under Wayland: there the desktop alone "
                   "decides which window stays above the others");

WindowModes::WindowModes(QWidget* window, MediaPlayer& player, QPushButton* cmdOnTop,
                         std::function<void()> focusPlayer)
    : QObject(window), m_window(window), m_player(player), m_cmdOnTop(cmdOnTop),
      m_focusPlayer(std::move(focusPlayer))
{
    m_cmdOnTop->setProperty("tag", QStringLiteral("0"));
    if (!canStayOnTop()) {
        m_cmdOnTop->setEnabled(false);
        m_cmdOnTop->setToolTip(OnTopUnavailableTip);
    }
}

bool WindowModes::canStayOnTop()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool WindowModes::isOnTop() const
{
    return m_cmdOnTop->property("tag").toString().toInt() == 1;
}

void WindowModes::setStacking(bool onTop)
{
    // Changing the flag on the native window restacks it in place; QWidget::setWindowFlags
    // would recreate the window and with it the video's GL context.
    if (QWindow* handle = m_window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
        m_window->activateWindow();
    } else {
        m_window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
}

void WindowModes::OnTopToggle()
{
    if (!canStayOnTop())
        return;
    const bool onTop = !isOnTop();
    m_cmdOnTop->setProperty("tag", onTop ? QStringLiteral("1") : QStringLiteral("0"));
    setStacking(onTop);
    m_focusPlayer();
}

void WindowModes::leaveOnTop()
{
    if (isOnTop())
        OnTopToggle();
}

void WindowModes::FullScreen()
{
    leaveOnTop();
    m_player.SetFocus(); // full screen shows the picture alone
    m_player.setEnableFullScreenControls(true);
    m_player.setShowControls(true);
    m_player.setDisplaySize(MediaPlayer::FullScreen);
}

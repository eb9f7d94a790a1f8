#include "app/singer_screen.h"

#include "diagnostics/diagnostics.h"
#include "platform/player/media_player.h"
#include "platform/settings/settings_store.h"
#include "settings/settings_keys.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>

namespace SingerScreenChoice {

int choose(const QStringList& screens, const QString& mainScreen, const QString& remembered)
{
    const int chosen = screens.indexOf(remembered);
    if (!remembered.isEmpty() && chosen >= 0 && remembered != mainScreen)
        return chosen;
    for (int i = 0; i < screens.size(); ++i) {
        if (screens[i] != mainScreen)
            return i;
    }
    return screens.isEmpty() ? -1 : 0;
}

} // namespace SingerScreenChoice

SingerWindow::SingerWindow(QWidget* keyTarget)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_keyTarget(keyTarget)
{
    setObjectName(QStringLiteral("singerWindow"));
    setWindowTitle(tr("Singer Screen"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setCursor(Qt::BlankCursor);
    // The main window's keys that are shortcuts (volume, seeking, the menu) work here too.
    if (keyTarget)
        addActions(keyTarget->actions());
}

void SingerWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeRequested();
        return;
    }
    // The track keys and the player's keys work here as on the main window.
    QWidget* target = m_keyTarget ? m_keyTarget->focusWidget() : nullptr;
    if (!target)
        target = m_keyTarget;
    if (target)
        QCoreApplication::sendEvent(target, event);
}

void SingerWindow::closeEvent(QCloseEvent* event)
{
    // Closed by the desktop: the owner closes it its own way, bringing the picture back.
    event->ignore();
    emit closeRequested();
}

void SingerWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuSingerScreens"));
    for (QScreen* screen : QGuiApplication::screens()) {
        QAction* item = menu.addAction(tr("Show on %1").arg(screen->name()));
        item->setCheckable(true);
        item->setChecked(screen == this->screen());
        connect(item, &QAction::triggered, this, [this, screen] { emit screenChosen(screen); });
    }
    menu.addSeparator();
    connect(menu.addAction(tr("Close")), &QAction::triggered, this, &SingerWindow::closeRequested);
    menu.exec(event->globalPos());
}

SingerScreen::SingerScreen(QWidget* mainWindow, MediaPlayer& player, QAction* item,
                           SettingsStore* settings, std::function<void()> fullScreen)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_player(player), m_item(item),
      m_settings(settings), m_fullScreen(std::move(fullScreen))
{
    m_item->setCheckable(true);
    // Ctrl+T: a shortcut of the main window, and of the singer window, which takes its actions.
    m_item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_item->setShortcutContext(Qt::WindowShortcut);
    mainWindow->addAction(m_item);
    connect(m_item, &QAction::triggered, this, &SingerScreen::setOpen);
    connect(qApp, &QGuiApplication::screenRemoved, this, &SingerScreen::screenRemoved);
}

SingerScreen::~SingerScreen()
{
    close();
}

void SingerScreen::setOpen(bool open)
{
    if (open)
        this->open();
    else
        close();
}

void SingerScreen::open()
{
    if (m_window) {
        m_item->setChecked(true);
        return;
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    QStringList names;
    for (QScreen* screen : screens)
        names << screen->name();
    QScreen* mainScreen = m_mainWindow->screen();
    const QString remembered =
        m_settings ? m_settings->Get(SettingsKeys::SingerScreenName) : QString();
    const int chosen =
        SingerScreenChoice::choose(names, mainScreen ? mainScreen->name() : QString(), remembered);
    if (chosen < 0 || screens[chosen] == mainScreen) {
        // One screen: the picture full screen there, as Full Screen does.
        m_item->setChecked(false);
        if (chosen >= 0)
            m_fullScreen();
        return;
    }
    // The main window's own full screen would leave the host a black screen.
    if (m_player.DisplaySize() == MediaPlayer::FullScreen)
        m_player.setDisplaySize(MediaPlayer::FitToSize);
    m_window = new SingerWindow(m_mainWindow);
    connect(m_window, &SingerWindow::closeRequested, this, &SingerScreen::close);
    connect(m_window, &SingerWindow::screenChosen, this, &SingerScreen::moveTo);
    m_player.setPictureElsewhere(m_window);
    showOn(screens[chosen]);
    m_item->setChecked(true);
    // The host goes on typing on the main window.
    m_mainWindow->activateWindow();
}

void SingerScreen::showOn(QScreen* screen)
{
    m_screen = screen;
    m_window->setScreen(screen);
    // The X11 window manager looks at where the window is; a Wayland compositor at the output
    // it is asked to fill.
    m_window->setGeometry(screen->geometry());
    m_window->showFullScreen();
    Diagnostics::report("singer screen", QStringLiteral("open on %1").arg(screen->name()));
}

void SingerScreen::moveTo(QScreen* screen)
{
    if (!m_window || !screen || screen == m_screen)
        return;
    if (m_settings)
        m_settings->Save(SettingsKeys::SingerScreenName, screen->name());
    m_window->hide();
    showOn(screen);
}

void SingerScreen::close()
{
    if (m_item)
        m_item->setChecked(false);
    if (!m_window)
        return;
    SingerWindow* window = m_window;
    m_window = nullptr;
    m_screen = nullptr;
    m_player.setPictureElsewhere(nullptr);
    window->hide();
    window->deleteLater();
    Diagnostics::report("singer screen", QStringLiteral("closed"));
}

void SingerScreen::screenRemoved(QScreen* screen)
{
    // Gone already, the screen may no longer be told apart: the window's was one of them.
    if (m_window && (screen == m_screen || m_screen.isNull()))
        close();
}

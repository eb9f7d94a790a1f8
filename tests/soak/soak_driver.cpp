#include "soak_driver.h"

#include "app/player_window.h"
#include "app/popup_menu.h"
#include "media_files/folder_chooser.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"
#include "widgets/knob.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC installs no header for its allocator interface.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif
#include <numbers>
#include <unistd.h>

namespace {

// Characters a user types at the window: the track keys, space, and letters (p and o pause
// and play, a..i are tracks 10..18).
constexpr char TypedCharacters[] = "0123456789 abcdefghijklmnopqrstuvwxyz";

// What is drawn for each action, out of 100: mostly clicks, keys and menu commands, as a user
// of the window would.
struct Weight {
    SoakDriver::Action action;
    int weight;
};
constexpr Weight Weights[] = {
    {SoakDriver::Action::Click, 30},       {SoakDriver::Action::Key, 22},
    {SoakDriver::Action::MenuCommand, 12}, {SoakDriver::Action::MenuButton, 4},
    {SoakDriver::Action::KnobDrag, 10},    {SoakDriver::Action::Resize, 6},
    {SoakDriver::Action::FullScreen, 5},   {SoakDriver::Action::Tray, 4},
    {SoakDriver::Action::Chooser, 4},      {SoakDriver::Action::CloseWindows, 3},
};

template <typename T> QList<T*> usable(const QList<T*>& widgets)
{
    QList<T*> result;
    for (T* widget : widgets)
        if (widget->isVisible() && widget->isEnabled())
            result << widget;
    return result;
}

FolderChooser* openChooser()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* chooser = qobject_cast<FolderChooser*>(widget); chooser && chooser->isVisible())
            return chooser;
    return nullptr;
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

SoakDriver::SoakDriver(Playerfrm& window, MediaPlayer& player, quint32 seed, QString clipsFolder)
    : m_window(window), m_player(player), m_random(seed), m_clipsFolder(std::move(clipsFolder)),
      m_firstSize(window.size())
{
    // Runs inside the nested event loops of menus and message boxes as well.
    m_dismisser.setInterval(20);
    QObject::connect(&m_dismisser, &QTimer::timeout, [this] { dismissBlockingWindows(); });
    m_dismisser.start();
}

QString SoakDriver::name(Action action)
{
    static const char* const names[ActionKinds] = {
        "click",  "key",         "menu command", "menu button", "knob drag",
        "resize", "full screen", "tray",         "chooser",     "close windows"};
    return QString::fromLatin1(names[int(action)]);
}

SoakDriver::Action SoakDriver::next()
{
    int draw = below(100);
    for (const Weight& weight : Weights) {
        if (draw < weight.weight)
            return weight.action;
        draw -= weight.weight;
    }
    return Action::Click;
}

void SoakDriver::perform(Action action)
{
    send(action);
    ++m_counts[action];
    QTest::qWait(5 + below(16)); // the user's pace: a random pause between two actions
}

qint64 SoakDriver::residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

qint64 SoakDriver::heapInUseBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator keeps its own books (mallinfo2 reports nothing); this counts
    // what the program holds, not what waits in the quarantine of freed blocks.
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}

void SoakDriver::send(Action action)
{
    switch (action) {
    case Action::Click:
        return clickControl();
    case Action::Key:
        return typeKey();
    case Action::MenuCommand:
        return menuCommand();
    case Action::MenuButton:
        return menuButton();
    case Action::KnobDrag:
        return dragKnob();
    case Action::Resize:
        return resizeWindow();
    case Action::FullScreen:
        return toggleFullScreen();
    case Action::Tray:
        return toggleTray();
    case Action::Chooser:
        return useChooser();
    case Action::CloseWindows:
        return closeOtherWindows();
    }
}

void SoakDriver::clickControl()
{
    QList<QAbstractButton*> buttons;
    // Exit ends the process; the Menu button has an action of its own.
    for (QAbstractButton* button : usable(m_window.findChildren<QAbstractButton*>()))
        if (button != m_window.cmdExit && button != m_window.cmdMenu)
            buttons << button;
    if (!buttons.isEmpty())
        pick(buttons)->click();
}

QWidget* SoakDriver::keyTarget() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == &m_window ? focus : &m_window;
}

void SoakDriver::typeKey()
{
    QWidget* target = keyTarget();
    const int draw = below(20);
    if (draw == 0)
        QTest::keyClick(target, Qt::Key_Escape);
    else if (draw == 1)
        QTest::keyClick(target, Qt::Key_Return);
    else if (draw == 2) // a seek, near or far (the volume keys would turn the shared server)
        QTest::keyClick(target, below(2) ? Qt::Key_Left : Qt::Key_Right,
                        below(2) ? Qt::ShiftModifier : Qt::NoModifier);
    else if (draw == 3)
        QTest::keyClick(target, Qt::Key_Tab);
    else
        QTest::keyClick(target, TypedCharacters[below(int(sizeof TypedCharacters) - 1)]);
}

QList<QAction*> SoakDriver::menuCommands(const QMenu& menu) const
{
    QList<QAction*> commands;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        if (action->menu())
            commands << menuCommands(*action->menu());
        else if (action != m_window.menu().mnuExit && action != m_window.menu().mnuCancel)
            commands << action;
    }
    return commands;
}

void SoakDriver::menuCommand()
{
    const QList<QAction*> commands = menuCommands(*m_window.menu().mnuPopup);
    if (!commands.isEmpty())
        pick(commands)->trigger();
}

void SoakDriver::menuButton()
{
    // The menu waits in its own event loop; the dismisser chooses a command and closes it.
    m_choosingFromPopup = true;
    m_chosen = nullptr;
    m_window.cmdMenu->click();
    m_choosingFromPopup = false;
    if (m_chosen)
        m_chosen->trigger();
}

void SoakDriver::dragKnob()
{
    const QList<Knob*> knobs = usable(m_window.findChildren<Knob*>());
    if (knobs.isEmpty())
        return;
    Knob* knob = pick(knobs);
    if (below(4) == 0) {
        const int delta = (below(2) ? 1 : -1) * Knob::WheelNotch * (1 + below(3));
        const QPointF centre = QRectF(knob->rect()).center();
        QWheelEvent wheel(centre, knob->mapToGlobal(centre), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(knob, &wheel);
        return;
    }
    // A part of a circle round the centre, either way round.
    const QPointF centre = QRectF(knob->rect()).center();
    const double radius = std::min(knob->width(), knob->height()) / 3.0;
    const double sense = below(2) ? 1.0 : -1.0;
    double angle = below(628) / 100.0;
    const auto at = [&] { return centre + radius * QPointF(std::cos(angle), std::sin(angle)); };
    sendMouse(knob, QEvent::MouseButtonPress, at(), Qt::LeftButton);
    const int moves = 4 + below(30);
    for (int i = 0; i < moves; ++i) {
        angle += sense * std::numbers::pi / 8;
        sendMouse(knob, QEvent::MouseMove, at(), Qt::LeftButton);
    }
    sendMouse(knob, QEvent::MouseButtonRelease, at(), Qt::NoButton);
}

void SoakDriver::resizeWindow()
{
    switch (below(6)) {
    case 0:
        m_window.showMaximized();
        break;
    case 1:
        m_window.showNormal();
        break;
    default:
        m_window.resize(200 + below(1100), 150 + below(700));
    }
}

void SoakDriver::toggleFullScreen()
{
    const bool fullScreen = m_player.DisplaySize() == MediaPlayer::FullScreen;
    if (!fullScreen && below(2) && m_window.cmdFullscreen->isEnabled()) {
        m_window.cmdFullscreen->click();
        return;
    }
    m_window.activateWindow();
    if (fullScreen && below(2))
        QTest::keyClick(&m_window, Qt::Key_Escape);
    else
        QTest::keyClick(&m_window, Qt::Key_Return, Qt::AltModifier);
}

void SoakDriver::toggleTray()
{
    if (below(2) && m_window.cmdOpencdrom->isEnabled())
        m_window.cmdOpencdrom->click();
    else if (m_window.mnutray->isEnabled())
        m_window.mnutray->trigger();
}

void SoakDriver::useChooser()
{
    FolderChooser* chooser = openChooser();
    if (!chooser) {
        m_window.menu().mnuOpenall->trigger();
        return;
    }
    // Where a user would browse to a folder, the chooser goes to the clips at once.
    chooser->setFolder(m_clipsFolder);
    QList<QPushButton*> buttons = usable<QPushButton>(
        {chooser->cmdOKdirectory, chooser->cmdOkFile, chooser->cmdSaveDefault, chooser->cmdCancel});
    const QList<QRadioButton*> types = usable<QRadioButton>(
        {chooser->optAllmedia, chooser->optVCD, chooser->optAVI, chooser->optMP3});
    if (below(3) == 0 && !types.isEmpty())
        pick(types)->click();
    else if (!buttons.isEmpty())
        pick(buttons)->click();
}

void SoakDriver::closeOtherWindows()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget != &m_window && widget->isVisible() && !qobject_cast<QMenu*>(widget))
            widget->close();
}

void SoakDriver::settleForMeasuring()
{
    closeOtherWindows();
    if (m_player.DisplaySize() == MediaPlayer::FullScreen) {
        m_window.activateWindow();
        QTest::keyClick(&m_window, Qt::Key_Escape);
    }
    m_window.showNormal();
    m_window.resize(m_firstSize);
    // The disc in and one of its tracks loaded and stopped: a disc out of its drive, a folder
    // of clips or no medium at all hold megabytes less than a loaded track, which would show
    // as growth or shrinkage. (The play order decides which track the disc starts with.)
    m_window.engine().StopCommand();
    if (m_window.cmdOpencdrom->isEnabled() && m_window.cmdOpencdrom->text() == QLatin1String("C"))
        m_window.cmdOpencdrom->click();
    else
        m_window.mnuOpenVCD->trigger();
    const bool loaded = QTest::qWaitFor(
        [this] {
            return m_player.PlayState() == MediaPlayer::Playing &&
                   m_player.FileName().endsWith(QLatin1String(".DAT"), Qt::CaseInsensitive);
        },
        10000);
    if (!loaded)
        std::printf("soak: no track of the disc started; measured as the program is\n");
    m_window.engine().StopCommand();
    if (!QTest::qWaitFor([this] { return m_player.PlayState() == MediaPlayer::Stopped; }, 10000))
        std::printf("soak: the player did not stop; measured as the program is\n");
    // A span for the player's threads to let go of their buffers: the heap is measured as it
    // stands after it, whatever they did.
    QTest::qWait(500);
    malloc_trim(0);
}

void SoakDriver::dismissBlockingWindows()
{
    if (QWidget* popup = QApplication::activePopupWidget()) {
        if (auto* menu = qobject_cast<QMenu*>(popup); menu && m_choosingFromPopup) {
            m_choosingFromPopup = false;
            const QList<QAction*> commands = menuCommands(*menu);
            if (!commands.isEmpty())
                m_chosen = pick(commands);
        }
        popup->close();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    ++m_dismissed;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

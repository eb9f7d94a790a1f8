#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QRandomGenerator>
#include <QSize>
#include <QString>
#include <QTimer>

class MediaPlayer;
class Playerfrm;
class QAction;
class QMenu;
class QWidget;

// Sends random user actions to the main window, reproducibly from a seed: clicks on its
// enabled controls, typed characters, popup menu commands, knob drags, resizes, full screen in
// and out, the tray out and in, and the folder chooser pointed at a folder of clips. Nothing
// that ends the process is ever chosen. A dialog that would wait for an answer is closed
// again at once, so an action always returns to the caller.
class SoakDriver {
public:
    enum class Action {
        Click,
        Key,
        MenuCommand,
        MenuButton,
        KnobDrag,
        Resize,
        FullScreen,
        Tray,
        Chooser,
        CloseWindows
    };
    static constexpr int ActionKinds = int(Action::CloseWindows) + 1;

    SoakDriver(Playerfrm& window, MediaPlayer& player, quint32 seed, QString clipsFolder);

    // The next random action, and sending it: the event loop then runs for 5 to 20 ms so
    // the player's events arrive between actions.
    Action next();
    void perform(Action action);
    static QString name(Action action);
    const QMap<Action, int>& counts() const { return m_counts; }
    // Dialogs that waited for an answer and were closed by the driver.
    int dismissedDialogs() const { return m_dismissed; }

    // Closes every window but the main window, as a user tidying up would.
    void closeOtherWindows();
    // Brings the program to one state for measuring its memory: the other windows closed, out
    // of full screen, the main window at its first size, a track of the disc loaded and
    // stopped, and the heap's free memory handed back. What an open window, a playing decoder
    // or a medium other than the disc holds is then not counted as growth.
    void settleForMeasuring();

    // The resident set of this process, from /proc/self/statm.
    static qint64 residentBytes();
    // What the C heap holds allocated now (mallinfo2, or the sanitizer allocator's count):
    // grows with what the program keeps, where the resident set also grows with the heap's
    // fragmentation and, under the sanitizers, their shadow memory.
    static qint64 heapInUseBytes();

private:
    void send(Action action);
    void clickControl();
    void typeKey();
    void menuCommand();
    void menuButton();
    void dragKnob();
    void resizeWindow();
    void toggleFullScreen();
    void toggleTray();
    void useChooser();
    void dismissBlockingWindows();

    int below(int bound) { return int(m_random.bounded(quint32(bound))); }
    template <typename T> T pick(const QList<T>& items) { return items.at(below(items.size())); }
    // The menu's commands a user may choose, submenus included; Exit and Cancel never.
    QList<QAction*> menuCommands(const QMenu& menu) const;
    QWidget* keyTarget() const;

    Playerfrm& m_window;
    MediaPlayer& m_player;
    QRandomGenerator m_random;
    QString m_clipsFolder;
    QTimer m_dismisser;
    bool m_choosingFromPopup = false;
    QPointer<QAction> m_chosen;
    QSize m_firstSize;
    QMap<Action, int> m_counts;
    int m_dismissed = 0;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <functional>

class MediaPlayer;
class QAction;
class SettingsStore;

namespace SingerScreenChoice {

// The screen the singers watch, by index into `screens` (the screens' names): the remembered
// one while it is there and is not the main window's; else the first that is not the main
// window's; with the main window's screen alone, that one; -1 without screens.
int choose(const QStringList& screens, const QString& mainScreen, const QString& remembered);

} // namespace SingerScreenChoice

// The window the singers watch: frameless, black, only the picture. Esc closes it; its context
// menu moves it to another screen; every other key goes to the main window, where the host's
// keys work as ever.
class SingerWindow : public QWidget {
    Q_OBJECT
public:
    explicit SingerWindow(QWidget* keyTarget);

signals:
    void closeRequested();
    void screenChosen(QScreen* screen);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPointer<QWidget> m_keyTarget;
};

// The Singer Screen item: the picture full screen on a second screen, for the singers, while
// the main window keeps its controls on the host's. On a single screen the item goes full
// screen there instead. The picture is drawn only in the singer window while it is open (see
// MediaPlayer::setPictureElsewhere). A singer screen unplugged while open gives the picture
// back to the main window without a word.
class SingerScreen : public QObject {
    Q_OBJECT
public:
    // `item` is the checkable menu item; `settings` (may be null) keeps the chosen screen's
    // name; `fullScreen` is the Full Screen command, for a single screen.
    SingerScreen(QWidget* mainWindow, MediaPlayer& player, QAction* item, SettingsStore* settings,
                 std::function<void()> fullScreen);
    ~SingerScreen() override;

    bool isOpen() const { return m_window != nullptr; }
    void setOpen(bool open);
    void open();
    void close();
    // The window, while open.
    SingerWindow* window() const { return m_window; }
    QScreen* screen() const { return m_screen; }

private:
    void showOn(QScreen* screen);
    void moveTo(QScreen* screen);
    void screenRemoved(QScreen* screen);

    QWidget* m_mainWindow;
    MediaPlayer& m_player;
    QPointer<QAction> m_item;
    SettingsStore* m_settings;
    std::function<void()> m_fullScreen;
    QPointer<SingerWindow> m_window;
    QPointer<QScreen> m_screen;
};

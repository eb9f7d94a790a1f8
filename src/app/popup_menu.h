#pragma once

#include <QObject>

class QAction;
class QPoint;
class QActionGroup;
class QMenu;
class QWidget;

// The popup menu of the Menu button: every command of the program in one tree. The transport
// and capture items belong to their subsystems (which enable them) and are only placed here.
class PopupMenu : public QObject {
    Q_OBJECT
public:
    struct Transport {
        QAction* nextTrack;
        QAction* play;
        QAction* pause;
        QAction* stop;
    };
    // The items other subsystems own and the menu only places: the transport, and capture.
    PopupMenu(QWidget* window, const Transport& transport, QAction* capture, QMenu* karaoke);

    // Shows the menu at `position` and returns when it has closed (the chosen item's command
    // has run by then).
    void showAt(const QPoint& position);

    QMenu* mnuPopup;
    QMenu* mnuVCD;
    QMenu* mnuAudioChannel;
    QMenu* mnuKaraoke;
    QAction* mnuOpenVCD;
    QAction* mnuOpenall;
    QAction* mnuvcdbookmark;
    QAction* mnuaddbookmark;
    QAction* MnuClearbookmark;
    QAction* mnucapturescreen;
    QAction* mnuprogram;
    QAction* mnutray;
    QAction* mnuSetting;
    QAction* mnuSongQueue;
    QAction* mnuSingerScreen;
    QAction* mnuFirst;
    QAction* mnuSecond;
    QAction* mnuBoth;
    QAction* mnuhelp;
    QAction* mnuExit;
    QAction* mnuCancel;
    QActionGroup* channelGroup;
};

#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

// The popup menu of the Menu button: every command of the program in one tree. The
// transport actions belong to the playback engine and are only placed here.
class PopupMenu : public QObject {
    Q_OBJECT
public:
    struct Transport {
        QAction* nextTrack;
        QAction* play;
        QAction* pause;
        QAction* stop;
    };
    PopupMenu(QWidget* window, const Transport& transport);

    QMenu* mnuPopup;
    QMenu* mnuVCD;
    QMenu* mnuAudioChannel;
    QAction* mnuOpenVCD;
    QAction* mnuOpenall;
    QAction* mnuvcdbookmark;
    QAction* mnuaddbookmark;
    QAction* MnuClearbookmark;
    QAction* mnucapturescreen;
    QAction* mnuprogram;
    QAction* mnutray;
    QAction* mnuSetting;
    QAction* mnuFirst;
    QAction* mnuSecond;
    QAction* mnuBoth;
    QAction* mnuhelp;
    QAction* mnuExit;
    QAction* mnuCancel;
    QActionGroup* channelGroup;
};

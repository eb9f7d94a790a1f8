#pragma once

#include "playback/play_order.h"

#include <QList>
#include <QObject>

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

// The controls of playback on the main window: status line, elapsed time, position bar, jump
// list, the transport buttons and their menu items, and the play-order options. It only builds
// and places them; the playback engine gives them their behaviour.
class PlaybackPanel : public QObject {
    Q_OBJECT
public:
    PlaybackPanel(QWidget* window, QWidget* frontPanel);

    PlayOrder::Mode mode() const;
    // The transport buttons and menu items the track panel switches with its buttons.
    void setTransportEnabled(bool enabled);
    // The controls Tab walks through, in the order they stand on the window.
    QList<QWidget*> transportControls() const;
    QList<QWidget*> playOrderControls() const;

    QLabel* lblDisplay;
    QLabel* lblTime;
    QScrollBar* HScroll1;
    QComboBox* Combo1;
    QPushButton* cmdPlay;
    QPushButton* cmdPause;
    QPushButton* cmdStop;
    QPushButton* cmdNexttrack;
    QRadioButton* chkOrd;
    QRadioButton* optRnd;
    QRadioButton* optNone;
    QAction* mnuplay;
    QAction* mnupause;
    QAction* mnustop;
    QAction* mnunexttrack;

private:
    void createStatusAndPosition(QWidget* window);
    void createTransport(QWidget* frontPanel);
    void createPlayOrder(QWidget* frontPanel);

    QButtonGroup* m_modeGroup;
};

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
// list, the transport buttons (Full Screen among them) and their menu items, and the play-order
// options. It builds and places them and keeps the table of which transport controls the user
// may use now; the playback engine gives them their behaviour.
class PlaybackPanel : public QObject {
    Q_OBJECT
public:
    PlaybackPanel(QWidget* window, QWidget* frontPanel);

    PlayOrder::Mode mode() const;

    // The transport's table of enabled controls. With the track buttons: all on or all off.
    void setTransportEnabled(bool enabled);
    // While a new track loads: Next Track and Pause wait (their menu items stay).
    void holdForTrackChange();
    // Play, after the list ended or the play order changed.
    void offerPlay();
    // What the buttons let the user do now.
    bool canPlay() const { return m_offer.playButton; }
    bool canPause() const { return m_offer.pauseButton; }
    bool canGoNext() const { return m_offer.nextButton; }
    bool canFullScreen() const { return m_offer.fullScreen; }
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
    QPushButton* cmdFullscreen;
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

    // Each transport button and menu item, on or off; the widgets show it.
    struct Offer {
        bool playButton = true;
        bool playItem = false;
        bool pauseButton = false;
        bool pauseItem = false;
        bool nextButton = false;
        bool nextItem = false;
        bool fullScreen = true;
    };
    void show(const Offer& offer);

    QButtonGroup* m_modeGroup;
    Offer m_offer;
};

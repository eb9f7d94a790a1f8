#pragma once

#include <QWidget>

// "Your CD-ROM Is Being Initialized": shown while a disc loads, above every other window,
// until the player first reaches the playing state.
class CdNotice : public QWidget {
    Q_OBJECT
public:
    explicit CdNotice(QWidget* owner = nullptr);
    // Shows it without waiting and paints it at once, before the disc is read.
    void showNow();
};

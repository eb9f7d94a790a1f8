#pragma once

#include <QObject>
#include <functional>

class EjectButton;
class MciCommands;
class QAction;
class QWidget;

// The eject button and the "Open CD Tray" menu item: the button's caption is the only record
// of the tray ("E" closed, "C" open); closing the tray looks for the new disc at once. Both are
// on while nothing plays.
class CdTray : public QObject {
    Q_OBJECT
public:
    // The button is made on the front panel; the item belongs to the menu.
    CdTray(QWidget* frontPanel, QAction* mnutray, MciCommands& mci,
           std::function<void()> detectDisc, std::function<void()> focusPlayer,
           QObject* parent = nullptr);
    void cmdOpencdrom_Click();
    void setEnabled(bool enabled);

    EjectButton* cmdOpencdrom;

private:
    QAction* m_item;
    MciCommands& m_mci;
    std::function<void()> m_detectDisc;
    std::function<void()> m_focusPlayer;
};

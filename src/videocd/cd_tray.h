#pragma once

#include <QObject>
#include <functional>

class MciCommands;
class QPushButton;

// The eject button: its caption is the only record of the tray ("E" closed, "C" open);
// closing the tray looks for the new disc at once.
class CdTray : public QObject {
    Q_OBJECT
public:
    CdTray(QPushButton* cmdOpencdrom, MciCommands& mci, std::function<void()> detectDisc,
           std::function<void()> focusPlayer);
    void cmdOpencdrom_Click();

private:
    QPushButton* m_button;
    MciCommands& m_mci;
    std::function<void()> m_detectDisc;
    std::function<void()> m_focusPlayer;
};

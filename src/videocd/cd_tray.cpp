#include "videocd/cd_tray.h"

#include "platform/disc/mci.h"
#include "videocd/eject_button.h"
#include "widgets/twips.h"

#include <QAction>

CdTray::CdTray(QWidget* frontPanel, QAction* mnutray, MciCommands& mci,
               std::function<void()> detectDisc, std::function<void()> focusPlayer, QObject* parent)
    : QObject(parent), m_item(mnutray), m_mci(mci), m_detectDisc(std::move(detectDisc)),
      m_focusPlayer(std::move(focusPlayer))
{
    cmdOpencdrom = new EjectButton(frontPanel);
    cmdOpencdrom->setObjectName("cmdOpencdrom");
    cmdOpencdrom->setText(QStringLiteral("E"));
    cmdOpencdrom->setToolTip(QStringLiteral("Eject CD"));
    cmdOpencdrom->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
    Twips::place(cmdOpencdrom, 5115, 80, 300, 375);
    connect(cmdOpencdrom, &EjectButton::clicked, this, &CdTray::cmdOpencdrom_Click);
    connect(m_item, &QAction::triggered, this, &CdTray::cmdOpencdrom_Click);
}

void CdTray::setEnabled(bool enabled)
{
    cmdOpencdrom->setEnabled(enabled);
    m_item->setEnabled(enabled);
}

void CdTray::cmdOpencdrom_Click()
{
    // The drive is never asked for its door state; a failed command still toggles.
    if (cmdOpencdrom->text() == QLatin1String("E")) {
        cmdOpencdrom->setText(QStringLiteral("C"));
        m_mci.send(QStringLiteral("Set CDAudio Door Open Wait"));
    } else if (cmdOpencdrom->text() == QLatin1String("C")) {
        cmdOpencdrom->setText(QStringLiteral("E"));
        m_mci.send(QStringLiteral("Set CDAudio Door Closed Wait"));
        m_detectDisc();
    }
    m_focusPlayer();
}

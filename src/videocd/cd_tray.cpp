#include "videocd/cd_tray.h"

#include "platform/disc/mci.h"

#include <QPushButton>

CdTray::CdTray(QPushButton* cmdOpencdrom, MciCommands& mci, std::function<void()> detectDisc,
               std::function<void()> focusPlayer)
    : QObject(cmdOpencdrom), m_button(cmdOpencdrom), m_mci(mci),
      m_detectDisc(std::move(detectDisc)), m_focusPlayer(std::move(focusPlayer))
{
    connect(m_button, &QPushButton::clicked, this, &CdTray::cmdOpencdrom_Click);
}

void CdTray::cmdOpencdrom_Click()
{
    // The drive is never asked for its door state; a failed command still toggles.
    if (m_button->text() == QLatin1String("E")) {
        m_button->setText(QStringLiteral("C"));
        m_mci.send(QStringLiteral("Set CDAudio Door Open Wait"));
    } else if (m_button->text() == QLatin1String("C")) {
        m_button->setText(QStringLiteral("E"));
        m_mci.send(QStringLiteral("Set CDAudio Door Closed Wait"));
        m_detectDisc();
    }
    m_focusPlayer();
}

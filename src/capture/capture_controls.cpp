#include "capture/capture_controls.h"

#include "widgets/twips.h"

#include <QAction>
#include <QPushButton>
#include <QStyle>

CaptureControls::CaptureControls(QWidget* frontPanel, QObject* parent) : QObject(parent)
{
    cmdCapture = new QPushButton(frontPanel);
    cmdCapture->setObjectName("cmdCapture");
    cmdCapture->setToolTip(QStringLiteral("Capture screen shot"));
    cmdCapture->setIcon(frontPanel->style()->standardIcon(QStyle::SP_DesktopIcon));
    cmdCapture->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
    Twips::place(cmdCapture, 5475, 80, 480, 375);
    mnucapturescreen = new QAction(QStringLiteral("Capture Screen"), this);
    mnucapturescreen->setObjectName("mnucapturescreen");
    setEnabled(false);
    connect(cmdCapture, &QPushButton::clicked, this, &CaptureControls::captureRequested);
    connect(mnucapturescreen, &QAction::triggered, this, &CaptureControls::captureRequested);
}

void CaptureControls::setEnabled(bool enabled)
{
    m_offered = enabled;
    cmdCapture->setEnabled(enabled);
    mnucapturescreen->setEnabled(enabled);
}

void CaptureControls::hide()
{
    m_hidden = true;
    cmdCapture->hide();
    mnucapturescreen->setVisible(false);
}

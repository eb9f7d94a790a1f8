#pragma once

#include <QObject>

class QAction;
class QPushButton;
class QWidget;

// The capture commands: the camera button on the front panel and the "Capture Screen" menu
// item, and the table of whether they may be used. Capture is offered while a medium plays;
// on a system whose family caption is "XP" both are hidden for good.
class CaptureControls : public QObject {
    Q_OBJECT
public:
    explicit CaptureControls(QWidget* frontPanel, QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isOffered() const { return m_offered && !m_hidden; }
    // HideCapture.
    void hide();

    QPushButton* cmdCapture;
    // Placed in the popup menu by the menu.
    QAction* mnucapturescreen;

signals:
    // Either command was chosen.
    void captureRequested();

private:
    bool m_offered = false;
    bool m_hidden = false;
};

#include "capture/capture_curtain.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

Capturefrm::Capturefrm(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("Capturefrm");
    setWindowTitle(QStringLiteral("Form2")); // never seen: the curtain has no title bar
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Capturefrm::showOver(QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen && !isVisible())
        setGeometry(screen->geometry());
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void Capturefrm::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    close();
}

void Capturefrm::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Qt::black);
}

#include "videocd/cd_notice.h"

#include "settings/product.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QPixmap warningTriangle()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(16, 2);
    triangle.lineTo(30, 29);
    triangle.lineTo(2, 29);
    triangle.closeSubpath();
    painter.fillPath(triangle, QColor(200, 0, 0));
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(16, 11, 16, 20);
    painter.drawPoint(16, 25);
    return pixmap;
}

QLabel* courierLine(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    label->setFont(font);
    return label;
}
} // namespace

CdNotice::CdNotice(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName("frmInitiali");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Product::Title);
    setFixedSize(Twips::toPixels(4875), Twips::toPixels(975));

    auto* picture = new QLabel(this);
    picture->setObjectName("Image1");
    picture->setPixmap(warningTriangle());
    auto* text = new QVBoxLayout;
    text->addWidget(courierLine(QStringLiteral("Your CD-ROM Is Being Initialized"), this));
    text->addWidget(courierLine(QStringLiteral("Please Wait...!"), this));
    auto* row = new QHBoxLayout(this);
    row->addWidget(picture);
    row->addLayout(text, 1);

    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void CdNotice::showNow()
{
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

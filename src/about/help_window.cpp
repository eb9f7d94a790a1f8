#include "about/help_window.h"

#include "about/key_guide.h"
#include "settings/product.h"
#include "widgets/escape_key.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmHelp");
    setWindowTitle(QStringLiteral("Quick Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(DesignWidthTwips), Twips::toPixels(DesignHeightTwips));

    Image1 = makeLabel(this, "Image1", QString());
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Twips::place(Image1, 120, 120, 480, 480);

    Label1 = makeLabel(this, "Label1", Product::Title);
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    Label1->setFont(titleFont);
    Twips::place(Label1, 720, 120, 4200, 330);

    Label14 = makeLabel(this, "Label14", QStringLiteral("Version ") + Product::Version);
    Twips::place(Label14, 720, 480, 2400, 255);
    Label16 = makeLabel(this, "Label16", QStringLiteral("30th May 2005"));
    Twips::place(Label16, 3240, 480, 2400, 255);

    Helptxt = new QPlainTextEdit(this);
    Helptxt->setObjectName("Helptxt");
    Helptxt->setReadOnly(true);
    Helptxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Helptxt->setPlainText(helpText());
    Twips::place(Helptxt, 120, 840, 6960, 4440);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Twips::place(Command1, 5760, 5400, 1320, 435);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    closeOnEscape(this);

    centreOnScreen(this);
}

QStringList HelpWindow::helpLines()
{
    return {
        QStringLiteral("This a VCD player which can automatic find your cdrom "),
        QStringLiteral("drive by itself and start to play the disc that is in it. "),
        QStringLiteral("It is made for music video discs (Karaoke VCD), where you "),
        QStringLiteral("choose the song you want with the number buttons on the "),
        QStringLiteral("front panel of the player."),
        QString(),
        QStringLiteral("1.To play it ,Insert VCD on cdrom, click \"Open Video CD  (Auto detect)\""),
        QStringLiteral("2.To view full screen , click \"Full screen\" button. To "),
        QStringLiteral("change back to normal, press \"Esc\" button in keyboard."),
        QStringLiteral("3.To open cd-rom door click the eject button (E) .To close cd-rom "),
        QStringLiteral("door ,click it again (C)."),
        QStringLiteral("4.If you play Karaoke VCD :"),
        QStringLiteral("---click Menu."),
        QStringLiteral("---select Audio Channel"),
        QStringLiteral("---select First, Second or Both."),
        QString(),
        QStringLiteral("Playing Sequence"),
        QStringLiteral("================="),
        QStringLiteral("Autoplay             :->1->2->3->4->5->6->7...."),
        QStringLiteral("Next                  :->1->2->3->4......"),
        QStringLiteral("Autoplay if toggle :->1->2->3->4->If 8 Click->8->9->10...."),
        QStringLiteral("Autoplay if toggle :->1->2->3->4->If next click->5->6...."),
        QString(),
        QString(),
        QString(),
        QStringLiteral("This software is provided \"as is\", without warranty of any "),
        QStringLiteral("kind, either expressed or implied. The author is not liable "),
        QStringLiteral("for any damage to your computer, your discs or your data "),
        QStringLiteral("that may come from using it. You use this software entirely "),
        QStringLiteral("at your own risk."),
        QString(),
        QStringLiteral("Please visit our home page ") + Product::HomePage +
            QStringLiteral(" for the "),
        QStringLiteral("latest version. If that does not help, please send a bug "),
        QStringLiteral("report to ") + Product::BugsAddress,
    };
}

QStringList HelpWindow::keyLines()
{
    QStringList lines{QString(), QString(), QStringLiteral("Keys"), QStringLiteral("====")};
    for (const KeyGuide::Entry& entry : KeyGuide::entries())
        lines << entry.keys + QStringLiteral(" : ") + entry.does;
    return lines;
}

QString HelpWindow::helpText()
{
    return (helpLines() + keyLines()).join(QStringLiteral("\r\n"));
}

QPoint HelpWindow::centredPosition(const QRect& screen, const QSize& window)
{
    return {screen.left() + (screen.width() - window.width()) / 2,
            screen.top() + (screen.height() - window.height()) / 2};
}

void HelpWindow::centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // move() places the outer frame, so the frame's size is what gets centred.
    window->move(centredPosition(screen->geometry(), window->frameGeometry().size()));
}

void HelpWindow::closeEvent(QCloseEvent* event)
{
    // Leave the top of the stacking order before the window goes away.
    overrideWindowFlags(windowFlags() & ~Qt::WindowStaysOnTopHint);
    if (QWindow* handle = windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, false);
    event->accept();
}

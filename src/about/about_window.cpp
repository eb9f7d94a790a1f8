#include "about/about_window.h"

#include "about/help_window.h"
#include "settings/product.h"
#include "widgets/escape_key.h"
#include "widgets/twips.h"

#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About This Product  ......"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(DesignWidthTwips), Twips::toPixels(DesignHeightTwips));
    setMouseTracking(true); // background hover works without a button held

    lbAppTitle = addLabel("lbAppTitle", Product::Title, 240, 240, 6120, 480);
    QFont titleFont = lbAppTitle->font();
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    lbAppTitle->setFont(titleFont);

    Label6 = addLabel("Label6", QString(), 240, 780, 3000, 300);
    lbAppVersion[0] = addLabel("lbAppVersion0", QStringLiteral("Version ") + Product::Version, 3360,
                               780, 1400, 255);
    lbAppVersion[1] = addLabel("lbAppVersion1", QString(), 4800, 780, 1400, 255);
    for (QLabel* version : lbAppVersion)
        version->hide(); // only the blinking copy is seen

    addLabel("Label3", QStringLiteral("Made by the Tamrel VCD team."), 240, 1200, 6120, 255);
    addLabel("Label7", QStringLiteral("Questions, ideas and bug reports are always welcome."), 240,
             1500, 6120, 255);

    addLabel("Label2", QStringLiteral("Email    :"), 240, 1980, 960, 255);
    Label1 = addLabel("Label1", Product::EmailAddress, 1260, 1980, 5100, 255);
    addLabel("Label4", QStringLiteral("URL1     :"), 240, 2340, 960, 255);
    Label5 = addLabel("Label5", Product::HomePage, 1260, 2340, 5100, 255);
    addLabel("Label8", QStringLiteral("URL2     :"), 240, 2700, 960, 255);
    Label9 = addLabel("Label9", Product::SourcePage, 1260, 2700, 5100, 255);
    for (QLabel* link : {Label1, Label5, Label9}) {
        link->setMouseTracking(true);
        link->setCursor(Qt::PointingHandCursor);
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, LinkColour);
        link->setPalette(palette);
        link->installEventFilter(this);
    }

    addLabel("Label10", QStringLiteral("Tamrel VCD Player is free to use and to pass on."), 240,
             3120, 6120, 255);

    Command1 = new QPushButton(QStringLiteral("&Ok"), this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Twips::place(Command1, 3600, 3840, 1320, 435);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    closeOnEscape(this);

    Command2 = new QPushButton(QStringLiteral("&System Info..."), this);
    Command2->setObjectName("Command2");
    Twips::place(Command2, 5040, 3840, 1320, 435);
    connect(Command2, &QPushButton::clicked, this, &AboutWindow::StartSysInfo);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(BlinkMilliseconds);
    connect(&Timer1, &QTimer::timeout, this, &AboutWindow::Timer1_Timer);
    Timer1.start();

    m_launch = defaultLauncher();
    m_message = [this](const QString& text) {
        auto* box =
            new QMessageBox(QMessageBox::NoIcon, Product::Title, text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    };

    HelpWindow::centreOnScreen(this);
}

QLabel* AboutWindow::addLabel(const char* name, const QString& text, int left, int top, int width,
                              int height)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    Twips::place(label, left, top, width, height);
    return label;
}

void AboutWindow::Timer1_Timer()
{
    Label6->setText(lbAppVersion[m_blink]->text());
    m_blink = 1 - m_blink;
}

QStringList AboutWindow::systemInfoTools()
{
    return {QStringLiteral("hardinfo2"),
            QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lshw-gtk")};
}

void AboutWindow::StartSysInfo()
{
    for (const QString& tool : systemInfoTools()) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            continue;
        if (m_launch && m_launch(program, {}))
            return;
        break; // the first tool found is the one; a failed start is not retried with others
    }
    if (m_message)
        m_message(SysInfoUnavailable);
}

bool AboutWindow::isLink(QObject* object) const
{
    return object == Label1 || object == Label5 || object == Label9;
}

void AboutWindow::linkHovered(QLabel* link)
{
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, HoverColour);
    link->setPalette(palette);
}

void AboutWindow::backgroundHovered()
{
    HelpWindow::centreOnScreen(this);
    for (QLabel* link : {Label1, Label5, Label9}) {
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, LinkColour);
        link->setPalette(palette);
    }
}

bool AboutWindow::linkClicked(QLabel* link)
{
    if (link == Label1)
        return OpenMail(link->text(), m_launch);
    if (link == Label5 || link == Label9)
        return OpenURL(link->text(), m_launch);
    return false;
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (!isLink(watched))
        return QWidget::eventFilter(watched, event);
    auto* link = static_cast<QLabel*>(watched);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        linkHovered(link);
        return true; // the window behind must not take it as background hover
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true; // keeps the press on the label so the release ends up here too
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && link->rect().contains(mouse->position().toPoint()))
            linkClicked(link);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void AboutWindow::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over labels without their own handling arrive here too; only bare background counts.
    if (!childAt(event->position().toPoint()))
        backgroundHovered();
    QWidget::mouseMoveEvent(event);
}

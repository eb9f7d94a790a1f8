#include "playback/playback_panel.h"

#include "playback/status_text.h"
#include "widgets/twips.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

namespace {
QPushButton* makeButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                        const QString& toolTip)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QAction* makeAction(QObject* parent, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(name);
    return action;
}
} // namespace

PlaybackPanel::PlaybackPanel(QWidget* window, QWidget* frontPanel) : QObject(window)
{
    createStatusAndPosition(window);
    createTransport(frontPanel);
    createPlayOrder(frontPanel);
}

void PlaybackPanel::createStatusAndPosition(QWidget* window)
{
    lblDisplay = new QLabel(StatusText::Idle, window);
    lblDisplay->setObjectName("lblDisplay");
    Twips::place(lblDisplay, 120, 6300, 6015, 255);

    lblTime = new QLabel(QStringLiteral("Time"), window);
    lblTime->setObjectName("lblTime");
    Twips::place(lblTime, 6240, 6300, 735, 255);

    HScroll1 = new QScrollBar(Qt::Horizontal, window);
    HScroll1->setObjectName("HScroll1");
    HScroll1->setRange(0, 0);
    HScroll1->setFocusPolicy(Qt::NoFocus);
    Twips::place(HScroll1, 120, 5940, 6855, 255);
}

void PlaybackPanel::createTransport(QWidget* frontPanel)
{
    cmdPlay = makeButton(frontPanel, "cmdPlay", QStyle::SP_MediaPlay, "Play");
    Twips::place(cmdPlay, 120, 80, 480, 375);
    cmdPause = makeButton(frontPanel, "cmdPause", QStyle::SP_MediaPause, "Pause");
    Twips::place(cmdPause, 630, 80, 480, 375);
    cmdStop = makeButton(frontPanel, "cmdStop", QStyle::SP_MediaStop, " Stop");
    Twips::place(cmdStop, 1140, 80, 480, 375);
    cmdNexttrack =
        makeButton(frontPanel, "cmdNexttrack", QStyle::SP_MediaSkipForward, "Next Track");
    Twips::place(cmdNexttrack, 1650, 80, 480, 375);
    cmdFullscreen = new QPushButton(QStringLiteral("Full Screen"), frontPanel);
    cmdFullscreen->setObjectName("cmdFullscreen");
    cmdFullscreen->setToolTip(QStringLiteral("Full Screen (Alt + Enter)"));
    cmdFullscreen->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
    Twips::place(cmdFullscreen, 2250, 80, 1095, 375);

    Combo1 = new QComboBox(frontPanel);
    Combo1->setObjectName("Combo1");
    // The edit field shows the current file; it is never typed into.
    Combo1->setEditable(true);
    Combo1->lineEdit()->setReadOnly(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setFocusPolicy(Qt::TabFocus);
    Twips::place(Combo1, 8760, 800, 2775, 315);

    mnuplay = makeAction(this, "mnuplay", "Play");
    mnupause = makeAction(this, "mnupause", "Pause");
    mnustop = makeAction(this, "mnustop", "Stop");
    mnunexttrack = makeAction(this, "mnunexttrack", "Next Track");
    show(m_offer);
}

void PlaybackPanel::createPlayOrder(QWidget* frontPanel)
{
    chkOrd = new QRadioButton(QStringLiteral("Order"), frontPanel);
    chkOrd->setObjectName("chkOrd");
    Twips::place(chkOrd, 7060, 80, 840, 375);
    optRnd = new QRadioButton(QStringLiteral("Random"), frontPanel);
    optRnd->setObjectName("optRnd");
    Twips::place(optRnd, 7900, 80, 1140, 375);
    optNone = new QRadioButton(QStringLiteral("&Repeat"), frontPanel);
    optNone->setObjectName("optNone");
    Twips::place(optNone, 9040, 80, 930, 375);
    for (QRadioButton* option : {chkOrd, optRnd, optNone})
        option->setFocusPolicy(Qt::TabFocus);
    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->addButton(chkOrd, PlayOrder::Order);
    m_modeGroup->addButton(optRnd, PlayOrder::Random);
    m_modeGroup->addButton(optNone, PlayOrder::Repeat);
    chkOrd->setChecked(true);
}

QList<QWidget*> PlaybackPanel::transportControls() const
{
    return {cmdPlay, cmdPause, cmdStop, cmdNexttrack, cmdFullscreen};
}

QList<QWidget*> PlaybackPanel::playOrderControls() const
{
    return {chkOrd, optRnd, optNone};
}

PlayOrder::Mode PlaybackPanel::mode() const
{
    return PlayOrder::Mode(std::max(0, m_modeGroup->checkedId()));
}

void PlaybackPanel::show(const Offer& offer)
{
    m_offer = offer;
    cmdPlay->setEnabled(offer.playButton);
    mnuplay->setEnabled(offer.playItem);
    cmdPause->setEnabled(offer.pauseButton);
    mnupause->setEnabled(offer.pauseItem);
    cmdNexttrack->setEnabled(offer.nextButton);
    mnunexttrack->setEnabled(offer.nextItem);
    cmdFullscreen->setEnabled(offer.fullScreen);
}

void PlaybackPanel::setTransportEnabled(bool enabled)
{
    show({enabled, enabled, enabled, enabled, enabled, enabled, enabled});
}

void PlaybackPanel::holdForTrackChange()
{
    Offer offer = m_offer;
    offer.pauseButton = false;
    offer.nextButton = false;
    show(offer);
}

void PlaybackPanel::offerPlay()
{
    Offer offer = m_offer;
    offer.playButton = true;
    show(offer);
}

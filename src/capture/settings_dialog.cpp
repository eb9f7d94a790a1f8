#include "capture/settings_dialog.h"

#include "capture/capture_destination.h"
#include "capture/limited_text_edit.h"
#include "platform/settings/settings_store.h"
#include "platform/shell/system_folders.h"
#include "settings/settings_keys.h"
#include "widgets/escape_key.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>

namespace {

const QString One = QStringLiteral("1");
const QString Zero = QStringLiteral("0");

QString saveInCaption(const QString& path)
{
    return QStringLiteral("Save in ") +
           (path.isEmpty() ? QStringLiteral("(no folder found)") : path);
}

template <typename Control> Control* placed(Control* control, const char* name, QRect twips)
{
    control->setObjectName(QLatin1String(name));
    Twips::place(control, twips.x(), twips.y(), twips.width(), twips.height());
    return control;
}

QLabel* plainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

Settingfrm::Settingfrm(Services services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_services(std::move(services))
{
    setObjectName("Settingfrm");
    setWindowTitle(QStringLiteral("Setting"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(ClientWidthTwips), Twips::toPixels(ClientHeightTwips));
    createControls();
    // Where captures go while no destination is stored: the desktop file, as in the main window.
    Pathtxt = CaptureDestination::screenShotIn(
        m_services.folders.GetSpecialFolder(SystemFolders::Desktop));

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

Settingfrm::~Settingfrm()
{
    // The controls outlive this part of the object: their last signals must not reach it.
    for (QAbstractButton* control :
         std::initializer_list<QAbstractButton*>{Check1, Option1, Option2, Option3})
        control->disconnect(this);
}

void Settingfrm::createControls()
{
    Check1 = placed(new QCheckBox(QStringLiteral("Auto run VCD at startup"), this), "Check1",
                    {240, 360, 3255, 255});
    connect(Check1, &QCheckBox::toggled, this, &Settingfrm::Check1_Click);

    Frame1 = placed(new QGroupBox(QStringLiteral("Screen Capture"), this), "Frame1",
                    {120, 960, 5295, 2295});
    Option1 = placed(new QRadioButton(QStringLiteral("Save in ~/Desktop/ScreenShot.bmp"), Frame1),
                     "Option1", {240, 300, 4935, 255});
    Option3 = placed(new QRadioButton(QStringLiteral("Save in ~/Documents/"), Frame1), "Option3",
                     {240, 600, 4935, 255});
    Option2 = placed(new QRadioButton(QStringLiteral("Set as wall paper"), Frame1), "Option2",
                     {240, 900, 4575, 255});
    // Programmatic selections run the same handling as clicks, so the flags follow the options.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option3_Click();
    });
    pictext = placed(plainLabel(QStringLiteral("PictureText :"), Frame1), "pictext",
                     {240, 1320, 975, 255});
    TxtCopyrightsett = placed(new LimitedTextEdit(CaptionMaxLength, Frame1), "TxtCopyrightsett",
                              {240, 1560, 4755, 540});
    QPalette paper = TxtCopyrightsett->palette();
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    TxtCopyrightsett->setPalette(paper);
    TxtCopyrightsett->setTabChangesFocus(true);

    Frame2 =
        placed(new QGroupBox(QStringLiteral("Bookmark"), this), "Frame2", {120, 3360, 5295, 975});
    Label1 = placed(plainLabel(QStringLiteral("Path :"), Frame2), "Label1", {240, 240, 495, 255});
    labpath = placed(plainLabel(QString(), Frame2), "labpath", {840, 240, 4215, 255});

    Okaycmd = placed(new QPushButton(QStringLiteral("Save setting "), this), "Okaycmd",
                     {720, 4680, 1575, 375});
    connect(Okaycmd, &QPushButton::clicked, this, &Settingfrm::Okaycmd_Click);
    Cancelcmd = placed(new QPushButton(QStringLiteral("Cancel"), this), "Cancelcmd",
                       {3000, 4680, 1575, 375});
    connect(Cancelcmd, &QPushButton::clicked, this, &Settingfrm::Cancelcmd_Click);
    closeOnEscape(this, [this] { Cancelcmd_Click(); });
}

QString Settingfrm::stored(const char* key) const
{
    return m_services.settings.Get(QLatin1String(key));
}

void Settingfrm::Form_Load()
{
    m_loaded = true;
    setTopmost(true);

    const QString osVersion = m_services.refreshOsVersion ? m_services.refreshOsVersion()
                                                          : m_services.folders.GetOSVersion();
    if (osVersion == QLatin1String("NT") || osVersion == QLatin1String("XP"))
        Frame1->hide();

    const SystemFolders& folders = m_services.folders;
    const QString desktopFile =
        CaptureDestination::screenShotIn(folders.GetSpecialFolder(SystemFolders::Desktop));
    const QString documentsFile =
        CaptureDestination::screenShotIn(folders.GetSpecialFolder(SystemFolders::Documents));
    Option1->setText(saveInCaption(desktopFile));
    Option1->setToolTip(desktopFile);
    Option3->setText(saveInCaption(documentsFile));
    Option3->setToolTip(documentsFile);

    const QString vcdAuto = stored(SettingsKeys::VcdAuto);
    if (vcdAuto.isEmpty())
        Check1->setChecked(true);
    if (vcdAuto == One)
        Check1->setChecked(true);

    if (stored(SettingsKeys::Screenshot) == One)
        Option1->setChecked(true);
    if (stored(SettingsKeys::Wallpaper) == One)
        Option2->setChecked(true);
    if (stored(SettingsKeys::MyDocuments) == One)
        Option3->setChecked(true);

    Pathtxt = CaptureDestination::CapturePath(m_services.settings, folders, Pathtxt);
    TxtCopyrightsett->setText(stored(SettingsKeys::Pictextcopy));
    labpath->setText(stored(SettingsKeys::Bookmarkpath));
    labpath->setToolTip(labpath->text());

    // A destination is always selected: with none stored the desktop file is, and auto-play
    // is switched on when it was off as well.
    const bool noDestination = Desktxt == Zero && Walltxt == Zero && Dokutxt == Zero;
    if (noDestination && Autotxt == Zero)
        Check1->setChecked(true);
    if (noDestination && Autotxt == One)
        Option1->setChecked(true);
}

void Settingfrm::Check1_Click()
{
    Autotxt = Check1->isChecked() ? One : Zero;
}

void Settingfrm::Option1_Click()
{
    Desktxt = One;
    Walltxt = Zero;
    Dokutxt = Zero;
}

void Settingfrm::Option2_Click()
{
    Walltxt = One;
    Desktxt = Zero;
    Dokutxt = Zero;
}

void Settingfrm::Option3_Click()
{
    Dokutxt = One;
    Walltxt = Zero;
    Desktxt = Zero;
}

void Settingfrm::Okaycmd_Click()
{
    SettingsStore& settings = m_services.settings;
    settings.Save(QLatin1String(SettingsKeys::VcdAuto), Autotxt);
    settings.Save(QLatin1String(SettingsKeys::Screenshot), Desktxt);
    settings.Save(QLatin1String(SettingsKeys::Wallpaper), Walltxt);
    settings.Save(QLatin1String(SettingsKeys::MyDocuments), Dokutxt);
    settings.Save(QLatin1String(SettingsKeys::Pictextcopy), TxtCopyrightsett->text());
    close();
}

void Settingfrm::Cancelcmd_Click()
{
    close();
}

void Settingfrm::setTopmost(bool onTop)
{
    // A window that exists is restacked in place; setWindowFlag would hide it and make it anew.
    if (QWindow* handle = windowHandle()) {
        overrideWindowFlags(onTop ? windowFlags() | Qt::WindowStaysOnTopHint
                                  : windowFlags() & ~Qt::WindowStaysOnTopHint);
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
}

void Settingfrm::closeEvent(QCloseEvent* event)
{
    setTopmost(false);
    m_closed = true;
    event->accept();
}

#include "about/about_window.h"
#include "about/help_window.h"
#include "caption_fit.h"
#include "capture/settings_dialog.h"
#include "fake_platform.h"
#include "karaoke/karaoke_controls.h"
#include "media_files/folder_chooser.h"
#include "playback/play_list.h"
#include "queue/queue_window.h"
#include "queue/queued_songs.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "videocd/cd_notice.h"
#include "widgets/window_font.h"
#include "widgets/wrapping_button.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <memory>
#include <vector>

namespace {

// What the windows are built on. It owns every window built from it.
struct WindowStock {
    FakeRig rig;
    PlayList list{rig.folderLister};
    std::vector<std::unique_ptr<QWidget>> windows;

    QWidget* keep(QWidget* window)
    {
        windows.emplace_back(window);
        return window;
    }
};

using BuildWindow = QWidget* (*)(WindowStock&);

// With the widest karaoke caption showing: "Key −12 · Tempo 150%", and the widest line of
// the songs queued next: "Next: 12 · 12 · 9998 more".
QWidget* playerWindow(WindowStock& stock)
{
    stock.rig.songSettings.values[SongMemory::KeyRangeKey] = "12";
    Playerfrm& window = stock.rig.load();
    KaraokeControls& karaoke = window.karaoke();
    for (int step = 0; step < SongSound::WideKeyRange; ++step)
        karaoke.keyDown();
    for (int tempo = SongSound::NormalTempo; tempo < SongSound::FastestTempo;
         tempo += SongSound::TempoStep)
        karaoke.tempoFaster();
    window.songQueue().queue().replace(std::vector<int>(SongQueue::MaxSongs, 12));
    return &window;
}

QWidget* songQueueWindow(WindowStock& stock)
{
    Playerfrm& window = stock.rig.load();
    auto* queue = new SongQueueWindow(window.songQueue());
    queue->lblQueueWord->setText(QStringLiteral("No song 12345678901234567890 here: the songs "
                                                "are 1 to 12."));
    return stock.keep(queue);
}

QWidget* folderChooser(WindowStock& stock)
{
    return stock.keep(
        new FolderChooser({stock.list, stock.rig.player, stock.rig.settings, {}, {}}));
}

QWidget* aboutWindow(WindowStock& stock)
{
    auto* about = new AboutWindow;
    about->Timer1_Timer(); // the blinking line shows the version
    return stock.keep(about);
}

QWidget* helpWindow(WindowStock& stock)
{
    return stock.keep(new HelpWindow);
}

QWidget* cdNotice(WindowStock& stock)
{
    return stock.keep(new CdNotice);
}

QWidget* settingsDialog(WindowStock& stock)
{
    Settings::seed(stock.rig.settings);
    stock.rig.settings.values[SettingsKeys::Bookmarkpath] = "/home/user/Videos/party.mpg";
    auto* dialog = new Settingfrm({stock.rig.settings, stock.rig.folders, {}});
    dialog->Form_Load(); // the folder captions are set by loading
    return stock.keep(dialog);
}

// Shown, so that styles are applied and layouts have placed their controls.
void showAndSettle(QWidget* window)
{
    window->show();
    QCoreApplication::processEvents();
}

enum Control {
    PushButton,
    WrappingPushButton,
    PushButtonSaidToWrap, // an ordinary button the check is told wraps its caption
    RadioButton,
    CheckBox,
    Label,
    WrappedLabel
};

QWidget* makeControl(Control kind, const QString& text, QWidget* parent)
{
    switch (kind) {
    case PushButton:
    case PushButtonSaidToWrap:
        return new QPushButton(text, parent);
    case WrappingPushButton:
        return new WrappingButton(text, parent);
    case RadioButton:
        return new QRadioButton(text, parent);
    case CheckBox:
        return new QCheckBox(text, parent);
    case Label:
    case WrappedLabel: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(kind == WrappedLabel);
        return label;
    }
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(BuildWindow)
Q_DECLARE_METATYPE(Control)

class TestCaptionsFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowFontIsLiberationSans();
    void captionsFit_data();
    void captionsFit();
    void mainWindowShrinksWhileCaptionsFit_data();
    void mainWindowShrinksWhileCaptionsFit();
    void misfitsAreNamed_data();
    void misfitsAreNamed();
};

void TestCaptionsFit::initTestCase()
{
    applyWindowFont(*qApp);
}

void TestCaptionsFit::windowFontIsLiberationSans()
{
    const QFontInfo used(QApplication::font());
    QVERIFY2(used.family() == QLatin1String("Liberation Sans"),
             qPrintable(QStringLiteral("the window font is %1: is fonts-liberation installed?")
                            .arg(used.family())));
    QCOMPARE(used.pixelSize(), WindowFontPixels);
}

void TestCaptionsFit::captionsFit_data()
{
    // One row per window: what builds it and which of its push buttons wrap their captions.
    QTest::addColumn<BuildWindow>("build");
    QTest::addColumn<QSet<QString>>("wrappingButtons");

    QTest::newRow("Playerfrm") << &playerWindow << QSet<QString>{};
    QTest::newRow("frmfolder") << &folderChooser
                               << QSet<QString>{"cmdOKdirectory", "cmdOkFile", "cmdSaveDefault",
                                                "cmdCancel"};
    QTest::newRow("frmAbout") << &aboutWindow << QSet<QString>{};
    QTest::newRow("frmHelp") << &helpWindow << QSet<QString>{};
    QTest::newRow("frmInitiali") << &cdNotice << QSet<QString>{};
    QTest::newRow("Settingfrm") << &settingsDialog << QSet<QString>{};
    QTest::newRow("frmSongQueue") << &songQueueWindow << QSet<QString>{};
}

void TestCaptionsFit::captionsFit()
{
    QFETCH(BuildWindow, build);
    QFETCH(QSet<QString>, wrappingButtons);

    WindowStock stock;
    QWidget* window = build(stock);
    showAndSettle(window);
    CaptionFit fit(wrappingButtons);
    const QStringList misfits = fit.check(window);
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
    QVERIFY(fit.checked() > 0);
}

void TestCaptionsFit::mainWindowShrinksWhileCaptionsFit_data()
{
    // The window at its minimum size, and a little below it across or down.
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("down");
    QTest::addColumn<bool>("fits");
    QTest::newRow("minimum size") << 1.0 << 1.0 << true;
    QTest::newRow("3 % narrower") << 0.97 << 1.0 << false;
    QTest::newRow("3 % lower") << 1.0 << 0.97 << false;
}

// The window shrinks no further than its captions allow, and that far: below the minimum some
// caption is cut off.
void TestCaptionsFit::mainWindowShrinksWhileCaptionsFit()
{
    QFETCH(double, across);
    QFETCH(double, down);
    QFETCH(bool, fits);

    WindowStock stock;
    QWidget* window = playerWindow(stock);
    showAndSettle(window);
    const QSize minimum = window->minimumSize();
    QVERIFY(minimum.width() < window->width() && minimum.height() < window->height());
    window->resize(minimum / 2);
    QCOMPARE(window->size(), minimum);
    if (!fits) {
        window->setMinimumSize(0, 0);
        window->resize(qRound(minimum.width() * across), qRound(minimum.height() * down));
    }
    QCoreApplication::processEvents();
    CaptionFit fit;
    const QStringList misfits = fit.check(window);
    if (fits)
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
    else
        QVERIFY(!misfits.isEmpty());
}

void TestCaptionsFit::misfitsAreNamed_data()
{
    QTest::addColumn<Control>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("misfit"); // how the report starts; empty when it fits

    const QString longText = QStringLiteral("Double-click to play selected file");
    QTest::newRow("option too narrow")
        << RadioButton << "Video CD" << QSize(30, 20) << "control \"Video CD\": width 30, needs";
    QTest::newRow("option wide enough") << RadioButton << "Video CD" << QSize(300, 20) << "";
    QTest::newRow("check box too narrow")
        << CheckBox << "Repeat" << QSize(25, 20) << "control \"Repeat\": width 25, needs";
    QTest::newRow("button too narrow")
        << PushButton << "&Bookmark" << QSize(20, 25) << "control \"&Bookmark\": width 20, needs";
    QTest::newRow("button too low")
        << PushButton << "Menu" << QSize(100, 6) << "control \"Menu\": height 6, needs";
    QTest::newRow("button wide enough") << PushButton << "Menu" << QSize(100, 25) << "";
    QTest::newRow("long caption on one line")
        << PushButton << longText << QSize(80, 60) << "control \"" + longText + "\": width 80";
    QTest::newRow("long caption wrapped") << WrappingPushButton << longText << QSize(80, 60) << "";
    // Measured as wrapped but drawn on one line, into the button's edges.
    QTest::newRow("long caption said to wrap, drawn on one line")
        << PushButtonSaidToWrap << longText << QSize(80, 60)
        << "control \"" + longText + "\": drawn from x";
    QTest::newRow("label too narrow")
        << Label << longText << QSize(40, 20) << "control \"" + longText + "\": width 40, needs";
    QTest::newRow("second line below the label") << Label << "Version\n2.2.2" << QSize(100, 17)
                                                 << "control \"Version\\n2.2.2\": height 17, needs";
    QTest::newRow("wrapped label too low")
        << WrappedLabel << longText << QSize(60, 17) << "control \"" + longText + "\": height 17";
    QTest::newRow("wrapped label tall enough") << WrappedLabel << longText << QSize(60, 200) << "";
    QTest::newRow("word wider than a wrapped label")
        << WrappedLabel << "Initialized" << QSize(20, 200)
        << "control \"Initialized\": width 20, needs";
}

void TestCaptionsFit::misfitsAreNamed()
{
    QFETCH(Control, kind);
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QFETCH(QString, misfit);

    QWidget window;
    window.resize(400, 300);
    QWidget* control = makeControl(kind, text, &window);
    control->setObjectName("control");
    control->setGeometry(QRect(QPoint(10, 10), size));
    showAndSettle(&window);

    const bool saidToWrap = kind == WrappingPushButton || kind == PushButtonSaidToWrap;
    CaptionFit fit(saidToWrap ? QSet<QString>{"control"} : QSet<QString>{});
    const QStringList misfits = fit.check(&window);
    QCOMPARE(fit.checked(), 1);
    if (misfit.isEmpty()) {
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
        return;
    }
    QCOMPARE(misfits.size(), 1);
    QVERIFY2(misfits.front().startsWith(misfit), qPrintable(misfits.front()));
}

QTEST_MAIN(TestCaptionsFit)
#include "test_captions_fit.moc"

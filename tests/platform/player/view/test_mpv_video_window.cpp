#include "platform/player/mpv_player.h"
#include "platform/player/view/mpv_player_view.h"
#include "platform/player/view/mpv_video_widget.h"
#include "platform/player/view/mpv_video_window.h"
#include "test_media.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {
MpvVideoWindow* videoWindow()
{
    for (QWindow* window : QGuiApplication::allWindows())
        if (auto* video = qobject_cast<MpvVideoWindow*>(window))
            return video;
    return nullptr;
}

// Records the typed characters that reach widgets of the watched window.
class KeyWatcher : public QObject {
public:
    explicit KeyWatcher(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~KeyWatcher() override { qApp->removeEventFilter(this); }
    QString typed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Taken at the first widget it reaches, as the main window's preview does.
        if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            typed += static_cast<QKeyEvent*>(event)->text();
            return true;
        }
        return false;
    }

private:
    QWidget* m_window;
};

// A top-level window holding the real player's view, playing a clip. Where: straight on the
// window, filling it, or on a panel of the window, placed by hand or by the panel's layout.
enum class Placement { Window, Panel, PanelLayout };

MpvPlayer::Options drawnBy(VideoOutput output)
{
    MpvPlayer::Options options{true, {"ao=null"}};
    options.output = output;
    return options;
}

struct Rig {
    explicit Rig(Placement placement = Placement::Window, VideoOutput output = VideoOutput::OpenGl,
                 const QString& clip = "long.mpg")
        : player(std::make_unique<MpvPlayer>(drawnBy(output)))
    {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        QWidget* view = player->videoWidget();
        if (placement == Placement::Window) {
            view->setParent(window.get());
            view->setGeometry(0, 0, 400, 300);
        } else {
            auto* panel = new QWidget(window.get());
            panel->setGeometry(30, 20, 300, 220);
            if (placement == Placement::PanelLayout) {
                auto* layout = new QVBoxLayout(panel);
                layout->addWidget(view);
                layout->addWidget(new QPushButton("below the view", panel));
            } else {
                view->setParent(panel);
                view->setGeometry(10, 10, 200, 150);
            }
        }
        window->show();
        player->setFileName(TestMedia::clip(clip));
    }
    MpvVideoWidget* picture() const
    {
        auto* view = qobject_cast<MpvPlayerView*>(player->videoWidget());
        return view ? view->renderedPicture() : nullptr;
    }
    std::unique_ptr<MpvPlayer> player;
    std::unique_ptr<QWidget> window;
};

// The whole window in the view's parent's coordinates.
QRect wholeWindowFor(const QWidget* view)
{
    const QWidget* window = view->window();
    return QRect(view->parentWidget()->mapFrom(window, QPoint(0, 0)), window->size());
}
// Whether the picture's middle shows the clip's colour, within the encoder's rounding.
bool showsOrange(const QImage& picture)
{
    if (picture.isNull())
        return false;
    const QRgb middle = picture.pixel(picture.width() / 2, picture.height() / 2);
    const auto near = [](int value, int wanted) { return std::abs(value - wanted) <= 24; };
    return near(qRed(middle), 0xc8) && near(qGreen(middle), 0x3c) && near(qBlue(middle), 0x28);
}
// The rectangle of the picture's non-black pixels.
QRect drawnArea(const QImage& picture)
{
    QRect area;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) > 40)
                area |= QRect(x, y, 1, 1);
    return area;
}

// Whether a pixel has the colour of the lyrics clip's band (#28c83c), or its body (#c83c28).
bool near(QRgb pixel, QRgb wanted)
{
    const auto close = [](int a, int b) { return std::abs(a - b) <= 30; };
    return close(qRed(pixel), qRed(wanted)) && close(qGreen(pixel), qGreen(wanted)) &&
           close(qBlue(pixel), qBlue(wanted));
}
} // namespace

Q_DECLARE_METATYPE(Placement)
Q_DECLARE_METATYPE(VideoOutput)

// The OpenGL picture is a native child window; the keyboard must still work as with a widget.
// The software picture is a widget that paints what mpv renders into memory.
class TestMpvVideoWindow : public QObject {
    Q_OBJECT
private slots:
    void playsAndKeepsKeyboardWithTheWidgets();
    void softwarePicturePaintsTheFrames();
    void doubleSizeNeverCrops_data();
    void doubleSizeNeverCrops();
    void videoOutputFollowsTheMachine_data();
    void videoOutputFollowsTheMachine();
    void teardownInEitherOrder_data();
    void teardownInEitherOrder();
    void fullScreenCoversTheWindowInPlace_data();
    void fullScreenCoversTheWindowInPlace();
    void pictureMovesToAnotherWindowAndBack_data();
    void pictureMovesToAnotherWindowAndBack();
};

void TestMpvVideoWindow::playsAndKeepsKeyboardWithTheWidgets()
{
    Rig rig;
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    QVERIFY(videoWindow());
    rig.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    QVERIFY(rig.player->SetFocus());
    QTRY_VERIFY(QApplication::focusWidget() &&
                rig.player->videoWidget()->isAncestorOf(QApplication::focusWidget()));

    {
        KeyWatcher watcher(rig.window.get());
        QTest::keyClick(videoWindow(), Qt::Key_3, Qt::NoModifier); // a key the window got anyway
        QCOMPARE(watcher.typed, QString("3"));
    }

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_COMPARE(rig.player->PlayState(), int(MediaPlayer::Paused));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_COMPARE(rig.player->PlayState(), int(MediaPlayer::Playing));
}

void TestMpvVideoWindow::softwarePicturePaintsTheFrames()
{
    Rig rig(Placement::Window, VideoOutput::Software, "orange.mpg");
    QSignalSpy firstFrames(rig.player.get(), &MpvPlayer::firstFrameShown);
    MpvVideoWidget* picture = rig.picture();
    QVERIFY(picture);
    QCOMPARE(picture->output(), VideoOutput::Software);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(firstFrames.count() >= 1, 5000);
    QVERIFY(picture->hasRenderContext());
    QVERIFY(!videoWindow()); // no OpenGL anywhere
    QTRY_VERIFY(showsOrange(picture->grab().toImage()));

    // Resized, paused, drawn at double size: the picture follows each at once.
    rig.window->resize(520, 380);
    QTRY_COMPARE(picture->grab().size(), picture->size());
    QTRY_VERIFY(showsOrange(picture->grab().toImage()));
    QTest::keyClick(picture, Qt::Key_Space);
    QTRY_COMPARE(rig.player->PlayState(), int(MediaPlayer::Paused));
    rig.player->setDisplaySize(MediaPlayer::DoubleSize);
    QTRY_VERIFY(showsOrange(picture->grab().toImage()));
    QTest::keyClick(picture, Qt::Key_Space);
    QTRY_COMPARE(rig.player->PlayState(), int(MediaPlayer::Playing));
    const int shown = firstFrames.count();
    rig.player->setFileName(TestMedia::clip("orange.mpg"));
    QTRY_VERIFY_WITH_TIMEOUT(firstFrames.count() > shown, 5000); // each file's first frame
}

void TestMpvVideoWindow::doubleSizeNeverCrops_data()
{
    // The clip is 352 x 240 with its lyrics band in the bottom 48 rows.
    QTest::addColumn<QSize>("window");
    QTest::newRow("room for twice its size") << QSize(820, 600);
    QTest::newRow("too low for twice its size") << QSize(820, 380);
    QTest::newRow("too narrow for twice its size") << QSize(500, 600);
    QTest::newRow("smaller than the picture itself") << QSize(260, 200);
}

// A list's end sets double size; every later picture must still show its bottom rows.
void TestMpvVideoWindow::doubleSizeNeverCrops()
{
    QFETCH(QSize, window);
    Rig rig(Placement::Window, VideoOutput::Software, "lyrics.mpg");
    rig.player->setShowControls(false);
    rig.window->resize(window);
    rig.player->videoWidget()->resize(window);
    MpvVideoWidget* picture = rig.picture();
    QVERIFY(picture);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    rig.player->setDisplaySize(MediaPlayer::DoubleSize);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::DoubleSize));

    const QSize area = picture->size() * picture->devicePixelRatioF();
    const double scale = std::min({2.0, area.width() / 352.0, area.height() / 240.0});
    const QSize expected(qRound(352 * scale), qRound(240 * scale));
    QImage frame;
    QRect drawn;
    // Within two pixels of the expected size (the scaler's rounding), centred in the area.
    const auto drawnAsExpected = [&] {
        frame = picture->grab().toImage();
        drawn = drawnArea(frame);
        return std::abs(drawn.width() - expected.width()) <= 2 &&
               std::abs(drawn.height() - expected.height()) <= 2;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(drawnAsExpected(),
                              qPrintable(QStringLiteral("drawn %1x%2 of %3x%4, expected %5x%6")
                                             .arg(drawn.width())
                                             .arg(drawn.height())
                                             .arg(area.width())
                                             .arg(area.height())
                                             .arg(expected.width())
                                             .arg(expected.height())),
                              5000);
    QVERIFY(std::abs(drawn.center().x() - area.width() / 2) <= 2);
    QVERIFY(std::abs(drawn.center().y() - area.height() / 2) <= 2);
    // Nothing of the bottom rows is lost: the band is there, just above the picture's edge.
    const int bandRow = drawn.bottom() - int(24 * scale);
    QVERIFY(near(frame.pixel(drawn.center().x(), bandRow), qRgb(0x28, 0xc8, 0x3c)));
    QVERIFY(near(frame.pixel(drawn.center().x(), drawn.top() + 4), qRgb(0xc8, 0x3c, 0x28)));
}

void TestMpvVideoWindow::videoOutputFollowsTheMachine_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<bool>("gpu");
    QTest::addColumn<VideoOutput>("expected");
    QTest::newRow("GPU, nothing asked") << "" << true << VideoOutput::OpenGl;
    QTest::newRow("no GPU, nothing asked") << "" << false << VideoOutput::Software;
    QTest::newRow("software asked on a GPU") << "software" << true << VideoOutput::Software;
    QTest::newRow("OpenGL asked without GPU") << " OpenGL " << false << VideoOutput::OpenGl;
    QTest::newRow("short names") << "gl" << false << VideoOutput::OpenGl;
    QTest::newRow("unknown name: the machine decides")
        << "vulkan" << false << VideoOutput::Software;
}

void TestMpvVideoWindow::videoOutputFollowsTheMachine()
{
    QFETCH(QString, requested);
    QFETCH(bool, gpu);
    QFETCH(VideoOutput, expected);
    QCOMPARE(VideoOutputChoice::choose(requested, gpu), expected);

    QTemporaryDir dri;
    QVERIFY(!VideoOutputChoice::hasGpuRenderNode(dri.path()));
    QVERIFY(!VideoOutputChoice::hasGpuRenderNode(dri.filePath("missing")));
    QFile card(dri.filePath("card0")); // a display without a render node is not enough
    QVERIFY(card.open(QIODevice::WriteOnly));
    QVERIFY(!VideoOutputChoice::hasGpuRenderNode(dri.path()));
    QFile node(dri.filePath("renderD128"));
    QVERIFY(node.open(QIODevice::WriteOnly));
    QVERIFY(VideoOutputChoice::hasGpuRenderNode(dri.path()));
}

void TestMpvVideoWindow::teardownInEitherOrder_data()
{
    QTest::addColumn<bool>("playerFirst");
    QTest::addColumn<VideoOutput>("output");
    QTest::newRow("OpenGL, player first") << true << VideoOutput::OpenGl;
    QTest::newRow("OpenGL, window first") << false << VideoOutput::OpenGl;
    QTest::newRow("software, player first") << true << VideoOutput::Software;
    QTest::newRow("software, window first") << false << VideoOutput::Software;
}

void TestMpvVideoWindow::teardownInEitherOrder()
{
    QFETCH(bool, playerFirst);
    QFETCH(VideoOutput, output);
    Rig rig(Placement::Window, output);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    if (playerFirst)
        rig.player.reset();
    else
        rig.window.reset();
    QTest::qWait(100); // a span for late queued calls, which must find nothing to touch
}

void TestMpvVideoWindow::fullScreenCoversTheWindowInPlace_data()
{
    QTest::addColumn<Placement>("placement");
    QTest::newRow("view filling the window") << Placement::Window;
    QTest::newRow("view on a panel") << Placement::Panel;
    QTest::newRow("view in a panel's layout") << Placement::PanelLayout;
}

void TestMpvVideoWindow::fullScreenCoversTheWindowInPlace()
{
    QFETCH(Placement, placement);
    Rig rig(placement);
    QWidget* view = rig.player->videoWidget();
    QWidget* parent = view->parentWidget();
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    rig.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    rig.player->setDisplaySize(MediaPlayer::DoubleSize);
    rig.window->setMinimumSize(300, 200);
    const QRect before = view->geometry();
    MpvVideoWindow* picture = videoWindow();
    QVERIFY(picture);

    {
        // Not full screen: Esc belongs to the window's own widgets.
        KeyWatcher watcher(rig.window.get());
        QTest::keyClick(rig.window.get(), Qt::Key_Escape);
        QCOMPARE(watcher.typed, QString("\x1b"));
    }

    QTest::keyClick(rig.window.get(), Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::FullScreen));
    QTRY_COMPARE(view->geometry(), wholeWindowFor(view));
    QCOMPARE(view->parentWidget(), parent);
    QCOMPARE(parent->children().constLast(), view); // above its siblings
    QVERIFY(view->property("tamrelResizerSkip").toBool());
    // No least size: the screen may be smaller than the window.
    QCOMPARE(rig.window->minimumSize(), QSize(0, 0));
    // The same native picture keeps playing.
    QCOMPARE(videoWindow(), picture);
    const double position = rig.player->CurrentPosition();
    QTRY_VERIFY(rig.player->CurrentPosition() > position + 0.3);
    QCOMPARE(rig.player->PlayState(), int(MediaPlayer::Playing));

    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::DoubleSize));
    QTRY_COMPARE(view->geometry(), before);
    QVERIFY(!view->property("tamrelResizerSkip").toBool());
    QCOMPARE(rig.window->minimumSize(), QSize(300, 200));

    // Alt+Enter goes there and back.
    QTest::keyClick(rig.window.get(), Qt::Key_Enter, Qt::AltModifier);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::FullScreen));
    QTest::keyClick(rig.window.get(), Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::DoubleSize));
    QTRY_COMPARE(view->geometry(), before);
    QCOMPARE(videoWindow(), picture);
}

void TestMpvVideoWindow::pictureMovesToAnotherWindowAndBack_data()
{
    QTest::addColumn<VideoOutput>("output");
    QTest::newRow("OpenGL") << VideoOutput::OpenGl;
    QTest::newRow("software") << VideoOutput::Software;
}

// The singer screen's way: the picture drawn in a window of its own, then back; the window
// going away with the picture in it brings the picture back too. With OpenGL the view's GL
// window draws into a surface there; mpv's video must go on (it would stop with a render
// context freed while playing).
void TestMpvVideoWindow::pictureMovesToAnotherWindowAndBack()
{
    QFETCH(VideoOutput, output);
    Rig rig(Placement::Window, output, "orange.mpg");
    MpvVideoWidget* picture = rig.picture();
    QVERIFY(picture);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    QScreen* screen = rig.window->screen();
    const auto shown = [screen](QWidget* widget) {
        return screen->grabWindow(widget->winId()).toImage();
    };
    QTRY_VERIFY_WITH_TIMEOUT(showsOrange(shown(rig.window.get())), 5000);
    QSignalSpy frames(picture, &MpvVideoWidget::frameRendered);

    auto elsewhere = std::make_unique<QWidget>();
    // Beside the window: a grab of a window shows whatever lies over it.
    elsewhere->setGeometry(rig.window->frameGeometry().right() + 40, 0, 320, 240);
    elsewhere->show();
    QVERIFY(QTest::qWaitForWindowExposed(elsewhere.get()));
    rig.player->setPictureElsewhere(elsewhere.get());
    QVERIFY(picture->isDrawnElsewhere());
    QTRY_VERIFY_WITH_TIMEOUT(showsOrange(shown(elsewhere.get())), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!showsOrange(shown(rig.window.get())), 5000);
    // Frames keep coming, there.
    int count = int(frames.count());
    QTRY_VERIFY_WITH_TIMEOUT(frames.count() > count + 5, 5000);
    QVERIFY(!showsOrange(shown(rig.window.get())));

    rig.player->setPictureElsewhere(nullptr);
    QVERIFY(!picture->isDrawnElsewhere());
    QTRY_VERIFY_WITH_TIMEOUT(showsOrange(shown(rig.window.get())), 5000);
    QVERIFY(elsewhere->findChildren<QWidget*>().isEmpty());
    count = int(frames.count());
    QTRY_VERIFY_WITH_TIMEOUT(frames.count() > count + 5, 5000);

    rig.player->setPictureElsewhere(elsewhere.get());
    QTRY_VERIFY_WITH_TIMEOUT(showsOrange(shown(elsewhere.get())), 5000);
    elsewhere.reset();
    QVERIFY(!picture->isDrawnElsewhere());
    QTRY_VERIFY_WITH_TIMEOUT(showsOrange(shown(rig.window.get())), 5000);
    QCOMPARE(rig.player->PlayState(), int(MediaPlayer::Playing));
}

QTEST_MAIN(TestMpvVideoWindow)
#include "test_mpv_video_window.moc"

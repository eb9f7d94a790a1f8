#include "platform/mpv_player.h"
#include "platform/mpv_video_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

namespace {
QString media(const QString& name)
{
    return qEnvironmentVariable("TAMREL_TEST_MEDIA") + '/' + name;
}

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

struct Rig {
    explicit Rig(Placement placement = Placement::Window)
        : player(std::make_unique<MpvPlayer>(MpvPlayer::Options{true, {"ao=null"}}))
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
        player->setFileName(media("long.mpg"));
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
} // namespace

Q_DECLARE_METATYPE(Placement)

// The picture is a native child window; the keyboard must still work as with a widget.
class TestMpvVideoWindow : public QObject {
    Q_OBJECT
private slots:
    void playsAndKeepsKeyboardWithTheWidgets();
    void teardownInEitherOrder_data();
    void teardownInEitherOrder();
    void fullScreenCoversTheWindowInPlace_data();
    void fullScreenCoversTheWindowInPlace();
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

void TestMpvVideoWindow::teardownInEitherOrder_data()
{
    QTest::addColumn<bool>("playerFirst");
    QTest::newRow("player first") << true;
    QTest::newRow("window first") << false;
}

void TestMpvVideoWindow::teardownInEitherOrder()
{
    QFETCH(bool, playerFirst);
    Rig rig;
    QTRY_COMPARE_WITH_TIMEOUT(rig.player->PlayState(), int(MediaPlayer::Playing), 10000);
    if (playerFirst)
        rig.player.reset();
    else
        rig.window.reset();
    QTest::qWait(100); // late queued calls must find nothing to touch
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
    // The same native picture keeps playing.
    QCOMPARE(videoWindow(), picture);
    const double position = rig.player->CurrentPosition();
    QTRY_VERIFY(rig.player->CurrentPosition() > position + 0.3);
    QCOMPARE(rig.player->PlayState(), int(MediaPlayer::Playing));

    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::DoubleSize));
    QTRY_COMPARE(view->geometry(), before);
    QVERIFY(!view->property("tamrelResizerSkip").toBool());

    // Alt+Enter goes there and back.
    QTest::keyClick(rig.window.get(), Qt::Key_Enter, Qt::AltModifier);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::FullScreen));
    QTest::keyClick(rig.window.get(), Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(rig.player->DisplaySize(), int(MediaPlayer::DoubleSize));
    QTRY_COMPARE(view->geometry(), before);
    QCOMPARE(videoWindow(), picture);
}

QTEST_MAIN(TestMpvVideoWindow)
#include "test_mpv_video_window.moc"

#include "platform/mpv_player.h"
#include "platform/mpv_video_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
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

// A top-level window holding the real player's view, playing a clip.
struct Rig {
    Rig() : player(std::make_unique<MpvPlayer>(MpvPlayer::Options{true, {"ao=null"}}))
    {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        player->videoWidget()->setParent(window.get());
        player->videoWidget()->setGeometry(0, 0, 400, 300);
        window->show();
        player->setFileName(media("long.mpg"));
    }
    std::unique_ptr<MpvPlayer> player;
    std::unique_ptr<QWidget> window;
};
} // namespace

// The picture is a native child window; the keyboard must still work as with a widget.
class TestMpvVideoWindow : public QObject {
    Q_OBJECT
private slots:
    void playsAndKeepsKeyboardWithTheWidgets();
    void teardownInEitherOrder_data();
    void teardownInEitherOrder();
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

QTEST_MAIN(TestMpvVideoWindow)
#include "test_mpv_video_window.moc"

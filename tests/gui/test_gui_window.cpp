#include "fake_platform.h"
#include "gui_session.h"
#include "videocd/track_panel.h"
#include "widgets/layout_resizer.h"

#include <QPushButton>
#include <QTest>

// The main window itself (with fake services) on the X display, under a window manager.
class TestGuiWindow : public QObject {
    Q_OBJECT
private slots:
    void resizingScalesTheWholeLayout();
};

void TestGuiWindow::resizingScalesTheWholeLayout()
{
    GuiSession session; // the window manager
    FakeRig rig;
    Playerfrm& w = rig.window();
    w.show();
    // Generous: the window manager frames it first, slowly on a busy machine.
    QVERIFY(QTest::qWaitForWindowExposed(&w, 20000));
    rig.load();
    const QSize design = w.size();
    const QRect button = w.trackPanel().Songcmd[30]->geometry();
    const QRect video = rig.player.videoWidget()->geometry();

    // The resizer scales by the outer size less a border allowance of 4 and 26 pixels.
    const QSize outer = w.frameGeometry().size();
    w.resize(2 * design);
    QTRY_COMPARE_WITH_TIMEOUT(w.size(), 2 * design, 10000);
    // The controls follow once the resizer has had the new size.
    QTRY_VERIFY_WITH_TIMEOUT(w.trackPanel().Songcmd[30]->width() >= 2 * button.width() - 3, 10000);
    const QRect scaled = w.trackPanel().Songcmd[30]->geometry();
    const double fx = double(w.frameGeometry().width() - 4) / (outer.width() - 4);
    const double fy = double(w.frameGeometry().height() - 26) / (outer.height() - 26);
    QVERIFY(qAbs(scaled.width() - button.width() * fx) <= 2);
    QVERIFY(qAbs(scaled.height() - button.height() * fy) <= 2);
    QVERIFY(qAbs(scaled.left() - button.left() * fx) <= 2);
    QVERIFY(qAbs(rig.player.videoWidget()->width() - video.width() * fx) <= 2);
    QVERIFY2(scaled.width() >= 2 * button.width() - 3 && scaled.height() >= 2 * button.height() - 3,
             qPrintable(QString("%1 -> %2").arg(button.width()).arg(scaled.width())));

    w.resize(design);
    QTRY_COMPARE_WITH_TIMEOUT(w.size(), design, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        qAbs(w.trackPanel().Songcmd[30]->geometry().width() - button.width()) <= 1, 10000);
    QVERIFY(qAbs(w.trackPanel().Songcmd[30]->geometry().left() - button.left()) <= 1);
}

QTEST_MAIN(TestGuiWindow)
#include "test_gui_window.moc"

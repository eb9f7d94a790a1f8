// The volume panel of the main window against a scripted mixer: knob values are levels / 655,
// turning a knob writes 655 × its value, the refresh snaps the mixer to the knobs' steps and
// hands the keyboard back to the player.

#include "fake_mixer_device.h"
#include "fake_platform.h"
#include "mixer/volume_panel.h"
#include "widgets/knob.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QWheelEvent>

namespace {

using Line = MixerDevice::Line;
using Control = MixerDevice::Control;

// One notch of the mouse wheel away from the user: one step clockwise.
void turnOneStep(Knob* knob, int notches = 1)
{
    const QPointF centre(knob->width() / 2.0, knob->height() / 2.0);
    QWheelEvent wheel(centre, knob->mapToGlobal(centre), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(knob, &wheel);
}

// The main window on fakes with a mixer that has volume and mute on the speaker line, and
// bass and treble unless told otherwise.
struct Rig {
    explicit Rig(bool toneControls = true, bool toneStage = false)
    {
        fake.mixer.add(Line::Speaker, Control::Volume);
        fake.mixer.add(Line::Speaker, Control::Mute, {0, 1});
        if (toneControls) {
            fake.mixer.add(Line::Speaker, Control::Bass);
            fake.mixer.add(Line::Speaker, Control::Treble);
        }
        if (!toneStage)
            fake.tone = nullptr;
    }
    VolumePanel& panel() { return fake.window().volumePanel(); }
    qint32& level(Control control) { return fake.mixer.control(Line::Speaker, control)->value; }
    FakeRig fake;
};

} // namespace

class TestVolumePanel : public QObject {
    Q_OBJECT
private slots:
    void refreshShowsAndSnapsTheLevels_data();
    void refreshShowsAndSnapsTheLevels();
    void turningAKnobWritesItsStep();
    void missingToneControlGreysItsLabels_data();
    void missingToneControlGreysItsLabels();
    void muteFollowsTheMixerBothWays();
    void refreshHandsTheKeyboardBack();
    void refreshRunsWhenTheWindowShows();
    void noMixerAtAll();
};

void TestVolumePanel::refreshShowsAndSnapsTheLevels_data()
{
    QTest::addColumn<qint32>("level");
    QTest::addColumn<int>("knob");
    QTest::addColumn<qint32>("writtenBack");
    QTest::newRow("half") << 32768 << 50 << 32750;
    QTest::newRow("full") << 65535 << 100 << 65500;
    QTest::newRow("327 rounds down") << 327 << 0 << 0;
    QTest::newRow("328 rounds up") << 328 << 1 << 655;
    QTest::newRow("silent") << 0 << 0 << 0;
}

void TestVolumePanel::refreshShowsAndSnapsTheLevels()
{
    QFETCH(qint32, level);
    QFETCH(int, knob);
    QFETCH(qint32, writtenBack);
    Rig rig;
    for (Control control : {Control::Volume, Control::Bass, Control::Treble})
        rig.level(control) = level;
    VolumePanel& panel = rig.panel();
    panel.Refresh();
    for (Knob* k : {panel.sldMain, panel.sldMainBas, panel.sldMainTreb})
        QCOMPARE(k->KnobValue(), knob);
    for (QLabel* label : {panel.lblMainVoltxt, panel.lblBassVol, panel.lblTreblevol})
        QCOMPARE(label->text(), QString::number(knob));
    for (Control control : {Control::Volume, Control::Bass, Control::Treble})
        QCOMPARE(rig.level(control), writtenBack);
}

void TestVolumePanel::turningAKnobWritesItsStep()
{
    Rig rig;
    rig.level(Control::Bass) = 40 * 655;
    VolumePanel& panel = rig.panel();
    panel.Refresh();
    QCOMPARE(panel.sldMainBas->KnobValue(), 40);
    turnOneStep(panel.sldMainBas);
    QCOMPARE(rig.level(Control::Bass), 26855);
    QCOMPARE(panel.lblBassVol->text(), QString("41"));
    // The other knobs are left alone.
    QCOMPARE(rig.level(Control::Volume), 0);
    turnOneStep(panel.sldMain, 3);
    QCOMPARE(rig.level(Control::Volume), 3 * 655);
    QCOMPARE(panel.lblMainVoltxt->text(), QString("3"));
}

void TestVolumePanel::missingToneControlGreysItsLabels_data()
{
    QTest::addColumn<bool>("toneStage");
    QTest::newRow("no tone controls, no tone stage") << false;
    QTest::newRow("no tone controls, the player's tone stage") << true;
}

// Without bass and treble controls the labels grey, unless the player's tone stage stands in;
// the knobs turn either way.
void TestVolumePanel::missingToneControlGreysItsLabels()
{
    QFETCH(bool, toneStage);
    Rig rig(false, toneStage);
    Playerfrm& w = rig.fake.load();
    VolumePanel& panel = w.volumePanel();
    for (QLabel* label : {panel.lblTreble, panel.lblTreblevol, panel.lblBass, panel.lblBassVol})
        QCOMPARE(label->isEnabled(), toneStage);
    QVERIFY(panel.lblMainVol->isEnabled());
    panel.Refresh();
    turnOneStep(panel.sldMainTreb, 2);
    QCOMPARE(panel.lblTreblevol->text(), QString::number(panel.sldMainTreb->KnobValue()));
    QVERIFY(panel.sldMainTreb->isEnabled());
    if (toneStage) {
        // 32768 shows as 50, two steps up: 52 × 655 = 34060, a little under +0.5 dB.
        QCOMPARE(panel.sldMainTreb->KnobValue(), 52);
        QCOMPARE(rig.fake.toneControl.trebleDb, 0.5);
        QCOMPARE(rig.fake.toneControl.bassDb, 0.0);
    }
}

void TestVolumePanel::muteFollowsTheMixerBothWays()
{
    Rig rig;
    VolumePanel& panel = rig.panel();
    rig.level(Control::Mute) = 1;
    panel.Refresh();
    QVERIFY(panel.chkVolMute->isChecked());
    panel.chkVolMute->click();
    QCOMPARE(rig.level(Control::Mute), 0);
    panel.chkVolMute->click();
    QCOMPARE(rig.level(Control::Mute), 1);
    rig.level(Control::Mute) = 2; // only 1 is muted
    panel.Refresh();
    QVERIFY(!panel.chkVolMute->isChecked());
}

void TestVolumePanel::refreshHandsTheKeyboardBack()
{
    Rig rig;
    rig.panel();
    rig.fake.player.calls.clear();
    rig.panel().Refresh();
    QVERIFY(rig.fake.player.calls.count("SetFocus") >= 1);
    rig.fake.player.calls.clear();
    rig.panel().chkVolMute->click();
    QCOMPARE(rig.fake.player.calls, QStringList{"SetFocus"});
}

// The panel takes the mixer's levels when the window is shown (and uncovered, activated):
// not before, and not at every repaint of a child.
void TestVolumePanel::refreshRunsWhenTheWindowShows()
{
    Rig rig;
    rig.level(Control::Volume) = 65535;
    Playerfrm& w = rig.fake.load();
    QCOMPARE(w.volumePanel().sldMain->KnobValue(), 0);
    w.show();
    QTRY_COMPARE(w.volumePanel().sldMain->KnobValue(), 100);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCoreApplication::processEvents(); // the activation's own refresh, queued by it
    rig.level(Control::Volume) = 0;
    w.volumePanel().lblMainVol->repaint();
    QTest::qWait(50); // a span in which no refresh may come
    QCOMPARE(w.volumePanel().sldMain->KnobValue(), 100);
}

void TestVolumePanel::noMixerAtAll()
{
    FakeRig rig;
    rig.tone = nullptr;
    Playerfrm& w = rig.load();
    VolumePanel& panel = w.volumePanel();
    panel.Refresh();
    turnOneStep(panel.sldMain);
    QCOMPARE(panel.lblMainVoltxt->text(), QString("1"));
    QVERIFY(!panel.lblBass->isEnabled());
    QVERIFY(!panel.chkVolMute->isChecked());
}

QTEST_MAIN(TestVolumePanel)
#include "test_volume_panel.moc"

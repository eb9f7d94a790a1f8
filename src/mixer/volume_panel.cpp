#include "mixer/volume_panel.h"

#include "diagnostics/diagnostics.h"
#include "mixer/cls_volume.h"
#include "settings/product.h"
#include "widgets/knob.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <cmath>

namespace {
QLabel* makeLabel(QWidget* window, const char* name, const QString& caption, QRect twips)
{
    auto* label = new QLabel(caption, window);
    label->setObjectName(name);
    Twips::place(label, twips.x(), twips.y(), twips.width(), twips.height());
    return label;
}

Knob* makeKnob(QWidget* window, const char* name, QRect twips)
{
    auto* knob = new Knob(window);
    knob->setObjectName(name);
    Twips::place(knob, twips.x(), twips.y(), twips.width(), twips.height());
    return knob;
}
} // namespace

VolumePanel::VolumePanel(QWidget* window, Services services)
    : QObject(window), m_window(window), m_services(std::move(services))
{
    createControls(window);
    connectControls();
}

VolumePanel::~VolumePanel() = default;

void VolumePanel::createControls(QWidget* window)
{
    sldMain = makeKnob(window, "sldMain", {9480, 5925, 735, 710});
    sldMainBas = makeKnob(window, "sldMainBas", {8280, 6000, 735, 615});
    sldMainTreb = makeKnob(window, "sldMainTreb", {7080, 6000, 615, 615});
    lblMainVoltxt =
        makeLabel(window, "lblMainVoltxt", QStringLiteral("00"), {10320, 6000, 375, 255});
    lblBassVol = makeLabel(window, "lblBassVol", QStringLiteral("00"), {9000, 6000, 375, 255});
    lblTreblevol = makeLabel(window, "lblTreblevol", QStringLiteral("00"), {7680, 6000, 375, 255});
    lblMainVol =
        makeLabel(window, "lblMainVol", QStringLiteral("Main Volume"), {10440, 6360, 975, 255});
    lblBass = makeLabel(window, "lblBass", QStringLiteral("Bass"), {9000, 6360, 615, 255});
    lblTreble = makeLabel(window, "lblTreble", QStringLiteral("Treble"), {7680, 6360, 615, 255});
    chkVolMute = new QCheckBox(QStringLiteral("Mute"), window);
    chkVolMute->setObjectName("chkVolMute");
    chkVolMute->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
    Twips::place(chkVolMute, 10680, 6000, 975, 255);
}

void VolumePanel::connectControls()
{
    struct Binding {
        Knob* knob;
        QLabel* value;
        void (clsVolume::*write)(qint32);
        const char* trace;
    };
    const Binding bindings[] = {
        {sldMain, lblMainVoltxt, &clsVolume::setVolumeLevel, "volume"},
        {sldMainBas, lblBassVol, &clsVolume::setVolumeLevelBass, "bass"},
        {sldMainTreb, lblTreblevol, &clsVolume::setVolumeLevelTreble, "treble"},
    };
    for (const Binding& b : bindings) {
        connect(b.knob, &Knob::Changed, this, [this, b] {
            const qint32 value = b.knob->KnobValue();
            (volume().*b.write)(KnobScale * value);
            b.value->setText(QString::number(value));
            Diagnostics::report(b.trace, b.value->text());
            m_services.focusPlayer();
        });
    }
    // Toggled, not clicked: the refresh ticking the box runs this too, as a click would.
    connect(chkVolMute, &QCheckBox::toggled, this, [this](bool checked) {
        volume().setVolumeMute(checked);
        Diagnostics::report("mute", checked ? QStringLiteral("on") : QStringLiteral("off"));
        m_services.focusPlayer();
    });
}

clsVolume& VolumePanel::volume()
{
    if (!m_volume)
        m_volume =
            std::make_unique<clsVolume>(m_services.mixer, m_services.tone,
                                        [this](const QString& text) { showMixerError(text); });
    return *m_volume;
}

void VolumePanel::showMixerError(const QString& text)
{
    QMessageBox::critical(m_window, Product::Title + QStringLiteral(" - Mixercontrol Fehler"),
                          text);
}

void VolumePanel::stepMainVolume(int direction)
{
    sldMain->turnBy(direction * Knob::KeyStep);
}

void VolumePanel::toggleMute()
{
    chkVolMute->toggle();
}

QList<QWidget*> VolumePanel::focusOrder() const
{
    return {sldMainTreb, sldMainBas, sldMain, chkVolMute};
}

int VolumePanel::knobValueOf(qint32 level)
{
    // The nearest knob value, halves to even.
    return int(std::lrint(double(level) / KnobScale));
}

void VolumePanel::SetupToneLabels()
{
    clsVolume& mixer = volume();
    if (mixer.VolTrebleMax() == 0) {
        lblTreble->setEnabled(false);
        lblTreblevol->setEnabled(false);
    }
    if (mixer.VolBassMax() == 0) {
        lblBass->setEnabled(false);
        lblBassVol->setEnabled(false);
    }
}

void VolumePanel::Refresh()
{
    clsVolume& mixer = volume();
    sldMain->SetVal(knobValueOf(mixer.VolumeLevel()));
    chkVolMute->setChecked(mixer.VolumeMute());
    sldMainTreb->SetVal(knobValueOf(mixer.VolumeLevelTreble()));
    sldMainBas->SetVal(knobValueOf(mixer.VolumeLevelBass()));
}

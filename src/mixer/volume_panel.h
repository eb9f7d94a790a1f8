#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class Knob;
class MixerDevice;
class QCheckBox;
class QLabel;
class QWidget;
class ToneControl;
class clsVolume;

// The lower right of the main window: knobs for the main volume, bass and treble, the value
// and name labels beside and under them, and the Mute box. It has no state of its own: the
// mixer is the state. Knob values are mixer levels / 655 (0..100).
class VolumePanel : public QObject {
    Q_OBJECT
public:
    static constexpr int KnobScale = 655;

    struct Services {
        MixerDevice& mixer;
        // Where the mixer has no bass or treble of its own; may be null.
        ToneControl* tone;
        // Hands the keyboard back to the player after each knob and Mute change.
        std::function<void()> focusPlayer;
    };

    VolumePanel(QWidget* window, Services services);
    ~VolumePanel() override;

    // Greys the bass or treble labels where there is no such control. Once, at start-up.
    void SetupToneLabels();
    // Knobs and Mute box take the mixer's levels (and, by their change handlers, snap the
    // mixer to the knobs' steps). Runs whenever the window is shown or uncovered.
    void Refresh();

    // The mixer object, made on first use and kept for the panel's life.
    clsVolume& volume();

    // The keyboard's way to the main volume: a step up (1) or down (-1), and Mute on or off.
    void stepMainVolume(int direction);
    void toggleMute();
    // The controls Tab walks through, left to right.
    QList<QWidget*> focusOrder() const;

    Knob* sldMain;
    Knob* sldMainBas;
    Knob* sldMainTreb;
    QLabel* lblMainVoltxt;
    QLabel* lblBassVol;
    QLabel* lblTreblevol;
    QLabel* lblMainVol;
    QLabel* lblBass;
    QLabel* lblTreble;
    QCheckBox* chkVolMute;

private:
    void createControls(QWidget* window);
    void connectControls();
    void showMixerError(const QString& text);
    static int knobValueOf(qint32 level);

    QWidget* m_window;
    Services m_services;
    std::unique_ptr<clsVolume> m_volume;
};

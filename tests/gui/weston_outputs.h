#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A Weston compositor of the test's own with several outputs, nested in the test's X display
// (its X11 backend opens each output as an X window there and takes the keyboard from it), and
// drawing with pixman so that its screenshots show what is on the outputs. Qt sees each output
// as a screen: the one way to give a test two screens (Xvfb's own screens, Xinerama or xrandr
// monitors all come out as one).
class WestonOutputs {
public:
    WestonOutputs(int outputs, int width, int height);
    ~WestonOutputs();

    // Starts it and waits, within a bound, until its socket is there and its shell has drawn;
    // false with whyNot() otherwise.
    bool start();
    QString whyNot() const { return m_whyNot; }
    void stop();

    QString socket() const { return QStringLiteral("tamrel-weston-outputs"); }
    // The environment of a Qt program that shows its windows on it.
    QProcessEnvironment clientEnvironment() const;
    // Every output side by side, as the compositor draws them; null when it could not take one.
    QImage screenshot();
    // The X window of an output, for xdotool to send keys through.
    QString outputWindow() const;
    int outputWidth() const { return m_width; }

private:
    int m_outputs;
    int m_width;
    int m_height;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QString m_whyNot;
};

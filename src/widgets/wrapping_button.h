#pragma once

#include <QPushButton>

// A push button whose caption wraps onto a second line where it does not fit across, as the
// design of the chooser's buttons expects. It keeps the margins any button keeps beside its
// text, so no line runs into the button's edges.
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

#pragma once

#include <QWidget>

class QScreen;

// The curtain drawn over the whole screen while a capture waits for the full-screen picture:
// no border, no title, no task bar entry. A click anywhere on it closes it; it deletes itself
// when it closes.
class Capturefrm : public QWidget {
    Q_OBJECT
public:
    // Covers the screen `owner` is on; `owner` keeps it above itself.
    explicit Capturefrm(QWidget* owner);

    // Covers `screen` and takes the focus; showing it again keeps it where it is.
    void showOver(QScreen* screen);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

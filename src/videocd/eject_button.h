#pragma once

#include <QPushButton>

// The tray button: an eject picture (a triangle over a bar) with the button's one-letter
// caption, "E" or "C", small beneath it. Both are drawn in the button's text colour, so the
// button looks disabled only while it is; the picture is drawn for the button's size and the
// screen's scale, sharp at any of them.
class EjectButton : public QPushButton {
    Q_OBJECT
public:
    explicit EjectButton(QWidget* parent = nullptr);

    // Where the picture and the letter go in a button of this size.
    struct Layout {
        QRectF picture;
        QRectF letter;
    };
    static Layout layoutFor(const QRectF& contents, qreal letterHeight);

protected:
    void paintEvent(QPaintEvent* event) override;
};

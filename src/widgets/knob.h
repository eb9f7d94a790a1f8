#pragma once

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QWidget>
#include <array>

// The geometry of a rotary knob: where its pointer stands and what value that angle means.
//
// The pointer angle runs from 315 degrees (value 0, pointing to the lower left) over 180
// (straight up) to 45 (the top of the range, lower right); a growing value turns it clockwise.
// The angle is the only state that carries the value: readings are worked out from it.
//
// Modes set the value scale: 27 degrees a unit in mode 0 (values 0 to 10), 2.7 in mode 1
// (0 to 100) and 0.27 in mode 2 (0 to 1000). Any other mode reads 0 and never turns.
class CLSKNOB {
public:
    static constexpr int TableSize = 360;
    static constexpr float MinAngle = 45;
    static constexpr float MaxAngle = 315;
    static constexpr int SizeClassCount = 5;

    struct Radii {
        int inner;
        int outer;
    };
    // The pointer's radii in pixels for a size class; classes outside 0..4 take the nearest.
    static Radii radiiOf(int sizeClass);

    // Fills the sine and cosine tables and puts the pointer at 315 degrees.
    void BuildTable();

    // Works out everything a drawing of the knob needs, for a box of `box` pixels: turns the
    // pointer one step towards `value` (only the direction of the change from the last drawn
    // value counts), keeps it within 45..315 and places the pointer line. Painting is left to
    // the caller.
    void drawKnob(QSizeF box, qint32 value, int mode, qint32 step, int sizeClass);

    // The drag counter jumped by `delta` without a turn (folded back towards 0): the value
    // last drawn moves with it, so the next drag compares like with like.
    void shiftLastDrawnValue(qint32 delta) { m_lastValue += delta; }

    qint32 GetValue(int mode) const;
    // Puts the pointer at the angle of `value`; the next drawKnob keeps it in range.
    void SetValue(int mode, qint32 value);

    float pointerAngle() const { return m_angle; }
    qint32 lastDrawnValue() const { return m_lastValue; }
    int innerRadius() const { return m_innerRadius; }
    int outerRadius() const { return m_outerRadius; }
    QPointF centre() const { return {m_centreX, m_centreY}; }
    QPointF pointerStart() const { return {m_startX, m_startY}; }
    QPointF pointerEnd() const { return {m_endX, m_endY}; }
    // The smaller circle drawn on the body, a little off the centre.
    QPointF innerCircleCentre() const { return {m_centreX + 0.5, m_centreY + 0.5}; }
    double innerCircleRadius() const;
    double sine(int index) const;
    double cosine(int index) const;

private:
    std::array<double, TableSize> m_sine{};
    std::array<double, TableSize> m_cosine{};
    float m_angle = 0;
    qint32 m_lastValue = 0;
    int m_sizeClass = 0;
    int m_innerRadius = 0;
    int m_outerRadius = 0;
    float m_centreX = 0;
    float m_centreY = 0;
    float m_startX = 0;
    float m_startY = 0;
    float m_endX = 0;
    float m_endY = 0;
};

// A small rotary control. The user turns it by dragging with the left button in a circle (or
// with the mouse wheel, or Up and Down once Tab gave it the focus); the program sets it with SetVal
// and reads it with KnobValue. Changed comes after every redraw caused by a drag, a wheel notch or
// SetVal.
//
// Dragging counts: every mouse move adds or takes 1 for the horizontal movement (its sense
// depending on the upper or lower half) and 1 for the vertical one (left or right half), so a
// clockwise circle raises the counter. Each event turns the pointer one step in the direction
// the counter moved since the last drawing, never more.
class Knob : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignSizeTwips = 495;
    static constexpr int WheelNotch = 120;
    // Steps of one press of Up or Down (the wheel turns one step a notch).
    static constexpr int KeyStep = 5;

    explicit Knob(QWidget* parent = nullptr);

    void SetBackColor(const QColor& colour);
    void SetMode(int mode);
    void SetStep(qint32 step);
    void SetVal(qint32 value);
    qint32 KnobValue() const;
    // Turns the knob as the user does, `steps` steps clockwise (anticlockwise when negative).
    void turnBy(int steps);

    // The size class (0..4) of a knob this many twips high.
    static int sizeClassForHeight(int heightTwips);

    const CLSKNOB& clsKnob() const { return m_knob; }
    int sizeClass() const { return m_sizeClass; }
    qint32 dragCounter() const { return m_dragCounter; }

    QSize sizeHint() const override;

signals:
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    static constexpr qint32 FoldAbove = 100;
    static constexpr qint32 FoldTo = 50;
    // No wheel sends more at once; a bogus delta must not keep the window busy.
    static constexpr int MaxNotchesPerEvent = 100;

    void redraw();
    // The end of every user turn: draw, report, and keep the counter small.
    void finishTurn();
    qint32 dragDelta(QPointF position) const;

    qint32 m_dragCounter = 0;
    float m_lastX = 0;
    float m_lastY = 0;
    CLSKNOB m_knob;
    int m_sizeClass = 0;
    int m_mode = 1;
    qint32 m_step = 1;
    QColor m_backColor; // invalid: the window's own background
    int m_wheelRemainder = 0;
};

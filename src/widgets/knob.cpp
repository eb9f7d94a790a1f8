#include "widgets/knob.h"

#include "widgets/twips.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The knob's angle tables were always built with 3.14 for pi; the pointer positions keep it.
constexpr double TableHalfTurn = 3.14;

struct ModeScale {
    double degreesPerUnit;
    double unitsAt0Degrees; // so that 315 degrees reads 0
};

std::optional<ModeScale> scaleOf(int mode)
{
    switch (mode) {
    case 0:
        return ModeScale{27, 12};
    case 1:
        return ModeScale{2.7, 117};
    case 2:
        return ModeScale{0.27, 1167};
    default:
        return std::nullopt;
    }
}

// Nearest whole number, ties to the even one, kept within qint32.
qint32 roundTiesToEven(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    return qint32(std::clamp(rounded, double(std::numeric_limits<qint32>::min()),
                             double(std::numeric_limits<qint32>::max())));
}

constexpr std::array<CLSKNOB::Radii, CLSKNOB::SizeClassCount> RadiiBySizeClass{
    {{6, 12}, {8, 15}, {9, 18}, {12, 22}, {15, 27}}};

// Highest height in twips of each size class but the last.
constexpr std::array<int, CLSKNOB::SizeClassCount - 1> SizeClassTopTwips{495, 615, 735, 855};

constexpr int PenWidth = 2;
const QColor BodyOutline(0x26, 0x26, 0x26);
const QColor BodyFill(0x48, 0x48, 0x48);
const QColor CapFill(0x5c, 0x5c, 0x5c);

} // namespace

CLSKNOB::Radii CLSKNOB::radiiOf(int sizeClass)
{
    return RadiiBySizeClass[std::clamp(sizeClass, 0, SizeClassCount - 1)];
}

void CLSKNOB::BuildTable()
{
    for (int i = 0; i < TableSize; ++i) {
        m_sine[i] = std::sin(i * TableHalfTurn / 180);
        m_cosine[i] = std::cos(i * TableHalfTurn / 180);
    }
    m_angle = MaxAngle;
}

void CLSKNOB::drawKnob(QSizeF box, qint32 value, int mode, qint32 step, int sizeClass)
{
    m_centreX = float(box.width() / 2);
    m_centreY = float(box.height() / 2);
    if (const std::optional<ModeScale> scale = scaleOf(mode)) {
        const double turn = double(step) * scale->degreesPerUnit;
        if (value > m_lastValue)
            m_angle = float(m_angle - turn);
        else if (value < m_lastValue)
            m_angle = float(m_angle + turn);
    }
    m_angle = std::clamp(m_angle, MinAngle, MaxAngle);

    m_sizeClass = std::clamp(sizeClass, 0, SizeClassCount - 1);
    const Radii radii = radiiOf(m_sizeClass);
    m_innerRadius = radii.inner;
    m_outerRadius = radii.outer;

    // y grows downwards, so the cosine turns 315 degrees to the lower left and 180 straight up.
    const int index = std::clamp(roundTiesToEven(m_angle), 0, TableSize - 1);
    m_startX = float(m_centreX + m_innerRadius * m_sine[index]);
    m_startY = float(m_centreY + m_innerRadius * m_cosine[index]);
    m_endX = float(m_centreX + m_outerRadius * m_sine[index]);
    m_endY = float(m_centreY + m_outerRadius * m_cosine[index]);
    m_lastValue = value;
}

qint32 CLSKNOB::GetValue(int mode) const
{
    const std::optional<ModeScale> scale = scaleOf(mode);
    if (!scale)
        return 0;
    return roundTiesToEven(std::abs(m_angle / scale->degreesPerUnit - scale->unitsAt0Degrees));
}

void CLSKNOB::SetValue(int mode, qint32 value)
{
    const std::optional<ModeScale> scale = scaleOf(mode);
    if (!scale)
        return;
    // Exact in mode 0, as integer arithmetic would be: every factor is a whole number far
    // below 2^53, and no qint32 value can overflow it.
    m_angle = float((scale->unitsAt0Degrees - value) * scale->degreesPerUnit);
}

double CLSKNOB::innerCircleRadius() const
{
    return m_outerRadius * (m_sizeClass == 0 ? 0.75 : 0.8);
}

double CLSKNOB::sine(int index) const
{
    return m_sine[std::clamp(index, 0, TableSize - 1)];
}

double CLSKNOB::cosine(int index) const
{
    return m_cosine[std::clamp(index, 0, TableSize - 1)];
}

Knob::Knob(QWidget* parent) : QWidget(parent)
{
    // Only Tab brings the keyboard here: a click or drag leaves it with the video player.
    setFocusPolicy(Qt::TabFocus);
    m_knob.BuildTable();
    redraw();
}

void Knob::SetBackColor(const QColor& colour)
{
    m_backColor = colour;
    redraw();
}

void Knob::SetMode(int mode)
{
    m_mode = mode;
}

void Knob::SetStep(qint32 step)
{
    m_step = step;
}

void Knob::SetVal(qint32 value)
{
    m_knob.SetValue(m_mode, value);
    redraw();
    emit Changed();
}

qint32 Knob::KnobValue() const
{
    return m_knob.GetValue(m_mode);
}

int Knob::sizeClassForHeight(int heightTwips)
{
    return int(std::count_if(SizeClassTopTwips.begin(), SizeClassTopTwips.end(),
                             [heightTwips](int top) { return heightTwips > top; }));
}

QSize Knob::sizeHint() const
{
    return {Twips::toPixels(DesignSizeTwips), Twips::toPixels(DesignSizeTwips)};
}

void Knob::redraw()
{
    m_knob.drawKnob(QSizeF(size()), m_dragCounter, m_mode, m_step, m_sizeClass);
    update();
}

void Knob::finishTurn()
{
    redraw();
    emit Changed();
    // Folding alone would leave the last drawn value 51 steps ahead of the counter, and the
    // next move of a clockwise drag would turn the knob back a step.
    const qint32 folded = m_dragCounter > FoldAbove    ? FoldTo
                          : m_dragCounter < -FoldAbove ? -FoldTo
                                                       : m_dragCounter;
    m_knob.shiftLastDrawnValue(folded - m_dragCounter);
    m_dragCounter = folded;
}

qint32 Knob::dragDelta(QPointF position) const
{
    const float x = float(position.x());
    const float y = float(position.y());
    qint32 delta = 0;
    // Moving right is clockwise along the top and anticlockwise along the bottom.
    const qint32 rightwards = y < float(height()) / 2 ? 1 : -1;
    if (x > m_lastX)
        delta += rightwards;
    else if (x < m_lastX)
        delta -= rightwards;
    // Moving down is clockwise on the right and anticlockwise on the left.
    const qint32 downwards = x < float(width()) / 2 ? -1 : 1;
    if (y > m_lastY)
        delta += downwards;
    else if (y < m_lastY)
        delta -= downwards;
    return delta;
}

void Knob::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_sizeClass = sizeClassForHeight(height() * Twips::PerPixel);
    redraw();
}

void Knob::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::LeftButton) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPointF position = event->position();
    m_dragCounter += dragDelta(position);
    finishTurn();
    m_lastX = float(position.x());
    m_lastY = float(position.y());
}

void Knob::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        QWidget::wheelEvent(event); // sideways: not ours
        return;
    }
    // Touchpads send parts of a notch; they add up until a whole one turns the knob.
    const int limit = MaxNotchesPerEvent * WheelNotch;
    m_wheelRemainder += std::clamp(delta, -limit, limit);
    const int notches = m_wheelRemainder / WheelNotch;
    m_wheelRemainder -= notches * WheelNotch;
    turnBy(notches); // away from the user turns clockwise
    event->accept();
}

void Knob::turnBy(int steps)
{
    const qint32 direction = steps > 0 ? 1 : -1;
    for (int i = 0; i < std::abs(steps); ++i) {
        m_dragCounter += direction;
        finishTurn();
    }
}

void Knob::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        turnBy(event->key() == Qt::Key_Up ? KeyStep : -KeyStep);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Knob::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void Knob::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void Knob::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_backColor.isValid())
        painter.fillRect(rect(), m_backColor);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(BodyOutline, PenWidth));
    painter.setBrush(BodyFill);
    const double outer = m_knob.outerRadius();
    painter.drawEllipse(m_knob.centre(), outer, outer);
    painter.setBrush(CapFill);
    const double cap = m_knob.innerCircleRadius();
    painter.drawEllipse(m_knob.innerCircleCentre(), cap, cap);
    painter.setPen(QPen(Qt::white, PenWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(m_knob.pointerStart(), m_knob.pointerEnd());
    if (hasFocus()) { // where the keyboard is, for a user without a mouse
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(m_knob.centre(), outer + 2, outer + 2);
    }
}

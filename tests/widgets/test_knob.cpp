#include "widgets/knob.h"

#include "widgets/twips.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr int Side = 33; // the design size, 495 twips

void moveMouse(Knob& knob, QPointF to, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent move(QEvent::MouseMove, to, knob.mapToGlobal(to), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(&knob, &move);
}

void turnWheel(Knob& knob, int angleDelta)
{
    const QPointF centre(Side / 2, Side / 2);
    QWheelEvent wheel(centre, knob.mapToGlobal(centre), QPoint(), QPoint(0, angleDelta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&knob, &wheel);
}

// Mouse positions round the edge of the knob, starting from the corner at (0, 0) where the last
// position starts. Each move changes one coordinate only, so each one counts exactly 1.
QList<QPointF> squareRound(int moves, bool clockwise)
{
    const int last = Side - 1;
    QList<QPointF> corners{
        {0, 0}, {double(last), 0}, {double(last), double(last)}, {0, double(last)}};
    if (!clockwise)
        std::reverse(corners.begin() + 1, corners.end());
    QList<QPointF> points;
    for (int i = 0; points.size() < moves; ++i) {
        const QPointF from = corners[i % 4];
        const QPointF to = corners[(i + 1) % 4];
        for (int part = 1; part <= 4 && points.size() < moves; ++part)
            points << from + (to - from) * part / 4;
    }
    return points;
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The knob keeps its points in single precision.
bool nearlyEqual(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-5 && std::abs(a.y() - b.y()) < 1e-5;
}

// The brightest pixel around a point, so that an antialiased line is found wherever it falls.
int brightestAround(const QImage& image, QPointF point)
{
    int brightest = 0;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            const QColor pixel = image.pixelColor(int(point.x()) + dx, int(point.y()) + dy);
            brightest = std::max(brightest, std::min({pixel.red(), pixel.green(), pixel.blue()}));
        }
    }
    return brightest;
}

} // namespace

class TestKnob : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newKnobReadsZero();
    void setValue_data();
    void setValue();
    void pointerFollowsTheTables_data();
    void pointerFollowsTheTables();
    void dragTurnsOneStepAnEvent_data();
    void dragTurnsOneStepAnEvent();
    void halfTests_data();
    void halfTests();
    void movesWithoutTheLeftButtonChangeNothing_data();
    void movesWithoutTheLeftButtonChangeNothing();
    void stepPerMode_data();
    void stepPerMode();
    void wheel_data();
    void wheel();
    void sizeClassFromHeight_data();
    void sizeClassFromHeight();
    void resizeChoosesTheSizeClass_data();
    void resizeChoosesTheSizeClass();
    void modeAndStepDoNotRedraw();
    void paintsThePointer_data();
    void paintsThePointer();
    void clickLeavesTheKeyboardFocus();

private:
    float angle() const { return m_knob->clsKnob().pointerAngle(); }

    std::unique_ptr<Knob> m_knob;
    std::unique_ptr<QSignalSpy> m_changed;
};

void TestKnob::init()
{
    m_knob = std::make_unique<Knob>();
    m_knob->resize(Side, Side);
    m_knob->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_knob.get()));
    m_changed = std::make_unique<QSignalSpy>(m_knob.get(), &Knob::Changed);
}

void TestKnob::cleanup()
{
    m_changed.reset();
    m_knob.reset();
}

void TestKnob::newKnobReadsZero()
{
    QCOMPARE(angle(), 315.0f);
    QCOMPARE(m_knob->KnobValue(), 0);
    QCOMPARE(m_knob->sizeClass(), 0);
    QCOMPARE(m_knob->sizeHint(), QSize(Side, Side));
}

void TestKnob::setValue_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<float>("expectedAngle");
    QTest::addColumn<qint32>("reads");
    const qint32 largest = std::numeric_limits<qint32>::max();
    const qint32 smallest = std::numeric_limits<qint32>::min();
    QTest::newRow("mode 1, 100") << 1 << 100 << 45.9f << 100;
    QTest::newRow("mode 1, 50") << 1 << 50 << 180.9f << 50;
    QTest::newRow("mode 1, 0: 315.9 kept to 315") << 1 << 0 << 315.0f << 0;
    QTest::newRow("mode 1, above the range") << 1 << 101 << 45.0f << 100;
    QTest::newRow("mode 1, below the range") << 1 << -5 << 315.0f << 0;
    QTest::newRow("mode 1, largest value") << 1 << largest << 45.0f << 100;
    QTest::newRow("mode 0, 5") << 0 << 5 << 189.0f << 5;
    QTest::newRow("mode 0, 10") << 0 << 10 << 54.0f << 10;
    QTest::newRow("mode 0, 0: 324 kept to 315") << 0 << 0 << 315.0f << 0;
    QTest::newRow("mode 0, smallest value") << 0 << smallest << 315.0f << 0;
    QTest::newRow("mode 2, 500") << 2 << 500 << 180.09f << 500;
    QTest::newRow("mode 2, 1000") << 2 << 1000 << 45.09f << 1000;
    QTest::newRow("mode 3 never turns") << 3 << 50 << 315.0f << 0;
    QTest::newRow("mode -1 never turns") << -1 << 50 << 315.0f << 0;
}

void TestKnob::setValue()
{
    QFETCH(int, mode);
    QFETCH(qint32, value);
    QFETCH(float, expectedAngle);
    QFETCH(qint32, reads);
    m_knob->SetMode(mode);
    m_knob->SetVal(value);
    QCOMPARE(angle(), expectedAngle);
    QCOMPARE(m_knob->KnobValue(), reads);
    QCOMPARE(m_changed->count(), 1);
}

void TestKnob::pointerFollowsTheTables_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<int>("index");
    QTest::newRow("315") << 1 << 0 << 315;
    QTest::newRow("180.09: sin(3.14) is not 0") << 2 << 500 << 180;
    QTest::newRow("180.9 rounds up") << 1 << 50 << 181;
    QTest::newRow("148.5 rounds to even 148") << 2 << 617 << 148;
    QTest::newRow("175.5 rounds to even 176") << 2 << 517 << 176;
    QTest::newRow("45.9 rounds up") << 1 << 100 << 46;
}

void TestKnob::pointerFollowsTheTables()
{
    QFETCH(int, mode);
    QFETCH(qint32, value);
    QFETCH(int, index);
    m_knob->SetMode(mode);
    m_knob->SetVal(value);
    const CLSKNOB& drawn = m_knob->clsKnob();
    // The tables take 3.14 for pi; y grows downwards.
    const QPointF direction(std::sin(index * 3.14 / 180), std::cos(index * 3.14 / 180));
    const QPointF centre(Side / 2.0, Side / 2.0);
    QCOMPARE(drawn.centre(), centre);
    QVERIFY(nearlyEqual(drawn.pointerStart(), centre + 6 * direction));
    QVERIFY(nearlyEqual(drawn.pointerEnd(), centre + 12 * direction));
}

void TestKnob::dragTurnsOneStepAnEvent_data()
{
    QTest::addColumn<bool>("clockwise");
    QTest::addColumn<qint32>("valuePerMove");
    QTest::addColumn<float>("stop");
    QTest::addColumn<float>("afterFold");
    QTest::newRow("clockwise") << true << 1 << 45.0f << 45.0f;
    QTest::newRow("anticlockwise") << false << 0 << 315.0f << 315.0f;
}

void TestKnob::dragTurnsOneStepAnEvent()
{
    QFETCH(bool, clockwise);
    QFETCH(qint32, valuePerMove);
    QFETCH(float, stop);
    QFETCH(float, afterFold);
    const qint32 count = clockwise ? 1 : -1;
    const QList<QPointF> points = squareRound(102, clockwise);
    for (int move = 1; move <= 100; ++move) {
        moveMouse(*m_knob, points[move - 1]);
        QCOMPARE(m_knob->dragCounter(), count * move);
        QCOMPARE(m_knob->KnobValue(), valuePerMove * move);
    }
    QCOMPARE(angle(), stop);
    // Beyond the end the pointer stays put, and the counter folds back past 100.
    moveMouse(*m_knob, points[100]);
    QCOMPARE(angle(), stop);
    QCOMPARE(m_knob->dragCounter(), count * 50);
    // The fold moves the last drawn value with the counter: the drag goes on the same way.
    moveMouse(*m_knob, points[101]);
    QCOMPARE(angle(), afterFold);
    QCOMPARE(m_changed->count(), 102);
}

void TestKnob::halfTests_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("counted");
    // The knob is 33 pixels square: its middle lines are at 16.5 and count as lower and right.
    QTest::newRow("top, rightwards") << QPointF(10, 5) << QPointF(14, 5) << 1;
    QTest::newRow("top, leftwards") << QPointF(14, 5) << QPointF(10, 5) << -1;
    QTest::newRow("bottom, rightwards") << QPointF(10, 28) << QPointF(14, 28) << -1;
    QTest::newRow("bottom, leftwards") << QPointF(14, 28) << QPointF(10, 28) << 1;
    QTest::newRow("left, downwards") << QPointF(5, 10) << QPointF(5, 14) << -1;
    QTest::newRow("left, upwards") << QPointF(5, 14) << QPointF(5, 10) << 1;
    QTest::newRow("right, downwards") << QPointF(28, 10) << QPointF(28, 14) << 1;
    QTest::newRow("right, upwards") << QPointF(28, 14) << QPointF(28, 10) << -1;
    QTest::newRow("middle line is the bottom") << QPointF(10, 16.5) << QPointF(14, 16.5) << -1;
    QTest::newRow("middle line is the right") << QPointF(16.5, 10) << QPointF(16.5, 14) << 1;
    QTest::newRow("clockwise at the top right") << QPointF(20, 5) << QPointF(24, 9) << 2;
    QTest::newRow("anticlockwise at the bottom right")
        << QPointF(24, 20) << QPointF(28, 16.5) << -2;
    QTest::newRow("cancelling at the top left") << QPointF(5, 5) << QPointF(9, 9) << 0;
    QTest::newRow("standing still") << QPointF(9, 9) << QPointF(9, 9) << 0;
}

void TestKnob::halfTests()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(int, counted);
    m_knob->SetVal(50);
    moveMouse(*m_knob, from);
    const qint32 counter = m_knob->dragCounter();
    const qint32 value = m_knob->KnobValue();
    m_changed->clear();

    moveMouse(*m_knob, to);
    QCOMPARE(m_knob->dragCounter(), counter + counted);
    // One step in the direction of the count, however large; none when it cancels out.
    QCOMPARE(m_knob->KnobValue(), value + (counted > 0) - (counted < 0));
    QCOMPARE(m_changed->count(), 1);
}

void TestKnob::movesWithoutTheLeftButtonChangeNothing_data()
{
    QTest::addColumn<Qt::MouseButtons>("buttons");
    QTest::newRow("no button") << Qt::MouseButtons(Qt::NoButton);
    QTest::newRow("right") << Qt::MouseButtons(Qt::RightButton);
    QTest::newRow("middle") << Qt::MouseButtons(Qt::MiddleButton);
    QTest::newRow("left and right") << (Qt::LeftButton | Qt::RightButton);
}

void TestKnob::movesWithoutTheLeftButtonChangeNothing()
{
    QFETCH(Qt::MouseButtons, buttons);
    m_knob->SetVal(50);
    moveMouse(*m_knob, {10, 5});
    const qint32 counter = m_knob->dragCounter();
    const float before = angle();
    m_changed->clear();

    moveMouse(*m_knob, {30, 5}, buttons);
    QCOMPARE(angle(), before);
    QCOMPARE(m_knob->dragCounter(), counter);
    QCOMPARE(m_changed->count(), 0);
    // Rightwards from (10, 5), where the last drag was; from (30, 5) it would count -1.
    moveMouse(*m_knob, {20, 5});
    QCOMPARE(m_knob->dragCounter(), counter + 1);
}

void TestKnob::stepPerMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<qint32>("step");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<qint32>("afterOneMove");
    QTest::newRow("mode 0: 27 degrees") << 0 << 1 << 5 << 6;
    QTest::newRow("mode 1, step 10") << 1 << 10 << 50 << 60;
    QTest::newRow("mode 2: 0.27 degrees") << 2 << 1 << 500 << 501;
    QTest::newRow("negative step turns back") << 1 << -1 << 50 << 49;
    QTest::newRow("unknown mode") << 5 << 1 << 50 << 0;
}

void TestKnob::stepPerMode()
{
    QFETCH(int, mode);
    QFETCH(qint32, step);
    QFETCH(qint32, start);
    QFETCH(qint32, afterOneMove);
    m_knob->SetMode(mode);
    m_knob->SetStep(step);
    m_knob->SetVal(start);
    moveMouse(*m_knob, {8, 0}); // rightwards along the top: one clockwise count
    QCOMPARE(m_knob->KnobValue(), afterOneMove);
}

void TestKnob::wheel_data()
{
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<qint32>("steps");
    QTest::addColumn<int>("changes");
    QTest::newRow("one notch away") << QList<int>{120} << 1 << 1;
    QTest::newRow("one notch back") << QList<int>{-120} << -1 << 1;
    QTest::newRow("two half notches") << QList<int>{60, 60} << 1 << 1;
    QTest::newRow("half a notch") << QList<int>{60} << 0 << 0;
    QTest::newRow("two notches at once") << QList<int>{240} << 2 << 2;
    QTest::newRow("away and back") << QList<int>{120, -120} << 0 << 2;
    QTest::newRow("half away, half back") << QList<int>{60, -60} << 0 << 0;
    QTest::newRow("a bogus delta is bounded")
        << QList<int>{std::numeric_limits<int>::max()} << 100 << 100;
}

void TestKnob::wheel()
{
    QFETCH(QList<int>, deltas);
    QFETCH(qint32, steps);
    QFETCH(int, changes);
    m_knob->SetMode(2); // room for a hundred steps either way
    m_knob->SetVal(500);
    m_changed->clear();
    for (int delta : deltas)
        turnWheel(*m_knob, delta);
    QCOMPARE(m_knob->KnobValue(), 500 + steps);
    QCOMPARE(m_changed->count(), changes);
}

void TestKnob::sizeClassFromHeight_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("sizeClass");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("495") << 495 << 0;
    QTest::newRow("496") << 496 << 1;
    QTest::newRow("600") << 600 << 1;
    QTest::newRow("615") << 615 << 1;
    QTest::newRow("616") << 616 << 2;
    QTest::newRow("735") << 735 << 2;
    QTest::newRow("736") << 736 << 3;
    QTest::newRow("855") << 855 << 3;
    QTest::newRow("856") << 856 << 4;
    QTest::newRow("very high") << 100000 << 4;
}

void TestKnob::sizeClassFromHeight()
{
    QFETCH(int, twips);
    QFETCH(int, sizeClass);
    QCOMPARE(Knob::sizeClassForHeight(twips), sizeClass);
}

void TestKnob::resizeChoosesTheSizeClass_data()
{
    QTest::addColumn<QSize>("twips");
    QTest::addColumn<int>("sizeClass");
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("outer");
    QTest::newRow("main volume") << QSize(735, 710) << 2 << 9 << 18;
    QTest::newRow("bass") << QSize(735, 615) << 1 << 8 << 15;
    QTest::newRow("treble") << QSize(615, 615) << 1 << 8 << 15;
    QTest::newRow("600 twips") << QSize(600, 600) << 1 << 8 << 15;
    QTest::newRow("in a larger window") << QSize(1200, 1000) << 4 << 15 << 27;
    QTest::newRow("back to the design size") << QSize(495, 495) << 0 << 6 << 12;
}

void TestKnob::resizeChoosesTheSizeClass()
{
    QFETCH(QSize, twips);
    QFETCH(int, sizeClass);
    QFETCH(int, inner);
    QFETCH(int, outer);
    // From a size of another class, so that every row has to change it.
    m_knob->resize(sizeClass == 0 ? QSize(Side * 2, Side * 2) : QSize(20, 20));
    Twips::place(m_knob.get(), 0, 0, twips.width(), twips.height());
    QCOMPARE(m_knob->sizeClass(), sizeClass);
    const CLSKNOB& drawn = m_knob->clsKnob();
    QCOMPARE(drawn.innerRadius(), inner);
    QCOMPARE(drawn.outerRadius(), outer);
    QCOMPARE(drawn.centre(), QPointF(m_knob->width() / 2.0, m_knob->height() / 2.0));
    QCOMPARE(m_changed->count(), 0);
}

void TestKnob::modeAndStepDoNotRedraw()
{
    PaintCounter counter;
    m_knob->installEventFilter(&counter);
    QCoreApplication::processEvents(); // paints already asked for happen now, not below
    counter.paints = 0;
    m_knob->SetMode(0);
    m_knob->SetStep(5);
    QTest::qWait(50); // a span in which no paint may come
    QCOMPARE(counter.paints, 0);
    QCOMPARE(m_changed->count(), 0);

    m_knob->SetBackColor(Qt::darkBlue);
    QTRY_VERIFY(counter.paints > 0);
    QCOMPARE(m_changed->count(), 0);
}

void TestKnob::paintsThePointer_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<bool>("pointsLeft");
    QTest::addColumn<bool>("pointsDown");
    QTest::newRow("0: lower left") << 0 << true << true;
    QTest::newRow("50: up") << 50 << false << false;
    QTest::newRow("100: lower right") << 100 << false << true;
}

void TestKnob::paintsThePointer()
{
    QFETCH(qint32, value);
    QFETCH(bool, pointsLeft);
    QFETCH(bool, pointsDown);
    const QColor background(0, 0, 128);
    m_knob->SetBackColor(background);
    m_knob->SetVal(value);
    const CLSKNOB& drawn = m_knob->clsKnob();
    const QPointF centre = drawn.centre();
    const QPointF start = drawn.pointerStart();
    const QPointF end = drawn.pointerEnd();
    QCOMPARE(end.x() < centre.x() - 1, pointsLeft);
    QCOMPARE(end.y() > centre.y(), pointsDown);

    QImage image(m_knob->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    m_knob->render(&image);
    QCOMPARE(image.pixelColor(0, 0), background);
    const QPointF alongThePointer = start + (end - start) * 0.7;
    QVERIFY2(brightestAround(image, alongThePointer) > 220, "the pointer is white");
    const QPointF opposite = centre * 2 - alongThePointer;
    QVERIFY2(brightestAround(image, opposite) < 160, "nothing white opposite the pointer");
    const QColor body = image.pixelColor(centre.toPoint());
    QVERIFY(body != background && body.red() < 160 && body.red() == body.blue());
}

void TestKnob::clickLeavesTheKeyboardFocus()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    auto* knob = new Knob(&window);
    layout->addWidget(edit);
    layout->addWidget(knob);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTest::mouseClick(knob, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), edit);
}

QTEST_MAIN(TestKnob)
#include "test_knob.moc"

#include "widgets/layout_resizer.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Rectangles equal but for a pixel of rounding on each side.
bool near(const QRect& a, const QRect& b)
{
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1 &&
           std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

QByteArray describe(const QRect& actual, const QRect& expected)
{
    QString text;
    QDebug(&text) << "actual" << actual << "expected" << expected;
    return text.toUtf8();
}

} // namespace

class TestLayoutResizer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fractionsAndBack_data();
    void fractionsAndBack();
    void controlsFollowTheForm();
    void designSizeRestoresEveryRectangle();
    void laterAndSkippedControlsStayPut();
    void negativeUsableSizeOnlyMoves();
    void resizerKeepsItsOwnSize();
    void innerPartsOfCompositeWidgetsAreLeftAlone();

private:
    // Sizes below are the form's outer sizes, frame included.
    void setOuter(int width, int height) { m_form->resize(QSize(width, height) - m_frameExtra); }

    std::unique_ptr<QWidget> m_form;
    QSize m_frameExtra;
    LayoutResizer* m_resizer = nullptr;
    QPushButton* m_button = nullptr; // at left 1485 twips (99 px) on a 6000-twip (400 px) form
    QLabel* m_label = nullptr;
    QFrame* m_frame = nullptr;
    QPushButton* m_inFrame = nullptr;
    QListWidget* m_list = nullptr;
    QList<QWidget*> m_controls;
    QList<QRect> m_design;
};

void TestLayoutResizer::init()
{
    m_form = std::make_unique<QWidget>();
    setOuter(400, 300);
    m_button = new QPushButton("Play", m_form.get());
    m_button->setGeometry(99, 50, 100, 30);
    new QTimer(m_form.get()); // nothing to scale, and nothing may go wrong for those after it
    m_label = new QLabel("Track", m_form.get());
    m_label->setGeometry(10, 100, 80, 20);
    m_frame = new QFrame(m_form.get());
    m_frame->setGeometry(10, 150, 200, 100);
    m_inFrame = new QPushButton("1", m_frame);
    m_inFrame->setGeometry(20, 20, 60, 30);
    m_list = new QListWidget(m_form.get());
    m_list->setGeometry(220, 100, 150, 150);
    m_resizer = new LayoutResizer(m_form.get());
    m_resizer->setObjectName("rgrResizer1");
    m_resizer->move(300, 10);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_frameExtra = m_form->frameGeometry().size() - m_form->size();
    setOuter(400, 300);
    m_resizer->record();
    m_controls = {m_button, m_label, m_frame, m_inFrame, m_list, m_resizer};
    m_design.clear();
    for (QWidget* control : std::as_const(m_controls))
        m_design << control->geometry();
}

void TestLayoutResizer::cleanup()
{
    m_form.reset();
}

void TestLayoutResizer::fractionsAndBack_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QSize>("newOuter");
    QTest::addColumn<QRect>("expected");
    // 6000 twips across is 400 px; usable 5940 twips, 396 px. 1485 twips (99 px) is a quarter
    // of that, which at 12000 twips (800 px, usable 796 px) is 2985 twips, 199 px.
    QTest::newRow("twice as wide and high") << QSize(400, 300) << QRect(99, 137, 198, 27)
                                            << QSize(800, 600) << QRect(199, 287, 398, 57);
    QTest::newRow("design size gives the design rectangle")
        << QSize(400, 300) << QRect(99, 137, 198, 27) << QSize(400, 300) << QRect(99, 137, 198, 27);
    QTest::newRow("narrower") << QSize(400, 300) << QRect(0, 0, 396, 274) << QSize(204, 126)
                              << QRect(0, 0, 200, 100);
    QTest::newRow("usable width below zero keeps the width")
        << QSize(400, 300) << QRect(198, 137, 99, 27) << QSize(0, 300) << QRect(-2, 137, 99, 27);
    QTest::newRow("usable height below zero keeps the height")
        << QSize(400, 300) << QRect(99, 137, 198, 27) << QSize(800, 6) << QRect(199, -10, 398, 27);
}

void TestLayoutResizer::fractionsAndBack()
{
    QFETCH(QSize, outer);
    QFETCH(QRect, geometry);
    QFETCH(QSize, newOuter);
    QFETCH(QRect, expected);
    const LayoutResizer::Fractions fractions =
        LayoutResizer::toFractions(geometry, LayoutResizer::usableSize(outer));
    const QRect actual =
        LayoutResizer::applyFractions(fractions, LayoutResizer::usableSize(newOuter), geometry);
    QVERIFY2(near(actual, expected), describe(actual, expected));
}

void TestLayoutResizer::controlsFollowTheForm()
{
    QCOMPARE(m_resizer->usableSize(), QSize(396, 274));
    QCOMPARE(m_resizer->recordCount(), m_controls.size());

    setOuter(800, 600);
    QCOMPARE(m_resizer->usableSize(), QSize(796, 574));
    QVERIFY2(near(m_button->geometry(), QRect(199, 105, 201, 63)),
             describe(m_button->geometry(), QRect(199, 105, 201, 63)));
    QVERIFY2(near(m_label->geometry(), QRect(20, 210, 161, 42)),
             describe(m_label->geometry(), QRect(20, 210, 161, 42)));
    // Inside the frame: its own offset, scaled with the form like everything else.
    QVERIFY2(near(m_inFrame->geometry(), QRect(40, 42, 121, 63)),
             describe(m_inFrame->geometry(), QRect(40, 42, 121, 63)));
}

void TestLayoutResizer::designSizeRestoresEveryRectangle()
{
    for (const QSize& size : {QSize(800, 600), QSize(517, 333), QSize(1234, 281)}) {
        setOuter(size.width(), size.height());
        setOuter(400, 300);
        for (int i = 0; i < m_controls.size(); ++i)
            QVERIFY2(near(m_controls[i]->geometry(), m_design[i]),
                     m_controls[i]->metaObject()->className() +
                         describe(m_controls[i]->geometry(), m_design[i]));
    }
}

void TestLayoutResizer::laterAndSkippedControlsStayPut()
{
    auto* late = new QPushButton("late", m_form.get());
    late->setGeometry(5, 5, 40, 20);
    late->show();
    m_label->setProperty(LayoutResizer::SkipProperty, true);
    setOuter(800, 600);
    QCOMPARE(late->geometry(), QRect(5, 5, 40, 20));
    QCOMPARE(m_label->geometry(), QRect(10, 100, 80, 20));
    QVERIFY(m_button->x() > 150);

    m_label->setProperty(LayoutResizer::SkipProperty, false);
    setOuter(801, 600);
    QVERIFY(near(m_label->geometry(), QRect(20, 210, 161, 42)));
}

void TestLayoutResizer::negativeUsableSizeOnlyMoves()
{
    setOuter(800, 600);
    const int bigHeight = m_button->height();
    m_form->resize(1, 10); // lower than its 26 pixels of borders
    if (m_form->size() != QSize(1, 10))
        QSKIP("the platform keeps windows larger than that");
    QVERIFY(m_resizer->usableSize().height() < 0);
    QCOMPARE(m_button->height(), bigHeight);
    QVERIFY(m_button->y() <= 0);

    setOuter(400, 300);
    for (int i = 0; i < m_controls.size(); ++i)
        QVERIFY2(near(m_controls[i]->geometry(), m_design[i]),
                 describe(m_controls[i]->geometry(), m_design[i]));
}

void TestLayoutResizer::resizerKeepsItsOwnSize()
{
    QVERIFY(m_resizer->isHidden());
    const QSize designSize(1005 / 15, 735 / 15);
    QCOMPARE(m_resizer->size(), designSize);
    m_resizer->resize(300, 300);
    QCOMPARE(m_resizer->size(), designSize);

    setOuter(800, 600);
    QCOMPARE(m_resizer->size(), designSize);
    QVERIFY(near(QRect(m_resizer->pos(), designSize), QRect(603, 21, 67, 49)));
}

void TestLayoutResizer::innerPartsOfCompositeWidgetsAreLeftAlone()
{
    setOuter(800, 600);
    // The list places its own viewport: it fills the list inside the frame.
    QCOMPARE(m_list->viewport()->width(), m_list->width() - 2 * m_list->frameWidth());
    QCOMPARE(m_list->viewport()->height(), m_list->height() - 2 * m_list->frameWidth());
    QVERIFY(!LayoutResizer::isControl(m_list->viewport(), m_form.get()));
    QVERIFY(LayoutResizer::isControl(m_inFrame, m_form.get()));
}

QTEST_MAIN(TestLayoutResizer)
#include "test_layout_resizer.moc"

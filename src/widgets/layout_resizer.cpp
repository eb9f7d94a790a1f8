#include "widgets/layout_resizer.h"

#include "widgets/twips.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <cmath>

LayoutResizer::LayoutResizer(QWidget* form) : QWidget(form), m_form(form)
{
    setFixedSize(Twips::toPixels(WidthTwips), Twips::toPixels(HeightTwips));
    hide(); // a design-time helper: nothing to see while running
    if (form)
        form->installEventFilter(this);
}

QSize LayoutResizer::usableSize(const QSize& outer)
{
    return {outer.width() - FrameAcrossPixels, outer.height() - FrameDownPixels};
}

QSize LayoutResizer::usableSize() const
{
    return m_form ? usableSize(m_form->size() + m_frameExtra) : QSize();
}

LayoutResizer::Fractions LayoutResizer::toFractions(const QRect& geometry, const QSize& usable)
{
    const double across = usable.width();
    const double down = usable.height();
    return {geometry.x() / across, geometry.y() / down, geometry.width() / across,
            geometry.height() / down};
}

QRect LayoutResizer::applyFractions(const Fractions& fractions, const QSize& usable,
                                    const QRect& current)
{
    const int left = qRound(fractions.left * usable.width());
    const int top = qRound(fractions.top * usable.height());
    const int width =
        usable.width() >= 0 ? qRound(fractions.width * usable.width()) : current.width();
    const int height =
        usable.height() >= 0 ? qRound(fractions.height * usable.height()) : current.height();
    return {left, top, width, height};
}

bool LayoutResizer::isControl(const QWidget* widget, const QWidget* form)
{
    if (!widget || widget == form || widget->isWindow())
        return false;
    for (const QWidget* container = widget->parentWidget(); container;
         container = container->parentWidget()) {
        if (container->layout())
            return false; // the layout places it
        if (container == form)
            return true;
        if (container->isWindow())
            return false;
        const QMetaObject* kind = container->metaObject();
        if (kind != &QWidget::staticMetaObject && kind != &QFrame::staticMetaObject &&
            kind != &QGroupBox::staticMetaObject)
            return false; // part of a composite widget
    }
    return false; // not on the form at all
}

void LayoutResizer::record()
{
    m_records.clear();
    m_recorded = false;
    if (!m_form)
        return;
    m_frameExtra = m_form->frameGeometry().size() - m_form->size();
    const QSize usable = usableSize();
    if (usable.width() <= 0 || usable.height() <= 0)
        return; // no proportions to take from a form smaller than its borders
    for (QWidget* widget : m_form->findChildren<QWidget*>()) {
        if (isControl(widget, m_form))
            m_records.append({widget, toFractions(widget->geometry(), usable)});
    }
    m_recordedUsable = usable;
    m_recorded = true;
}

QSize LayoutResizer::formSizeForScale(double across, double down) const
{
    if (!m_recorded)
        return {};
    const auto atLeast = [](double value) { return int(std::ceil(value - 1e-9)); };
    return {atLeast(across * m_recordedUsable.width()) + FrameAcrossPixels - m_frameExtra.width(),
            atLeast(down * m_recordedUsable.height()) + FrameDownPixels - m_frameExtra.height()};
}

void LayoutResizer::apply()
{
    if (!m_recorded || !m_form)
        return;
    const QSize usable = usableSize();
    for (const Record& record : std::as_const(m_records)) {
        QWidget* widget = record.widget;
        if (!widget || widget->property(SkipProperty).toBool())
            continue;
        const QRect target = applyFractions(record.fractions, usable, widget->geometry());
        if (widget == this)
            move(target.topLeft()); // keeps its fixed design size
        else
            widget->setGeometry(target);
    }
}

bool LayoutResizer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form && event->type() == QEvent::Resize)
        apply();
    return QWidget::eventFilter(watched, event);
}

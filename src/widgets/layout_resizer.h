#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

// Keeps a form's controls in proportion to the form. record() notes every control's left,
// top, width and height as fractions of the form's usable size; each later resize of the form
// puts them back from those fractions. The resizer is itself a small hidden widget on the form.
//
// Usable size = the form's outer size less 4 pixels across and 26 down. The outer size is the
// client size plus the window frame as it was known at record(): a frame the window manager
// adds later (after the first show) is not mixed in, so recording and resizing always measure
// alike and the design size gives back the design rectangles.
//
// Controls are the form's descendant widgets, in findChildren() order, that sit directly on the
// form or inside plain containers (QWidget, QFrame, QGroupBox) without a layout. Separate
// windows (menus, dialogs) and the inner parts of composite widgets (scroll-area viewports,
// scroll bars, combo-box editors) are left to their owners, which position them themselves.
class LayoutResizer : public QWidget {
    Q_OBJECT
public:
    static constexpr int WidthTwips = 1005;
    static constexpr int HeightTwips = 735;
    static constexpr int FrameAcrossPixels = 4;
    static constexpr int FrameDownPixels = 26;
    // A widget with this property set to true is left where it is (e.g. a full-screen video).
    static constexpr const char* SkipProperty = "tamrelResizerSkip";

    struct Fractions {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
    };

    // Attaches to the form (its parent) and watches its resizes; records nothing yet.
    explicit LayoutResizer(QWidget* form);

    // Call once the form has loaded and its controls are in their design places.
    void record();
    // Places the recorded controls for the form's current size (done on every resize).
    void apply();

    bool isRecorded() const { return m_recorded; }
    // The form's size at which every control stands at these fractions of its recorded size
    // (across and down); empty before record().
    QSize formSizeForScale(double across, double down) const;
    int recordCount() const { return int(m_records.size()); }
    QSize usableSize() const;

    static QSize usableSize(const QSize& outer);
    static Fractions toFractions(const QRect& geometry, const QSize& usable);
    // The rectangle for a usable size. Where a usable dimension is negative the matching
    // extent of `current` is kept and only the position follows.
    static QRect applyFractions(const Fractions& fractions, const QSize& usable,
                                const QRect& current);
    // Whether the resizer scales this descendant of the form (see the class comment).
    static bool isControl(const QWidget* widget, const QWidget* form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Record {
        QPointer<QWidget> widget;
        Fractions fractions;
    };

    QPointer<QWidget> m_form;
    QList<Record> m_records;
    QSize m_frameExtra{0, 0}; // window frame around the client area, as known at record()
    QSize m_recordedUsable;
    bool m_recorded = false;
};

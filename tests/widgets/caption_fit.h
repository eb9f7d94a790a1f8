#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>

class QWidget;

// Checks that the caption of every push button, label, option button and check box in a window
// (the window itself included) can be shown whole in its rectangle in the font the control
// uses. Mnemonic '&'s take no room; empty captions (icon-only buttons, pictures) are skipped.
class CaptionFit {
public:
    // Push buttons that draw their caption word-wrapped, by objectName.
    explicit CaptionFit(QSet<QString> wrappingButtons = {})
        : m_wrappingButtons(std::move(wrappingButtons))
    {
    }

    // One line per caption that does not fit: objectName, text, width and the width it needs
    // (height and needed height where the lines do not fit downwards).
    QStringList check(const QWidget* window);
    // Captions measured by the last check().
    int checked() const { return m_checked; }

private:
    QSet<QString> m_wrappingButtons;
    int m_checked = 0;
};

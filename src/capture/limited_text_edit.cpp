#include "capture/limited_text_edit.h"

#include <QScopedValueRollback>
#include <QTextCursor>

namespace {

struct Insertion {
    int start;
    int end;
};

// Where `after` differs from `before` by text put in (and maybe some taken out): the common
// beginning and end of the two are what stayed.
Insertion insertionBetween(const QString& before, const QString& after)
{
    const int shorter = int(qMin(before.size(), after.size()));
    int prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix))
        ++prefix;
    int suffix = 0;
    while (suffix < shorter - prefix &&
           before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
        ++suffix;
    return {prefix, int(after.size()) - suffix};
}

} // namespace

LimitedTextEdit::LimitedTextEdit(int maxLength, QWidget* parent)
    : QPlainTextEdit(parent), m_maxLength(maxLength)
{
    connect(this, &QPlainTextEdit::textChanged, this, &LimitedTextEdit::keepWithinLimit);
}

void LimitedTextEdit::setText(const QString& text)
{
    const QScopedValueRollback setting(m_setting, true);
    setPlainText(text);
    m_accepted = toPlainText();
}

void LimitedTextEdit::keepWithinLimit()
{
    if (m_setting)
        return;
    const QString text = toPlainText();
    const int excess = int(text.size()) - qMax(m_maxLength, int(m_accepted.size()));
    if (excess <= 0) {
        m_accepted = text;
        return;
    }
    const Insertion added = insertionBetween(m_accepted, text);
    int start = qMax(added.start, added.end - excess);
    // Never half a character made of two code units.
    if (start > 0 && start < text.size() && text.at(start).isLowSurrogate())
        --start;

    QTextCursor cursor(document());
    cursor.joinPreviousEditBlock(); // undone together with the insertion it shortens
    cursor.setPosition(start);
    cursor.setPosition(added.end, QTextCursor::KeepAnchor);
    {
        const QScopedValueRollback setting(m_setting, true);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
    m_accepted = toPlainText();
}

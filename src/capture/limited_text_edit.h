#pragma once

#include <QPlainTextEdit>
#include <QString>

// A multi-line text box that takes at most a number of characters from the user, typed,
// pasted or dropped; what does not fit is cut from the end of what was added. Text set by the
// program is kept whole, as the user may only shorten it then.
class LimitedTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    LimitedTextEdit(int maxLength, QWidget* parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setText(const QString& text);
    QString text() const { return toPlainText(); }

private:
    void keepWithinLimit();

    int m_maxLength;
    QString m_accepted; // the text as it was after the last change that was kept
    bool m_setting = false;
};

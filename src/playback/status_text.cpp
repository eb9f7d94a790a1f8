#include "playback/status_text.h"

namespace StatusText {

QString properCase(const QString& text)
{
    QString result = text.toLower();
    bool wordStart = true;
    for (QChar& c : result) {
        if (c == ' ') {
            wordStart = true;
        } else if (wordStart) {
            c = c.toUpper();
            wordStart = false;
        }
    }
    return result;
}

// The status line is one line: a file name's line breaks, tabs and other control characters
// show as spaces.
QString oneLine(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return result;
}

QString fileNotFound(const QString& name)
{
    return QStringLiteral("File not found: ") + oneLine(name);
}

QString fileUnreadable(const QString& name)
{
    return QStringLiteral("File cannot be read: ") + oneLine(name);
}

QString playing(const QString& fileName)
{
    return QStringLiteral("Playing ") + properCase(oneLine(fileName)) +
           QStringLiteral("  ........");
}

} // namespace StatusText

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

QString playing(const QString& fileName)
{
    return QStringLiteral("Playing ") + properCase(fileName) + QStringLiteral("  ........");
}

} // namespace StatusText

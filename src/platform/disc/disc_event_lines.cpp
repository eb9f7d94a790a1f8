#include "platform/disc/disc_event_lines.h"

QList<DiscChange> DiscEventLines::feed(QByteArrayView bytes)
{
    QList<DiscChange> changes;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        if (!m_tooLong && m_line.size() + piece.size() <= MaxLine)
            m_line.append(piece);
        else {
            m_tooLong = true;
            m_line.clear();
        }
        if (end < 0)
            break;
        if (!m_tooLong)
            if (const std::optional<DiscChange> change = parse(m_line))
                changes << *change;
        m_line.clear();
        m_tooLong = false;
        bytes = bytes.sliced(end + 1);
    }
    return changes;
}

std::optional<DiscChange> DiscEventLines::parse(QByteArrayView line)
{
    line = line.trimmed();
    const qsizetype space = line.indexOf(' ');
    if (space < 0 || line.size() > MaxLine)
        return std::nullopt;
    const QByteArrayView word = line.first(space);
    const QByteArrayView node = line.sliced(space + 1).trimmed();
    if (node.isEmpty())
        return std::nullopt;
    for (const char c : node)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return std::nullopt;
    const QString path = QString::fromUtf8(node);
    if (path.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    if (word == "inserted")
        return DiscChange{path, true};
    if (word == "removed")
        return DiscChange{path, false};
    return std::nullopt;
}

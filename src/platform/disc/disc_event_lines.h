#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// One disc going in or out of a drive.
struct DiscChange {
    QString deviceNode;
    bool present = false;

    bool operator==(const DiscChange&) const = default;
};

// The text form of disc changes that TAMREL_DISC_EVENTS feeds: one "inserted NODE" or
// "removed NODE" a line. Anything else is a line to skip: unknown words, an empty node,
// control characters, and lines longer than MaxLine bytes (dropped whole, however long, without
// holding more than MaxLine bytes).
class DiscEventLines {
public:
    static constexpr qsizetype MaxLine = 4096;

    // The changes of the lines that `bytes` completes, in order.
    QList<DiscChange> feed(QByteArrayView bytes);
    static std::optional<DiscChange> parse(QByteArrayView line);

private:
    QByteArray m_line;
    bool m_tooLong = false; // the line under way has passed MaxLine: skipped to its end
};

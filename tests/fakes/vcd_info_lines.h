#pragma once

// The parser's view of a disc's control files written out as the lines vcd-info (vcdimager)
// prints for them, trimmed, so that a test compares the two line by line: ENTRIES, INFO, the
// LOT and each PSD list with its links and items. vcd-info itself is run by the tests.

#include "platform/disc/read/video_cd_control.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>

namespace VcdInfoLines {

using namespace VideoCdControl;

inline QString hex(int value, int digits)
{
    return QString::number(value, 16).rightJustified(digits, '0');
}

inline QString itemName(int number)
{
    const Item item = playItem(number);
    switch (item.kind) {
    case ItemKind::Track:
        return QStringLiteral("SEQUENCE[%1]").arg(item.index - 2);
    case ItemKind::Entry:
        return QStringLiteral("ENTRY[%1]").arg(item.index - 1);
    case ItemKind::Segment:
        return QStringLiteral("SEGMENT[%1]").arg(item.index - 1);
    case ItemKind::None:
        return QStringLiteral("play nothing");
    case ItemKind::Reserved:
        break;
    }
    return QStringLiteral("?");
}

inline QString linkText(const Link& link)
{
    if (link.none())
        return QStringLiteral("disabled");
    return QStringLiteral("LID[%1] @0x%2").arg(link.listId).arg(hex(link.offset, 4));
}

inline QStringList entryLines(const Entries& e)
{
    QStringList lines{
        QStringLiteral("ID: `%1'").arg(e.format == EntriesFormat::Svcd ? "ENTRYSVD" : "ENTRYVCD"),
        QStringLiteral("version: 0x%1").arg(hex(e.version, 2)),
        QStringLiteral("entries: %1").arg(e.entries.size())};
    for (std::size_t i = 0; i < e.entries.size(); ++i) {
        const Entry& entry = e.entries[i];
        lines << QStringLiteral("ENTRY[%1]: track# %2 (SEQUENCE[%3]), LSN %4 (MSF %5:%6:%7)")
                     .arg(int(i), 2, 10, QChar('0'))
                     .arg(entry.track - 1, 2)
                     .arg(entry.track - 2)
                     .arg(entry.address.lba(), 6)
                     .arg(entry.address.minute, 2, 10, QChar('0'))
                     .arg(entry.address.second, 2, 10, QChar('0'))
                     .arg(entry.address.frame, 2, 10, QChar('0'));
    }
    return lines;
}

inline QStringList infoLines(const Info& info)
{
    const Msf& s = info.firstSegment;
    QStringList lines{QStringLiteral("ID: `%1'").arg(QString::fromStdString(info.systemId)),
                      QStringLiteral("version: 0x%1").arg(hex(info.version, 2)),
                      QStringLiteral("album id: `%1'").arg(QString::fromStdString(info.albumId)),
                      QStringLiteral("volume count: %1").arg(info.volumeCount),
                      QStringLiteral("volume number: %1").arg(info.volumeNumber),
                      QStringLiteral("psd size: %1").arg(info.psdSize),
                      QStringLiteral("first segment addr: %1:%2:%3")
                          .arg(s.minute, 2, 10, QChar('0'))
                          .arg(s.second, 2, 10, QChar('0'))
                          .arg(s.frame, 2, 10, QChar('0')),
                      QStringLiteral("offset multiplier: 0x%1").arg(hex(info.offsetMultiplier, 2)),
                      QStringLiteral("maximum lid: %1").arg(info.maxListId),
                      QStringLiteral("number of segments: %1").arg(info.segmentCount)};
    if (info.format != DiscFormat::Svcd) // the flag is reserved on an SVCD
        lines << QStringLiteral("extended pbc: %1").arg(info.extendedPbc ? "yes" : "no");
    return lines;
}

inline QStringList lotLines(const Lot& lot, int multiplier)
{
    QStringList lines;
    for (const LotEntry& e : lot.lists)
        lines << QStringLiteral("LID[%1]: offset = %2 (0x%3)")
                     .arg(e.listId)
                     .arg(e.offset * multiplier)
                     .arg(hex(e.offset, 4));
    return lines;
}

// The LOT the lists were read through: each list the LOT named, by id.
inline Lot lotOf(const Psd& psd)
{
    Lot lot;
    for (const PsdList& l : psd.lists)
        if (l.lotId != 0)
            lot.lists.push_back({l.lotId, l.offset});
    std::ranges::sort(lot.lists, {}, &LotEntry::listId);
    return lot;
}

// In vcd-info's order, the file's.
inline QStringList psdLines(Psd psd, bool svcd)
{
    std::ranges::sort(psd.lists, {}, &PsdList::offset);
    QStringList lines;
    for (std::size_t i = 0; i < psd.lists.size(); ++i) {
        const PsdList& l = psd.lists[i];
        const char* kinds[] = {"play list", "selection list", "extended selection list",
                               "end list",  "command list",   "unknown"};
        lines << QStringLiteral("PSD[%1] (LID[%2] @0x%3): %4 descriptor")
                     .arg(int(i), 2, 10, QChar('0'))
                     .arg(l.lotId != 0 ? l.lotId : l.listId)
                     .arg(hex(l.offset, 4))
                     .arg(kinds[int(l.kind)]);
        const QString links = QStringLiteral("prev: %1 | next: %2 | return: %3")
                                  .arg(linkText(l.previous), linkText(l.next), linkText(l.back));
        const QString rejected = l.rejected ? "yes" : "no";
        if (l.kind == ListKind::Play) {
            lines << QStringLiteral("NOI: %1 | LID#: %2 (rejected: %3)")
                         .arg(l.items.size())
                         .arg(l.listId)
                         .arg(rejected)
                  << links
                  << QStringLiteral("playtime: %1/15s | wait: %2s | autowait: %3s")
                         .arg(l.playTime)
                         .arg(waitSeconds(l.waitTime).value_or(-1))
                         .arg(waitSeconds(l.autoPauseTime).value_or(-1));
            for (std::size_t k = 0; k < l.items.size(); ++k)
                lines << QStringLiteral("play-item[%1]: %2 (0x%3)")
                             .arg(k)
                             .arg(itemName(l.items[k]))
                             .arg(hex(l.items[k], 4));
        } else if (l.kind == ListKind::End && svcd) { // vcd-info shows these for SVCDs only
            lines << QStringLiteral("next disc number: %1 (if 0 stop PBC handling)").arg(l.nextDisc)
                  << QStringLiteral("change picture item: %1 (0x%2)")
                         .arg(itemName(l.changePicture))
                         .arg(hex(l.changePicture, 4));
        } else if (l.kind == ListKind::Selection || l.kind == ListKind::ExtendedSelection) {
            lines
                << QStringLiteral("Flags: 0x%1 | NOS: %2 | BSN: %3 | LID: %4 (rejected: %5)")
                       .arg(hex(int(l.selectionArea) | int(l.commandList) << 1, 2))
                       .arg(l.selectionCount)
                       .arg(l.baseNumber)
                       .arg(l.listId)
                       .arg(rejected)
                << links
                << QStringLiteral("default: %1 | timeout: %2")
                       .arg(linkText(l.defaultLink), linkText(l.timeoutLink))
                << QStringLiteral("wait: %1 secs | loop: %2 (delayed: %3)")
                       .arg(waitSeconds(l.timeout).value_or(-1))
                       .arg(l.loopCount)
                       .arg(l.jumpDelayed ? "yes" : "no")
                << QStringLiteral("play-item: %1 (0x%2)").arg(itemName(l.item)).arg(hex(l.item, 4));
            for (std::size_t k = 0; k < l.selections.size(); ++k)
                lines << QStringLiteral("ofs[%1]: %2").arg(k).arg(linkText(l.selections[k]));
        }
    }
    return lines;
}

// vcd-info's report on a disc image's ENTRIES, INFO, LOT and PSD, its lines trimmed; nothing
// when it could not read the image.
inline QStringList run(const QString& cueSheet)
{
    QProcess p;
    p.start(QStringLiteral("vcd-info"), {"--terse", "--cue-file=" + cueSheet, "--show-entries-all",
                                         "--show-info-all", "--show-lot", "--show-psd"});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    QStringList lines;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        lines << QString::fromLatin1(line).trimmed();
    return lines;
}

} // namespace VcdInfoLines

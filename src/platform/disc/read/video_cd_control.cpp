#include "platform/disc/read/video_cd_control.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <string_view>

namespace VideoCdControl {

namespace {

// The files are big-endian throughout; each read says whether the bytes were there.
bool has(Bytes b, std::size_t at, std::size_t n)
{
    return at <= b.size() && n <= b.size() - at;
}

int u8(Bytes b, std::size_t at)
{
    return b[at];
}
int u16(Bytes b, std::size_t at)
{
    return b[at] << 8 | b[at + 1];
}
std::uint32_t u32(Bytes b, std::size_t at)
{
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
           std::uint32_t(b[at + 2]) << 8 | std::uint32_t(b[at + 3]);
}

std::optional<int> bcd(int byte)
{
    if ((byte >> 4) > 9 || (byte & 15) > 9)
        return std::nullopt;
    return (byte >> 4) * 10 + (byte & 15);
}

// A BCD m:s:f, nothing when a digit is no decimal one or a field out of its range.
std::optional<Msf> msf(Bytes b, std::size_t at)
{
    const auto m = bcd(b[at]), s = bcd(b[at + 1]), f = bcd(b[at + 2]);
    if (!m || !s || !f || *s > 59 || *f > 74)
        return std::nullopt;
    return Msf{*m, *s, *f};
}

std::string_view text(Bytes b, std::size_t at, std::size_t n)
{
    return {reinterpret_cast<const char*>(b.data() + at), n};
}

std::string trimmed(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return std::string(s);
}

} // namespace

std::optional<Entries> parseEntries(Bytes b)
{
    constexpr std::size_t Header = 12, Size = 4;
    if (!has(b, 0, 8))
        return std::nullopt;
    Entries e;
    const std::string_view id = text(b, 0, 8);
    if (id == "ENTRYSVD")
        e.format = EntriesFormat::Svcd;
    else if (id == "ENTRYVCD")
        e.format = EntriesFormat::Vcd11;
    else
        return std::nullopt;
    if (!has(b, 0, Header)) {
        e.problems.push_back("the header ends early");
        return e;
    }
    e.version = u8(b, 8);
    if (e.format == EntriesFormat::Vcd11 && e.version >= 2)
        e.format = EntriesFormat::Vcd20;
    e.declaredCount = u16(b, 10);
    int count = e.declaredCount;
    if (count > MaxEntries) {
        e.problems.push_back("more than 500 entries declared");
        count = MaxEntries;
    }
    const std::size_t fit = (b.size() - Header) / Size;
    if (std::size_t(count) > fit) {
        e.problems.push_back("the entries run past the file's end");
        count = int(fit);
    }
    for (int i = 0; i < count; ++i) {
        const std::size_t at = Header + std::size_t(i) * Size;
        Entry entry;
        const auto track = bcd(b[at]);
        const auto address = msf(b, at + 1);
        entry.track = track.value_or(0);
        entry.address = address.value_or(Msf{});
        entry.valid = track && address && *track >= 2 && *track <= 99;
        if (!entry.valid)
            e.problems.push_back("entry " + std::to_string(i + 1) + " is unreadable");
        e.entries.push_back(entry);
    }
    return e;
}

SegmentKind Segment::kind() const
{
    switch (video) {
    case 0:
        return audio == 0 ? SegmentKind::None : SegmentKind::Audio;
    case 3:
    case 7:
        return SegmentKind::Motion;
    default:
        return SegmentKind::Still;
    }
}

std::optional<Info> parseInfo(Bytes b)
{
    if (!has(b, 0, 8))
        return std::nullopt;
    Info info;
    info.systemId = std::string(text(b, 0, 8));
    if (info.systemId != "VIDEO_CD" && info.systemId != "SUPERVCD" && info.systemId != "HQ-VCD  ")
        return std::nullopt;
    // Each field is read only when the file holds all of it; the first missing one ends it.
    const auto missing = [&info](std::size_t at, std::size_t n, Bytes bytes, const char* what) {
        if (has(bytes, at, n))
            return false;
        info.problems.push_back(std::string("the file ends before ") + what);
        return true;
    };
    if (missing(8, 2, b, "the version"))
        return info;
    info.version = u8(b, 8);
    info.profile = u8(b, 9);
    if (info.systemId == "SUPERVCD")
        info.format = DiscFormat::Svcd;
    else if (info.systemId == "HQ-VCD  ")
        info.format = DiscFormat::HqVcd;
    else if (info.version == 2)
        info.format = DiscFormat::Vcd20;
    else if (info.version == 1)
        info.format = DiscFormat::Vcd11;
    if (missing(10, 16, b, "the album id"))
        return info;
    info.albumId = trimmed(text(b, 10, 16));
    if (missing(26, 4, b, "the volume numbers"))
        return info;
    info.volumeCount = u16(b, 26);
    info.volumeNumber = u16(b, 28);
    if (missing(43, 1, b, "the status flags"))
        return info;
    info.extendedPbc = b[43] & 0x80;
    if (missing(44, 4, b, "the PSD size"))
        return info;
    info.psdSize = u32(b, 44);
    if (missing(48, 3, b, "the first segment's address"))
        return info;
    if (const auto address = msf(b, 48))
        info.firstSegment = *address;
    else
        info.problems.push_back("the first segment's address is unreadable");
    if (missing(51, 1, b, "the offset multiplier"))
        return info;
    info.offsetMultiplier = u8(b, 51);
    if (missing(52, 2, b, "the maximum list id"))
        return info;
    info.maxListId = u16(b, 52);
    if (missing(54, 2, b, "the segment count"))
        return info;
    info.segmentCount = u16(b, 54);
    int count = info.segmentCount;
    if (count > MaxSegments) {
        info.problems.push_back("more than 1980 segments declared");
        count = MaxSegments;
    }
    if (std::size_t(count) > b.size() - 56) {
        info.problems.push_back("the segments run past the file's end");
        count = int(b.size() - 56);
    }
    for (int i = 0; i < count; ++i) {
        const int c = b[56 + std::size_t(i)];
        info.segments.push_back(Segment{c & 3, c >> 2 & 7, bool(c & 0x20), c >> 6});
    }
    return info;
}

Lot parseLot(Bytes b)
{
    Lot lot;
    constexpr std::size_t Ids = 32767;
    if (b.size() < 2) {
        lot.problems.push_back("the file is too short");
        return lot;
    }
    const std::size_t fit = (b.size() - 2) / 2;
    if (fit < Ids && b.size() % 2 != 0)
        lot.problems.push_back("the file ends inside an offset");
    for (std::size_t i = 0; i < std::min(fit, Ids); ++i) {
        const int offset = u16(b, 2 + 2 * i);
        if (offset != NoOffset)
            lot.lists.push_back(LotEntry{int(i) + 1, std::uint16_t(offset)});
    }
    return lot;
}

namespace {

// Reads the descriptor at `at`; fields past the end stay as they are and the list incomplete.
PsdList readList(Bytes b, std::size_t at, std::uint16_t offset)
{
    PsdList list;
    list.offset = offset;
    const auto link = [&b](std::size_t p) { return Link{std::uint16_t(u16(b, p)), 0}; };
    switch (b[at]) {
    case 0x10: {
        list.kind = ListKind::Play;
        if (!has(b, at, 14))
            return list;
        const int count = u8(b, at + 1);
        list.listId = u16(b, at + 2);
        list.previous = link(at + 4);
        list.next = link(at + 6);
        list.back = link(at + 8);
        list.playTime = u16(b, at + 10);
        list.waitTime = b[at + 12];
        list.autoPauseTime = b[at + 13];
        for (int i = 0; i < count && has(b, at + 14 + 2 * std::size_t(i), 2); ++i)
            list.items.push_back(u16(b, at + 14 + 2 * std::size_t(i)));
        list.complete = int(list.items.size()) == count;
        break;
    }
    case 0x18:
    case 0x1a: {
        list.kind = b[at] == 0x18 ? ListKind::Selection : ListKind::ExtendedSelection;
        if (!has(b, at, 20))
            return list;
        list.selectionArea = b[at + 1] & 1;
        list.commandList = b[at + 1] & 2;
        list.selectionCount = u8(b, at + 2);
        list.baseNumber = u8(b, at + 3);
        list.listId = u16(b, at + 4);
        list.previous = link(at + 6);
        list.next = link(at + 8);
        list.back = link(at + 10);
        list.defaultLink = link(at + 12);
        list.timeoutLink = link(at + 14);
        list.timeout = b[at + 16];
        list.loopCount = b[at + 17] & 0x7f;
        list.jumpDelayed = b[at + 17] & 0x80;
        list.item = u16(b, at + 18);
        const std::size_t n = std::size_t(list.selectionCount);
        for (std::size_t i = 0; i < n && has(b, at + 20 + 2 * i, 2); ++i)
            list.selections.push_back(link(at + 20 + 2 * i));
        list.complete = list.selections.size() == n;
        // Super Video CDs mark their areas with the flag instead of the extended type.
        if ((list.kind == ListKind::ExtendedSelection || list.selectionArea) && list.complete) {
            const std::size_t start = at + 20 + 2 * n;
            for (std::size_t i = 0; i < 4 + n && has(b, start + 4 * i, 4); ++i) {
                const std::size_t p = start + 4 * i;
                list.areas.push_back(Area{b[p], b[p + 1], b[p + 2], b[p + 3]});
            }
            list.complete = list.areas.size() == 4 + n;
        }
        break;
    }
    case 0x1f:
        list.kind = ListKind::End;
        if (!has(b, at, 4))
            return list;
        list.nextDisc = u8(b, at + 1);
        list.changePicture = u16(b, at + 2);
        list.complete = true;
        break;
    case 0x20:
        list.kind = ListKind::Command;
        if (!has(b, at, 5))
            return list;
        list.listId = u16(b, at + 3);
        list.complete = true;
        break;
    default:
        return list;
    }
    list.rejected = list.listId & 0x8000;
    list.listId &= 0x7fff;
    return list;
}

} // namespace

Psd parsePsd(Bytes b, const Lot& lot, int offsetMultiplier)
{
    Psd psd;
    if (offsetMultiplier < 1 || offsetMultiplier > 255) {
        psd.problems.push_back("the offset multiplier is out of range");
        return psd;
    }
    const auto name = [](std::uint16_t offset) { return "offset " + std::to_string(offset); };
    // Each offset is read once, so links in a circle (or to themselves) end; a link is queued
    // only to an offset not met before, so the queue stays within the offsets there are.
    std::map<std::uint16_t, std::size_t> read; // offset to its list's index
    std::set<std::uint16_t> met;
    std::deque<std::pair<std::uint16_t, int>> pending; // offset and LOT id
    for (const LotEntry& entry : lot.lists) {
        pending.emplace_back(entry.offset, entry.listId);
        met.insert(entry.offset);
    }
    const auto follow = [&pending, &met](const Link& link) {
        if (link.offset < MultiDefaultNoNumber && met.insert(link.offset).second)
            pending.emplace_back(link.offset, 0);
    };
    while (!pending.empty()) {
        const auto [offset, lotId] = pending.front();
        pending.pop_front();
        // Only LOT ids come back to an offset read: links are queued to new ones only.
        if (const auto known = read.find(offset); known != read.end()) {
            const PsdList& list = psd.lists[known->second];
            psd.problems.push_back("list " + std::to_string(lotId) + " shares " + name(offset) +
                                   " with list " + std::to_string(list.lotId));
            continue;
        }
        const std::size_t at = std::size_t(offset) * std::size_t(offsetMultiplier);
        if (at >= b.size()) {
            psd.problems.push_back(name(offset) + " lies past the file's end");
            continue;
        }
        PsdList list = readList(b, at, offset);
        list.lotId = lotId;
        if (list.kind == ListKind::Unknown)
            psd.problems.push_back(name(offset) + " holds no list");
        else if (!list.complete)
            psd.problems.push_back(name(offset) + " runs past the file's end");
        if (lotId != 0 && list.listId != 0 && list.listId != lotId)
            psd.problems.push_back(name(offset) + " is list " + std::to_string(list.listId) +
                                   ", the LOT says " + std::to_string(lotId));
        for (const Link* link :
             {&list.previous, &list.next, &list.back, &list.defaultLink, &list.timeoutLink})
            follow(*link);
        for (const Link& link : list.selections)
            follow(link);
        read.emplace(offset, psd.lists.size());
        psd.lists.push_back(std::move(list));
    }
    // Links name the lists they reach by id, where a list was read at their offset.
    const auto resolve = [&](Link& link) {
        if (const auto found = read.find(link.offset); found != read.end()) {
            const PsdList& target = psd.lists[found->second];
            link.listId = target.lotId != 0 ? target.lotId : target.listId;
        }
    };
    for (PsdList& list : psd.lists) {
        for (Link* link :
             {&list.previous, &list.next, &list.back, &list.defaultLink, &list.timeoutLink})
            resolve(*link);
        for (Link& link : list.selections)
            resolve(link);
    }
    return psd;
}

std::optional<int> waitSeconds(std::uint8_t code)
{
    if (code == 255)
        return std::nullopt;
    if (code <= 60)
        return code;
    return (code - 60) * 10 + 60;
}

Item playItem(int number)
{
    if (number >= 0 && number <= 1)
        return {ItemKind::None, 0};
    if (number >= 2 && number <= 99)
        return {ItemKind::Track, number};
    if (number >= 100 && number <= 599)
        return {ItemKind::Entry, number - 99};
    if (number >= 1000 && number <= 2979)
        return {ItemKind::Segment, number - 999};
    return {ItemKind::Reserved, 0};
}

} // namespace VideoCdControl

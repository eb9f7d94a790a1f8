// A Video CD's control files from untrusted discs: the input is read as ENTRIES, INFO and LOT
// as it is, then split into a LOT and a PSD (the first byte the offset multiplier, the next two
// the LOT's length). Whatever a result holds must be what the bytes hold at its place, and no
// count may exceed what the bytes can carry. The same bytes are read as the sectors of a track
// for the clock of its MPEG packs, which must be a time the clock field can hold.

#include "fuzz_support.h"
#include "platform/disc/read/mpeg_pack_clock.h"
#include "platform/disc/read/video_cd_control.h"

#include <set>

using namespace VideoCdControl;
using Fuzz::require;

namespace {

int u16(Bytes b, std::size_t at)
{
    return b[at] << 8 | b[at + 1];
}

void checkEntries(Bytes b)
{
    const auto e = parseEntries(b);
    if (!e)
        return;
    require(e->entries.size() <= std::size_t(MaxEntries), "no more than 500 entries");
    require(e->entries.size() <= (b.size() < 12 ? 0 : (b.size() - 12) / 4),
            "entries within the file");
    for (std::size_t i = 0; i < e->entries.size(); ++i) {
        const Entry& entry = e->entries[i];
        const int track = b[12 + 4 * i];
        if (entry.valid)
            require(entry.track == (track >> 4) * 10 + (track & 15) && entry.track >= 2 &&
                        entry.address.second < 60 && entry.address.frame < 75,
                    "an entry as recorded");
    }
}

void checkInfo(Bytes b)
{
    const auto info = parseInfo(b);
    if (!info)
        return;
    require(info->segments.size() <= std::size_t(MaxSegments) &&
                info->segments.size() <= std::size_t(info->segmentCount),
            "no more segments than declared");
    for (std::size_t i = 0; i < info->segments.size(); ++i) {
        require(56 + i < b.size(), "segments within the file");
        const Segment& s = info->segments[i];
        require((s.audio | s.video << 2 | int(s.continuation) << 5 | s.ogt << 6) == b[56 + i],
                "a segment as recorded");
    }
}

Lot checkLot(Bytes b)
{
    Lot lot = parseLot(b);
    int last = 0;
    for (const LotEntry& e : lot.lists) {
        require(e.listId > last && 2 + 2 * std::size_t(e.listId) <= b.size(),
                "LOT ids in order, within the file");
        require(e.offset == u16(b, 2 * std::size_t(e.listId)), "a LOT offset as recorded");
        last = e.listId;
    }
    return lot;
}

void checkPsd(Bytes b, const Lot& lot, int multiplier)
{
    const Psd psd = parsePsd(b, lot, multiplier);
    if (multiplier == 0) {
        require(psd.lists.empty(), "nothing read without a multiplier");
        return;
    }
    require(psd.lists.size() <= b.size() / std::size_t(multiplier) + 1, "each offset read once");
    std::set<int> ids;
    std::set<std::uint16_t> offsets;
    for (const PsdList& l : psd.lists) {
        require(offsets.insert(l.offset).second, "each offset read once");
        ids.insert(l.lotId != 0 ? l.lotId : l.listId);
    }
    for (const PsdList& l : psd.lists) {
        const std::size_t at = std::size_t(l.offset) * std::size_t(multiplier);
        require(at < b.size(), "a list within the file");
        for (std::size_t i = 0; i < l.items.size(); ++i)
            require(at + 14 + 2 * i + 2 <= b.size() && l.items[i] == u16(b, at + 14 + 2 * i),
                    "an item number as recorded");
        require(l.selections.size() <= std::size_t(l.selectionCount) &&
                    (l.selections.empty() || at + 20 + 2 * l.selections.size() <= b.size()),
                "selections within the file");
        require(l.areas.empty() ||
                    (l.areas.size() <= 4 + l.selections.size() &&
                     at + 20 + 2 * l.selections.size() + 4 * l.areas.size() <= b.size()),
                "areas within the file, no more than the links");
        for (std::size_t i = 0; i < l.selections.size(); ++i)
            require(l.selections[i].offset == u16(b, at + 20 + 2 * i), "a selection as recorded");
        for (const Link* link : {&l.previous, &l.next, &l.back, &l.defaultLink, &l.timeoutLink})
            require(link->listId == 0 ||
                        (offsets.contains(link->offset) && ids.contains(link->listId)),
                    "a link reaches a list read");
        for (const Link& link : l.selections)
            require(link.listId == 0 ||
                        (offsets.contains(link.offset) && ids.contains(link.listId)),
                    "a selection reaches a list read");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const Bytes all(data, size);
    // 33 bits of a 90 kHz clock: about 26.5 hours.
    for (const auto clock : {MpegPackClock::at(all), MpegPackClock::first(all)})
        require(!clock || (*clock >= 0 && *clock < 95444), "a pack's clock within its field");
    checkEntries(all);
    checkInfo(all);
    checkLot(all);
    if (size < 3)
        return 0;
    const int multiplier = data[0];
    const std::size_t lotSize =
        std::min<std::size_t>(std::size_t(data[1] << 8 | data[2]), size - 3);
    const Lot lot = checkLot(all.subspan(3, lotSize));
    checkPsd(all.subspan(3 + lotSize), lot, multiplier);
    return 0;
}

#include "videocd/disc_items.h"

namespace VideoCd {

using VideoCdControl::Item;
using VideoCdControl::ItemKind;
using VideoCdControl::playItem;
using VideoCdControl::SegmentKind;

bool DiscItems::names(int number) const
{
    const Item item = playItem(number);
    switch (item.kind) {
    case ItemKind::Track:
        return item.index <= trackCount + 1;
    case ItemKind::Entry:
        return item.index <= entryCount;
    case ItemKind::Segment:
        return item.index <= int(segments.size()) &&
               segments[std::size_t(item.index - 1)] != SegmentKind::None;
    case ItemKind::None:
    case ItemKind::Reserved:
        break;
    }
    return false;
}

bool DiscItems::isStill(int number) const
{
    const Item item = playItem(number);
    return item.kind == ItemKind::Segment && item.index <= int(segments.size()) &&
           segments[std::size_t(item.index - 1)] == SegmentKind::Still;
}

} // namespace VideoCd

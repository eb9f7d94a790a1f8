// The lines of TAMREL_DISC_EVENTS on any bytes, fed whole and in pieces. Checks that the
// pieces give the same changes as the whole, that the line being gathered never grows past
// its bound, and that every change names a node without control characters.
//
// Input: one byte, the size of the pieces (1 to 256), then the bytes of the FIFO.

#include "fuzz_support.h"
#include "platform/disc/disc_event_lines.h"

namespace {

using Fuzz::require;

bool printable(const QString& node)
{
    if (node.isEmpty())
        return false;
    for (const QChar c : node)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::ReplacementCharacter)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype piece = data[0] + 1;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    DiscEventLines whole;
    const QList<DiscChange> all = whole.feed(bytes);
    DiscEventLines pieces;
    QList<DiscChange> gathered;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        gathered << pieces.feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));
    require(gathered == all, "pieces give what the whole gives");

    const qsizetype lines = bytes.count('\n');
    require(all.size() <= lines, "at most one change a line");
    for (const DiscChange& change : all) {
        require(printable(change.deviceNode), "a node of printable text");
        require(change.deviceNode.toUtf8().size() <= DiscEventLines::MaxLine, "a bounded node");
    }
    for (const QByteArray& line : bytes.toByteArray().split('\n'))
        if (const std::optional<DiscChange> change = DiscEventLines::parse(line))
            require(line.contains(change->present ? "inserted" : "removed"), "the word it says");
    return 0;
}

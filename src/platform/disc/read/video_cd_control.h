#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The control files of a Video CD's VCD (or SVCD) folder: ENTRIES (where songs start), INFO
// (the disc's identity and its segment play items), LOT (list ids to PSD offsets) and PSD (the
// play, selection and end lists of playback control). Pure functions over the files' bytes:
// every length, count and offset in them is checked against the bytes at hand, and what could
// not be read is named in the result's problems instead of being guessed.

namespace VideoCdControl {

using Bytes = std::span<const std::uint8_t>;

// A disc address as recorded (binary-coded decimal on the disc, decoded here).
struct Msf {
    int minute{};
    int second{};
    int frame{};
    // The sector counted from the disc's start, past the two-second lead-in gap.
    int lba() const { return (minute * 60 + second) * 75 + frame - 150; }
    friend bool operator==(const Msf&, const Msf&) = default;
};

// ENTRIES.VCD / ENTRIES.SVD.
enum class EntriesFormat {
    Vcd11, // "ENTRYVCD" version 1: VCD 1.1, and SVCD discs that use the VCD name
    Vcd20, // "ENTRYVCD" version 2
    Svcd,  // "ENTRYSVD"
};

struct Entry {
    int track{}; // 2..99
    Msf address;
    bool valid{}; // false when a field is no decimal code or the track is out of range
};

struct Entries {
    EntriesFormat format{};
    int version{};              // as recorded
    int declaredCount{};        // as recorded, before any limit
    std::vector<Entry> entries; // entry n of the disc (item 99 + n) is entries[n - 1]
    std::vector<std::string> problems;
};

inline constexpr int MaxEntries = 500;

// Nothing when the bytes do not start with an ENTRIES file's name.
std::optional<Entries> parseEntries(Bytes bytes);

// INFO.VCD / INFO.SVD.
enum class DiscFormat { Vcd11, Vcd20, Svcd, HqVcd, Unknown };

enum class SegmentKind {
    None,   // no video and no audio
    Audio,  // sound only
    Still,  // still picture(s), with or without sound
    Motion, // moving pictures
};

struct Segment {
    int audio{};         // 0 none, 1 one stream, 2 two streams, 3 multi-channel
    int video{};         // 0 none, 1/2 NTSC still, 3 NTSC motion, 5/6 PAL still, 7 PAL motion
    bool continuation{}; // the second or a later segment of one play item
    int ogt{};           // the SVCD subtitle streams present
    SegmentKind kind() const;
};

inline constexpr int MaxSegments = 1980;

struct Info {
    DiscFormat format{DiscFormat::Unknown};
    std::string systemId; // "VIDEO_CD", "SUPERVCD", "HQ-VCD  "
    int version{};
    int profile{};
    std::string albumId; // trailing spaces and zeros removed
    int volumeCount{};
    int volumeNumber{};
    bool extendedPbc{}; // the EXT folder holds the extended PSD and LOT
    std::uint32_t psdSize{};
    Msf firstSegment;
    int offsetMultiplier{};
    int maxListId{};
    int segmentCount{};            // as recorded, before any limit
    std::vector<Segment> segments; // segment item 1000 + n is segments[n]
    std::vector<std::string> problems;
};

// Nothing when the bytes do not start with an INFO file's name.
std::optional<Info> parseInfo(Bytes bytes);

// LOT.VCD / LOT.SVD.
struct LotEntry {
    int listId{};           // 1..32767
    std::uint16_t offset{}; // in units of the offset multiplier
};

struct Lot {
    std::vector<LotEntry> lists; // used entries only, by list id
    std::vector<std::string> problems;
};

inline constexpr std::uint16_t NoOffset = 0xffff;
inline constexpr std::uint16_t MultiDefault = 0xfffe;         // default: the selection played
inline constexpr std::uint16_t MultiDefaultNoNumber = 0xfffd; // the same, numbers disabled

Lot parseLot(Bytes bytes);

// PSD.VCD / PSD.SVD.
enum class ListKind { Play, Selection, ExtendedSelection, End, Command, Unknown };

// A link to another list: its offset as recorded, in units of the multiplier, or one of the
// marks above.
struct Link {
    std::uint16_t offset{NoOffset};
    int listId{}; // the list found at that offset, 0 when none was read there
    bool none() const { return offset == NoOffset; }
    friend bool operator==(const Link&, const Link&) = default;
};

struct Area {
    int x1{}, y1{}, x2{}, y2{};
};

struct PsdList {
    ListKind kind{ListKind::Unknown};
    std::uint16_t offset{}; // where it lies, in units of the multiplier
    int listId{};           // as the descriptor records it, without the rejected bit
    int lotId{};            // the LOT's id for it, 0 when it was reached only through a link
    bool rejected{};        // not reachable by number: the high bit of its list id
    bool complete{};        // false when the descriptor runs past the file's end

    // Play lists.
    std::vector<int> items;  // play item numbers
    int playTime{};          // in 1/15 s, 0 for whole items
    std::uint8_t waitTime{}; // after the list; waitSeconds() converts
    std::uint8_t autoPauseTime{};

    // Play and selection lists.
    Link previous, next, back;

    // Selection lists.
    int baseNumber{};
    int selectionCount{};         // as recorded
    std::vector<Link> selections; // what number baseNumber + i selects
    Link defaultLink, timeoutLink;
    std::uint8_t timeout{}; // as waitTime
    int loopCount{};        // 0: for ever
    bool jumpDelayed{};     // a selection waits for the item's end instead of cutting it short
    bool selectionArea{};
    bool commandList{};
    int item{}; // the background play item
    // Extended lists, or any with the area flag: previous, next, return, default, then selections.
    std::vector<Area> areas;

    // End lists.
    int nextDisc{};      // 0 to stop
    int changePicture{}; // a still item to show, 0 for none
};

struct Psd {
    std::vector<PsdList> lists; // the LOT's lists by id, then those reached only by links
    std::vector<std::string> problems;
};

// Reads every list the LOT names and every list their links reach, each once.
Psd parsePsd(Bytes bytes, const Lot& lot, int offsetMultiplier);

// A wait time code in seconds: 0..60 as is, 61..254 in steps of ten seconds from 70, nothing
// for 255 (wait for ever).
std::optional<int> waitSeconds(std::uint8_t code);

// What a play item number plays.
enum class ItemKind { None, Track, Entry, Segment, Reserved };
struct Item {
    ItemKind kind{};
    int index{}; // track number, entry number from 1, segment number from 1
};
Item playItem(int number);

} // namespace VideoCdControl

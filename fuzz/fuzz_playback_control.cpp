// The disc's lists followed as a state machine, on lists from untrusted discs. The input is a
// header (the disc's tracks, entries and segment kinds, the offset multiplier, the PSD's and the
// LOT's lengths), a PSD and a LOT read by the real parser, then events fed to
// VideoCd::PlaybackControl with a timer that only records its deadlines:
//   0 start, 1 the item ended, 2 a number (the next byte), 3 Enter, 4 Next, 5 Previous,
//   6 Return, 7/8 the wait's or the play time's deadline runs out (when it runs), 9/10 the
//   same, and when it does not run, one that fired before it was stopped arrives late.
// Every event must return having entered a bounded number of lists, and tell the player only
// what the disc holds; the stage, the list and where() must agree with the step and with the
// deadlines left running.
//
// With TAMREL_FUZZ_WRITE_SEEDS=FOLDER the harness writes its seeds there (lists built with the
// tests' PSD builder) and exits; TAMREL_FUZZ_TRACE=1 shows each event of an input run.

#include "fuzz_support.h"
#include "platform/disc/read/video_cd_control.h"
#include "psd_builder.h"
#include "videocd/playback_control.h"

#include <QRegularExpression>
#include <map>

using Fuzz::require;
using VideoCd::Deadline;
using VideoCd::DiscItems;
using VideoCd::PlaybackControl;
using VideoCd::Step;
using Stage = PlaybackControl::Stage;

namespace {

constexpr std::size_t HeaderSize = 8;
constexpr int MaxSegmentKinds = 16;
constexpr std::size_t MaxEvents = 2000;

class RecordingTimer : public VideoCd::ControlTimer {
public:
    void start(Deadline deadline, int milliseconds) override
    {
        require(milliseconds >= 0, "a deadline in the future");
        due[deadline] = milliseconds;
        ++calls;
    }
    void stop(Deadline deadline) override
    {
        due.erase(deadline);
        ++calls;
    }
    bool running(Deadline deadline) const { return due.contains(deadline); }

    std::map<Deadline, int> due;
    int calls = 0;
};

bool oneOf(Stage stage, std::initializer_list<Stage> stages)
{
    return std::ranges::find(stages, stage) != stages.end();
}

void checkStep(const Step& step, Stage before, int listBefore, const PlaybackControl& control,
               const DiscItems& items, const RecordingTimer& timer)
{
    const Stage stage = control.stage();
    switch (step.kind) {
    case Step::Kind::Nothing:
        require(stage == before && control.listId() == listBefore, "nothing changes nothing");
        break;
    case Step::Kind::Later:
        require(stage == Stage::Menu, "a choice waits only for a menu's background");
        break;
    case Step::Kind::Play:
    case Step::Kind::Loop:
        require(items.names(step.number), "only what the disc holds is played");
        require(step.still == items.isStill(step.number), "a still told as one");
        require(step.item.kind == VideoCdControl::playItem(step.number).kind &&
                    step.item.index == VideoCdControl::playItem(step.number).index,
                "the item named by its number");
        require(step.kind == Step::Kind::Play
                    ? oneOf(stage, {Stage::Playing, Stage::Menu, Stage::Ended})
                    : stage == Stage::Menu,
                "something plays in a stage that plays");
        break;
    case Step::Kind::Hold:
        require(oneOf(stage, {Stage::Showing, Stage::Waiting, Stage::MenuWait, Stage::Ended}),
                "a hold in a stage that waits");
        if (step.seconds)
            require(*step.seconds >= 0 && *step.seconds <= 2000 && timer.running(Deadline::Wait) &&
                        timer.due.at(Deadline::Wait) == *step.seconds * 1000,
                    "a hold of some seconds runs the wait's deadline");
        break;
    case Step::Kind::Stop:
        require(oneOf(stage, {Stage::Ended, Stage::Stopped, Stage::LeadNowhere}),
                "a stop in a stage that stopped");
        break;
    default:
        require(false, "a step of a known kind");
    }
}

void checkState(const PlaybackControl& control, const VideoCdControl::Psd& psd,
                const RecordingTimer& timer)
{
    const Stage stage = control.stage();
    require(int(stage) >= int(Stage::Idle) && int(stage) <= int(Stage::LeadNowhere),
            "a stage of a known kind");
    const int id = control.listId();
    require(id == 0 || std::ranges::any_of(psd.lists,
                                           [id](const VideoCdControl::PsdList& l) {
                                               return (l.lotId != 0 ? l.lotId : l.listId) == id;
                                           }),
            "the list followed is one read");
    require(!timer.running(Deadline::PlayTime) || oneOf(stage, {Stage::Playing, Stage::Showing}),
            "a play time runs only while a play list plays");
    require(!timer.running(Deadline::Wait) ||
                oneOf(stage, {Stage::Showing, Stage::Waiting, Stage::MenuWait}),
            "a wait runs only while something waits");
    const QString where = control.where();
    require(!where.isEmpty(), "where() says something");
    if (oneOf(stage, {Stage::Playing, Stage::Showing})) {
        static const QRegularExpression item(QStringLiteral("item (\\d+) of (\\d+)$"));
        const QRegularExpressionMatch match = item.match(where);
        require(match.hasMatch() && match.captured(1).toInt() >= 1 &&
                    match.captured(1).toInt() <= match.captured(2).toInt(),
                "where() names an item of the list");
    }
}

Step apply(PlaybackControl& control, RecordingTimer& timer, int op, int number)
{
    switch (op) {
    case 0:
        return control.start();
    case 1:
        return control.itemEnded();
    case 2:
        return control.numberChosen(number);
    case 3:
        return control.defaultChosen();
    case 4:
        return control.nextChosen();
    case 5:
        return control.previousChosen();
    case 6:
        return control.returnChosen();
    default: {
        const Deadline deadline = op % 2 == 1 ? Deadline::Wait : Deadline::PlayTime;
        if (timer.running(deadline)) {
            timer.due.erase(deadline);
            return control.deadlinePassed(deadline);
        }
        if (op < 9)
            return Step{};
        // A deadline that fired before it was stopped arrives late.
        const Step late = control.deadlinePassed(deadline);
        require(late.kind == Step::Kind::Nothing, "a deadline arriving late changes nothing");
        return late;
    }
    }
}

QByteArray input(const DiscItems& disc, const PsdBuilder::PsdFile& lists, const QByteArray& events)
{
    // The LOT up to its last id used: the unused ids after it read as absent either way.
    QByteArray lot = lists.lot();
    while (lot.size() > 2 && lot.endsWith("\xff\xff"))
        lot.chop(2);
    QByteArray header(int(HeaderSize), '\0');
    header[0] = char(disc.trackCount);
    header[1] = char(disc.entryCount);
    header[2] = char(disc.segments.size());
    header[3] = char(PsdBuilder::Multiplier);
    PsdBuilder::put16(header, 4, int(lists.data().size()));
    PsdBuilder::put16(header, 6, int(lot.size()));
    QByteArray segments;
    for (const auto kind : disc.segments)
        segments.append(char(kind));
    return header + segments + lists.data() + lot + events;
}

void writeSeeds(const QString& folder)
{
    using namespace PsdBuilder;
    using Kind = VideoCdControl::SegmentKind;
    const DiscItems disc{3, 4, {Kind::Still, Kind::Still, Kind::Motion, Kind::Audio}};
    // A menu over a still: numbers to two play lists, one of a still and a track with a wait;
    // Enter, the timeout and Next lead on, the play lists return to it, an end list at last.
    const PsdFile menu =
        PsdFile()
            .selection(at(1), {.lid = 1,
                               .selections = {at(2), at(3)},
                               .item = 1000,
                               .timeout = 5,
                               .defaultLink = at(2),
                               .timeoutLink = at(4),
                               .next = at(4)})
            .play(at(2), {.lid = 2, .items = {2, 100}, .next = at(4), .back = at(1)})
            .play(at(3), {.lid = 3, .items = {1001, 3}, .wait = 2, .playTime = 90, .back = at(1)})
            .end(at(4), {.lid = 4, .picture = 1001});
    // A delaying menu over a motion background that loops, and lists in a circle.
    const PsdFile circle =
        PsdFile()
            .selection(at(1), {.lid = 1,
                               .selections = {at(2), at(3)},
                               .item = 1002,
                               .timeout = 0,
                               .loop = 2,
                               .jumpDelayed = true,
                               .timeoutLink = at(2)})
            .play(at(2), {.lid = 2, .items = {0, 1003}, .wait = 255, .next = at(3)})
            .play(at(3), {.lid = 3 | Rejected, .items = {}, .next = at(2), .back = at(1)});
    const QByteArray walk("\x00\x01\x02\x01\x01\x07\x01\x06\x03\x01\x01\x08\x07\x04\x01", 15);
    const QByteArray delayed("\x00\x02\x02\x01\x01\x09\x03\x0a\x05\x06\x07\x01\x01", 13);
    const std::pair<const char*, QByteArray> seeds[] = {
        {"menu", input(disc, menu, walk)},
        {"circle", input(disc, circle, delayed)},
        {"menu-on-an-empty-disc", input(DiscItems{}, menu, walk)},
    };
    for (const auto& [name, bytes] : seeds) {
        const QString path = folder + '/' + name;
        require(Fuzz::writeFile(path, bytes.constData(), std::size_t(bytes.size())),
                "a seed written");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QString seeds = qEnvironmentVariable("TAMREL_FUZZ_WRITE_SEEDS");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < HeaderSize)
        return 0;
    DiscItems items;
    items.trackCount = data[0] % 99;
    items.entryCount = data[1];
    const std::size_t segmentCount = data[2] % (MaxSegmentKinds + 1);
    const int multiplier = data[3] % 16 == 0 ? 8 : data[3] % 16;
    std::size_t at = HeaderSize;
    for (std::size_t i = 0; i < segmentCount && at < size; ++i, ++at)
        items.segments.push_back(VideoCdControl::SegmentKind(data[at] % 4));
    const VideoCdControl::Bytes all(data, size);
    const auto part = [&](std::size_t length) {
        const std::size_t taken = std::min(length, size - at);
        const VideoCdControl::Bytes bytes = all.subspan(at, taken);
        at += taken;
        return bytes;
    };
    const VideoCdControl::Bytes psdBytes = part(std::size_t(data[4] << 8 | data[5]));
    const VideoCdControl::Bytes lotBytes = part(std::size_t(data[6] << 8 | data[7]));
    const VideoCdControl::Psd psd =
        VideoCdControl::parsePsd(psdBytes, VideoCdControl::parseLot(lotBytes), multiplier);

    static const bool trace = qEnvironmentVariableIntValue("TAMREL_FUZZ_TRACE") == 1;
    RecordingTimer timer;
    PlaybackControl control(psd, items, timer);
    checkState(control, psd, timer);
    for (std::size_t events = 0; at < size && events < MaxEvents; ++events) {
        const int op = data[at++] % 11;
        const int number = op == 2 && at < size ? data[at++] : 0;
        const Stage before = control.stage();
        const int listBefore = control.listId();
        timer.calls = 0;
        const Step step = apply(control, timer, op, number);
        if (trace)
            std::fprintf(stderr,
                         "event %d (%d): step %d %d -> %s, wait %s, play time %s, %d timer calls\n",
                         op, number, int(step.kind), step.number, qPrintable(control.where()),
                         timer.running(Deadline::Wait) ? "runs" : "-",
                         timer.running(Deadline::PlayTime) ? "runs" : "-", timer.calls);
        // Entering a list stops both deadlines, a play list also starts and stops its play
        // time: four calls a list, and the lists entered in one event are bounded.
        require(timer.calls <= 4 * (PlaybackControl::MaxEmptyHops + 1) + 4,
                "an event enters a bounded number of lists");
        checkStep(step, before, listBefore, control, items, timer);
        checkState(control, psd, timer);
    }
    return 0;
}

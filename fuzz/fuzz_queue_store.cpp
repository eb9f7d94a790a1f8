// The song queues' section of the settings file, as a damaged or hand-edited file may leave
// it: whatever its keys and values, the queues read without fault, hold only numbers a song can
// have and no more than a queue may, never keep more discs than they may, and what is written
// reads back as written.
//
// Input: lines "key=value" (the section as the store hands it over), then, after a NUL, one
// line a step: "?COLLECTION" loads, "+COLLECTION N N …" saves those numbers.

#include "fuzz_support.h"
#include "map_store.h"
#include "queue/queue_store.h"
#include "queue/song_queue.h"

#include <QStringList>

namespace {

using Fuzz::require;

void checkLoaded(const std::vector<int>& numbers)
{
    require(int(numbers.size()) <= SongQueue::MaxSongs, "a queue is no longer than it may be");
    for (const int number : numbers)
        require(number >= 1 && number <= QueueStore::MaxNumber, "every number can name a song");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SectionAndSteps input = readSectionAndSteps(data, size);
    MapStore& store = input.store;
    const QStringList& steps = input.steps;
    QueueStore queues(store);
    for (const QString& step : steps.mid(0, 64)) {
        const QStringList fields = step.mid(1).split(' ');
        if (step.startsWith('?')) {
            checkLoaded(queues.load(step.mid(1)));
        } else if (step.startsWith('+') && !fields.isEmpty()) {
            std::vector<int> numbers;
            for (const QString& field : fields.mid(1))
                numbers.push_back(std::clamp(field.toInt(), 1, QueueStore::MaxNumber));
            queues.save(fields[0], numbers);
            if (!fields[0].isEmpty())
                require(queues.load(fields[0]) == numbers, "a queue loads as it was saved");
        }
    }
    int kept = 0;
    for (auto value = store.values.cbegin(); value != store.values.cend(); ++value) {
        if (!store.written.contains(value.key()))
            continue;
        const std::optional<QueueStore::Stored> stored = QueueStore::parse(value.value());
        if (!stored || QueueStore::keyFor(stored->collection) != value.key())
            continue;
        ++kept;
        checkLoaded(stored->numbers);
        require(QueueStore::format(*stored) == value.value(), "a stored queue round-trips");
    }
    require(kept <= QueueStore::MaxCollections, "no more queues kept than may be");
    return 0;
}

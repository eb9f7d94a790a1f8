// The per-song key and tempo section of the settings file, as a damaged or hand-edited file
// may leave it: whatever its keys and values, the memory reads without fault, recalls only
// keys and tempos inside their ranges, never keeps more songs than it may, and what it writes
// reads back as written.
//
// Input: lines "key=value" (the section as the store hands it over), then, after a NUL, one
// line a step: "+song KEY TEMPO" remembers, "?song" recalls.

#include "fuzz_support.h"
#include "karaoke/song_memory.h"
#include "map_store.h"

#include <QStringList>

namespace {

using Fuzz::require;

constexpr int Capacity = 8;

void checkRecalled(const SongSound& sound, int range)
{
    require(sound.key >= -range && sound.key <= range, "a recalled key is inside the range");
    require(sound.tempo >= SongSound::SlowestTempo && sound.tempo <= SongSound::FastestTempo,
            "a recalled tempo is inside the range");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SectionAndSteps input = readSectionAndSteps(data, size);
    MapStore& store = input.store;
    const QStringList& steps = input.steps;
    SongMemory memory(store, Capacity);
    const int range = memory.keyRange();
    require(range == SongSound::KeyRange || range == SongSound::WideKeyRange, "a known range");
    for (const QString& step : steps.mid(0, 64)) {
        if (step.startsWith('?')) {
            checkRecalled(memory.recall(step.mid(1)), range);
        } else if (step.startsWith('+')) {
            const QStringList fields = step.mid(1).split(' ');
            if (fields.size() < 3)
                continue;
            const SongSound sound{
                std::clamp(fields[1].toInt(), -range, range),
                std::clamp(fields[2].toInt(), SongSound::SlowestTempo, SongSound::FastestTempo)};
            memory.remember(fields[0], sound);
            if (!fields[0].isEmpty())
                require(memory.recall(fields[0]) == sound, "a song recalls what it was given");
        }
        require(memory.count() <= Capacity, "no more songs than the capacity");
    }
    // What it wrote reads back, by a memory of the next run, as this one knows it. A value it
    // only read may be laxer ("2 \r90" reads as 2 and 90) and stays as the file had it.
    for (auto value = store.values.cbegin(); value != store.values.cend(); ++value) {
        if (!store.written.contains(value.key()))
            continue;
        const std::optional<SongMemory::Stored> stored = SongMemory::parse(value.value());
        if (stored && SongMemory::keyFor(stored->song) == value.key())
            require(SongMemory::format(*stored) == value.value(), "a stored song round-trips");
    }
    return 0;
}

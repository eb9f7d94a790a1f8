#include "simulated_drive.h"

#include "platform/disc/read/disc_reader.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace {
constexpr double SectorsPerSecondAt1x = 75;
using Clock = std::chrono::steady_clock;
} // namespace

struct SimulatedDrive::State {
    explicit State(const Timing& t) : timing(t), spinning(t.spinningAtStart) {}

    // What one read costs and how it ends, decided when it starts.
    struct Plan {
        Milliseconds delay{0};
        bool fails = false;
    };
    Plan plan(std::uint32_t first, std::uint32_t count, std::uint32_t sectors);
    void wait(Milliseconds delay) const;

    mutable std::mutex mutex; // guards everything below; never held while a read waits
    Timing timing;
    std::optional<Scratch> scratch;
    bool spinning;
    std::optional<std::uint32_t> head; // the sector after the last one read
    Clock::time_point busyUntil = Clock::now();
    Record record;
    std::atomic<int> reading{0};
};

SimulatedDrive::State::Plan SimulatedDrive::State::plan(std::uint32_t first, std::uint32_t count,
                                                        std::uint32_t sectors)
{
    const std::lock_guard lock(mutex);
    const Clock::time_point now = Clock::now();
    const double scale = timing.timeScale;
    Plan plan;
    ++record.reads;
    // Idle time in the drive's own time, as its delays are.
    const Milliseconds idleFor = now > busyUntil ? Milliseconds(now - busyUntil) : Milliseconds(0);
    const bool idle = idleFor >= timing.idleBeforeSpinDown * (scale > 0 ? scale : 1);
    if (!spinning || idle) {
        spinning = true;
        plan.delay += timing.spinUp;
        ++record.spinUps;
        record.spinUpTime += timing.spinUp;
    }
    if (head != first) {
        // Further across the disc takes longer, up to the longest seek.
        const std::uint32_t from = head.value_or(0);
        const double distance = from > first ? from - first : first - from;
        const double share = sectors > 0 ? std::min(1.0, distance / sectors) : 1.0;
        const Milliseconds seek =
            timing.shortestSeek + (timing.longestSeek - timing.shortestSeek) * share;
        plan.delay += seek;
        ++record.seeks;
        record.seekTime += seek;
    }
    std::uint32_t readable = count;
    if (scratch && first < scratch->first + scratch->count && scratch->first < first + count) {
        readable = scratch->first > first ? scratch->first - first : 0;
        plan.fails = true;
        plan.delay += scratch->failAfter;
        ++record.failedReads;
    }
    const Milliseconds transfer(1000.0 * readable / (SectorsPerSecondAt1x * timing.speed));
    plan.delay += transfer;
    record.transferTime += transfer;
    record.longestRead = std::max(record.longestRead, plan.delay);
    head = first + count; // past the scratch too, once the drive gives up on it
    const auto scaled = std::chrono::duration_cast<Clock::duration>(plan.delay * scale);
    busyUntil = std::max(busyUntil, now + scaled);
    return plan;
}

void SimulatedDrive::State::wait(Milliseconds delay) const
{
    const double scale = timing.timeScale;
    if (scale > 0 && delay.count() > 0)
        std::this_thread::sleep_for(delay * scale); // the drive's own time, on purpose
}

class SimulatedDrive::Source : public SectorSource {
public:
    Source(std::shared_ptr<State> state, std::unique_ptr<SectorSource> disc)
        : m_state(std::move(state)), m_disc(std::move(disc))
    {
    }
    std::uint32_t sectorCount() const override { return m_disc->sectorCount(); }
    bool hasForm2() const override { return m_disc->hasForm2(); }

protected:
    bool readSectors(SectorKind kind, std::uint32_t first, std::uint32_t count,
                     unsigned char* out) override
    {
        const State::Plan plan = m_state->plan(first, count, m_disc->sectorCount());
        ++m_state->reading;
        m_state->wait(plan.delay);
        const bool ok = !plan.fails && m_disc->read(kind, first, count, out);
        --m_state->reading;
        return ok;
    }

private:
    std::shared_ptr<State> m_state;
    std::unique_ptr<SectorSource> m_disc;
};

SimulatedDrive::SimulatedDrive(Timing timing) : m_state(std::make_shared<State>(timing)) {}

SimulatedDrive::~SimulatedDrive() = default;

DiscLibrary::DiscOpener SimulatedDrive::opener()
{
    return [state = m_state](const QString& source) -> std::unique_ptr<SectorSource> {
        std::unique_ptr<SectorSource> disc = DiscReader::open(source);
        return disc ? std::make_unique<Source>(state, std::move(disc)) : nullptr;
    };
}

std::unique_ptr<SectorSource> SimulatedDrive::wrap(std::unique_ptr<SectorSource> disc)
{
    return disc ? std::make_unique<Source>(m_state, std::move(disc)) : nullptr;
}

void SimulatedDrive::setScratch(std::optional<Scratch> scratch)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->scratch = scratch;
}

void SimulatedDrive::setSpeed(double speed)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->timing.speed = speed;
}

void SimulatedDrive::resetRecord()
{
    const std::lock_guard lock(m_state->mutex);
    m_state->record = {};
}

SimulatedDrive::Record SimulatedDrive::record() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->record;
}

int SimulatedDrive::readsInProgress() const
{
    return m_state->reading;
}

bool SimulatedDrive::waitForRead(Milliseconds timeout) const
{
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    while (m_state->reading == 0) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1)); // polls the reads under way
    }
    return true;
}

#pragma once

#include "platform/disc/disc_library.h"
#include "platform/disc/read/sector_source.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

// A CD drive with the timing of a real one in front of a disc image: a seek when a read does
// not continue the one before, reads at a multiple of 75 sectors a second, a spin-up after
// the drive has been idle, and optionally a scratched range of sectors that fails, at once or
// after the seconds a drive spends retrying. Every handle opened through opener() shares the
// one head and spindle, so a read of the directory between two reads of a track costs two
// seeks. Handles do not queue behind each other: a read that arrives while another is under
// way is served as if the drive had dropped the older command, which still takes its full
// time before it returns. The time scale lets a test run the drive at real time where the
// timing is the point, and faster (or with no waits at all) elsewhere.
class SimulatedDrive {
public:
    using Milliseconds = std::chrono::duration<double, std::milli>;

    struct Timing {
        double speed = 24; // 1 = 75 sectors a second
        Milliseconds shortestSeek{80};
        Milliseconds longestSeek{150}; // across the whole disc
        Milliseconds spinUp{1500};
        // Idle this long, the drive spins down and the next read spins it up first.
        Milliseconds idleBeforeSpinDown{5000};
        bool spinningAtStart = true;
        // 1 = real time, 0.1 = ten times faster, 0 = no waits (the counts below still add up).
        double timeScale = 1;
    };
    // Sectors [first, first + count) of the disc cannot be read; a read that touches them
    // fails after `failAfter` (0: at once).
    struct Scratch {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        Milliseconds failAfter{0};
    };
    // What the drive did, in its own time (before scaling).
    struct Record {
        int reads = 0;
        int seeks = 0;
        int spinUps = 0;
        int failedReads = 0;
        Milliseconds seekTime{0};
        Milliseconds spinUpTime{0};
        Milliseconds transferTime{0};
        Milliseconds longestRead{0};
    };

    explicit SimulatedDrive(Timing timing);
    ~SimulatedDrive();
    SimulatedDrive(const SimulatedDrive&) = delete;
    SimulatedDrive& operator=(const SimulatedDrive&) = delete;

    // Opens discs as the program does (DiscReader::open) with this drive in front of them.
    DiscLibrary::DiscOpener opener();
    // The drive in front of a source of sectors that is already open.
    std::unique_ptr<SectorSource> wrap(std::unique_ptr<SectorSource> disc);

    void setScratch(std::optional<Scratch> scratch);
    void setSpeed(double speed);
    // From now on the drive counts afresh.
    void resetRecord();
    Record record() const;
    // Reads under way right now, on any thread.
    int readsInProgress() const;
    // Waits (without an event loop) until a read is under way; false after `timeout`.
    bool waitForRead(Milliseconds timeout) const;

private:
    struct State;
    class Source;
    // Shared with the handles, which may outlive the drive on a reader thread of their own.
    std::shared_ptr<State> m_state;
};

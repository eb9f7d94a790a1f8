#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class DiscFileReader;

// The read threads still running; the library waits for them before its discs go.
struct ReadThreadCount {
    void started();
    void ended();
    void waitForNone();

    std::mutex mutex;
    std::condition_variable none;
    int running = 0;
};

// The reads of one stream, on a thread of their own: a drive can spend seconds on a scratched
// sector, and whoever waits for the read (mpv, before it can open the next track) must be able
// to stop waiting when the stream is cut off. The thread finishes that read for nobody and
// ends; it owns the file's reader, and with it our handle on the drive, until then.
class StreamReadThread {
public:
    StreamReadThread(std::unique_ptr<DiscFileReader> reader,
                     std::shared_ptr<ReadThreadCount> count);
    // Lets the thread end once it is free; does not wait for it.
    ~StreamReadThread();
    StreamReadThread(const StreamReadThread&) = delete;
    StreamReadThread& operator=(const StreamReadThread&) = delete;

    // As DiscFileReader::read, or -1 once interrupted.
    qint64 read(qint64 offset, char* out, qint64 maxSize);
    // From any thread: the read in progress returns -1 at once, and so does every later one.
    void interrupt();

private:
    struct Shared {
        std::mutex mutex; // never held while the drive reads
        std::condition_variable changed;
        std::unique_ptr<DiscFileReader> reader;
        bool requested = false;
        std::uint64_t offset = 0;
        std::size_t maxSize = 0;
        bool done = false;
        qint64 result = 0;
        std::vector<unsigned char> data;
        bool interrupted = false;
        bool closing = false;
    };

    static void serve(Shared& s);

    std::shared_ptr<Shared> m_shared;
};

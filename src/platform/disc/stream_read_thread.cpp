#include "platform/disc/stream_read_thread.h"

#include "platform/disc/read/disc_file_reader.h"

#include <cstring>
#include <thread>

void ReadThreadCount::started()
{
    const std::lock_guard lock(mutex);
    ++running;
}

void ReadThreadCount::ended()
{
    const std::lock_guard lock(mutex);
    --running;
    none.notify_all();
}

void ReadThreadCount::waitForNone()
{
    std::unique_lock lock(mutex);
    none.wait(lock, [this] { return running == 0; });
}

StreamReadThread::StreamReadThread(std::unique_ptr<DiscFileReader> reader,
                                   std::shared_ptr<ReadThreadCount> count)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->reader = std::move(reader);
    count->started();
    std::thread([shared = m_shared, count] {
        serve(*shared);
        count->ended();
    }).detach();
}

StreamReadThread::~StreamReadThread()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->closing = true;
    m_shared->changed.notify_all();
}

qint64 StreamReadThread::read(qint64 offset, char* out, qint64 maxSize)
{
    std::unique_lock lock(m_shared->mutex);
    Shared& s = *m_shared;
    if (s.interrupted)
        return -1;
    s.offset = static_cast<std::uint64_t>(offset);
    s.maxSize = static_cast<std::size_t>(maxSize);
    s.requested = true;
    s.done = false;
    s.changed.notify_all();
    s.changed.wait(lock, [&s] { return s.done || s.interrupted; });
    if (!s.done)
        return -1;
    if (s.result > 0)
        std::memcpy(out, s.data.data(), static_cast<std::size_t>(s.result));
    return s.result;
}

void StreamReadThread::interrupt()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->interrupted = true;
    m_shared->changed.notify_all();
}

void StreamReadThread::serve(Shared& s)
{
    std::vector<unsigned char> data;
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.changed.wait(lock, [&s] { return s.requested || s.closing || s.interrupted; });
        if (s.closing || s.interrupted) {
            lock.unlock();
            s.reader.reset(); // our handle on the drive goes now, not with the stream
            return;
        }
        s.requested = false;
        const std::uint64_t offset = s.offset;
        data.resize(s.maxSize);
        lock.unlock();
        const qint64 result = s.reader->read(offset, data.data(), data.size());
        lock.lock();
        std::swap(s.data, data);
        s.result = result;
        s.done = true;
        s.changed.notify_all();
    }
}

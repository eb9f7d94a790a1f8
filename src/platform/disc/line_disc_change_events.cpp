#include "platform/disc/line_disc_change_events.h"

#include "diagnostics/diagnostics.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Read at one wake at most; the rest waits for the next turn of the event loop.
constexpr qsizetype ReadPerWake = 64 * 1024;
} // namespace

LineDiscChangeEvents::LineDiscChangeEvents(const QString& path, QObject* parent)
    : DiscChangeEvents(parent)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0 && S_ISFIFO(info.st_mode)) {
        m_fifo = true;
        m_fd = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } else if (::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (m_fd < 0) {
        Diagnostics::report("disc events", QStringLiteral("cannot read %1").arg(path));
        return;
    }
    if (m_fifo) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this,
                &LineDiscChangeEvents::readAvailable);
        return;
    }
    m_watcher = new QFileSystemWatcher({path}, this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &LineDiscChangeEvents::readAppended);
    // What the file holds already is reported from the event loop, like any later line.
    QTimer::singleShot(0, this, &LineDiscChangeEvents::readAppended);
}

LineDiscChangeEvents::~LineDiscChangeEvents()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void LineDiscChangeEvents::readAvailable()
{
    std::array<char, 4096> buffer{};
    for (qsizetype total = 0; total < ReadPerWake;) {
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return; // drained (EAGAIN); the FIFO has a writer in us, so never at its end
        total += got;
        emitChanges(QByteArrayView(buffer.data(), got));
    }
}

void LineDiscChangeEvents::readAppended()
{
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        return;
    if (info.st_size < m_offset) // written anew from the start
        m_offset = 0;
    std::array<char, 4096> buffer{};
    qsizetype total = 0;
    while (m_offset < info.st_size && total < ReadPerWake) {
        const ssize_t got = ::pread(m_fd, buffer.data(), buffer.size(), m_offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        m_offset += got;
        total += got;
        emitChanges(QByteArrayView(buffer.data(), got));
    }
    if (m_offset < info.st_size)
        QTimer::singleShot(0, this, &LineDiscChangeEvents::readAppended);
}

void LineDiscChangeEvents::emitChanges(QByteArrayView bytes)
{
    for (const DiscChange& change : m_lines.feed(bytes))
        emit mediaChanged(change.deviceNode, change.present);
}

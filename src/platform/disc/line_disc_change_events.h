#pragma once

#include "platform/disc/disc_change_events.h"
#include "platform/disc/disc_event_lines.h"

class QFileSystemWatcher;
class QSocketNotifier;

// Disc changes written as lines (DiscEventLines) to a FIFO or appended to a file: how tests and
// scripts stand in for the system's device events. A FIFO is held open for writing as well, so
// that a writer closing it never leaves an end of file to wake on; a file is read from where
// it was read last whenever it grows (appended to, not replaced). A path that cannot be opened
// leaves it quiet.
class LineDiscChangeEvents : public DiscChangeEvents {
    Q_OBJECT
public:
    explicit LineDiscChangeEvents(const QString& path, QObject* parent = nullptr);
    ~LineDiscChangeEvents() override;

    bool listening() const { return m_fd >= 0; }

private:
    void readAvailable();
    void readAppended();
    void emitChanges(QByteArrayView bytes);

    int m_fd = -1;
    bool m_fifo = false;
    qint64 m_offset = 0; // of a file: how far it was read
    DiscEventLines m_lines;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
};

// Cue sheets and cdrdao TOC files opened from several threads at once, as mpv's thread opens a
// stream while the window's thread looks at a drive. libcdio parses both with strtok(), whose
// place in the text is one static of the C library for the whole process: two parses at once
// go on in each other's lines. This executable brings its own strtok, which keeps that one
// place just the same and notes every time a thread goes on from a place another thread set.

#include "platform/disc/read/disc_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The books of this executable's strtok; its mutex keeps the books whole, it does not keep
// two parses apart.
struct TokenBooks {
    std::mutex mutex;
    std::condition_variable changed;
    char* place = nullptr; // where the next strtok(nullptr, ...) goes on
    std::thread::id placeSetBy;
    int calls = 0;
    int crossings = 0; // a thread went on from a place another thread had set

    // Armed, the first thread to start a text waits until a second one has started a text too,
    // and the second then waits until the first has set its place: the second goes on in the
    // first one's text unless the two parses are kept apart. Each waits two seconds at most,
    // since apart the other one cannot come.
    bool meeting = false;
    int arrived = 0;
    bool firstStarted = false;

    void arm()
    {
        const std::lock_guard lock(mutex);
        calls = crossings = arrived = 0;
        meeting = true;
        firstStarted = false;
    }
};

TokenBooks books;

} // namespace

extern "C" char* strtok(char* text, const char* delimiters) noexcept
{
    std::unique_lock lock(books.mutex);
    const std::thread::id self = std::this_thread::get_id();
    ++books.calls;
    if (!text) {
        books.crossings += books.placeSetBy == self ? 0 : 1;
        return strtok_r(nullptr, delimiters, &books.place);
    }
    const int arrival = books.meeting ? ++books.arrived : 0;
    if (arrival == 1)
        books.changed.wait_for(lock, 2s, [] { return books.arrived > 1; });
    char* token = strtok_r(text, delimiters, &books.place);
    books.placeSetBy = self;
    if (arrival == 1) {
        books.firstStarted = true;
        books.meeting = false;
    }
    books.changed.notify_all();
    if (arrival == 2)
        books.changed.wait_for(lock, 2s, [] { return books.firstStarted; });
    return token;
}

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestDiscSheetThreads : public QObject {
    Q_OBJECT

private slots:
    void sheetsParsedOneAtATime_data()
    {
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<QByteArray>("sheet");
        // 2352-byte sectors go to libcdio's parser (the 2336-byte ones are read by our own),
        // and so does a data file with a byte offset after its name.
        QTest::newRow("cue sheet") << "disc.cue"
                                   << QByteArray("FILE \"disc.bin\" BINARY\n"
                                                 "  TRACK 01 MODE2/2352\n"
                                                 "    INDEX 01 00:00:00\n");
        QTest::newRow("cdrdao TOC") << "disc.toc"
                                    << QByteArray("CD_ROM_XA\n"
                                                  "TRACK MODE2_RAW\n"
                                                  "DATAFILE \"@BIN@\" #0\n");
    }

    void sheetsParsedOneAtATime()
    {
        QFETCH(QString, sheetName);
        QFETCH(QByteArray, sheet);
        QTemporaryDir dir;
        const QString bin = dir.filePath("disc.bin");
        write(bin, QByteArray(40 * 2352, '\0'));
        // libcdio opens a TOC's data file from the working folder, so its whole path.
        write(dir.filePath(sheetName), sheet.replace("@BIN@", QFile::encodeName(bin)));
        const QString image = dir.filePath(sheetName);
        const std::unique_ptr<SectorSource> alone = DiscReader::open(image);
        QVERIFY(alone);
        const std::uint32_t sectors = alone->sectorCount();
        QVERIFY(sectors > 0);

        books.arm();
        std::atomic<int> wrong = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 50; ++i) {
                    const std::unique_ptr<SectorSource> disc = DiscReader::open(image);
                    wrong += disc && disc->sectorCount() == sectors ? 0 : 1;
                }
            });
        for (std::thread& thread : threads)
            thread.join();
        const std::lock_guard lock(books.mutex);
        QVERIFY2(books.calls > 0, "libcdio did not call this executable's strtok");
        QCOMPARE(books.crossings, 0);
        QCOMPARE(int(wrong), 0);
    }
};

QTEST_GUILESS_MAIN(TestDiscSheetThreads)
#include "test_disc_sheet_threads.moc"

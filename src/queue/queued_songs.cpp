#include "queue/queued_songs.h"

#include "diagnostics/diagnostics.h"
#include "platform/disc/disc_path.h"
#include "platform/disc/song_starts.h"
#include "playback/playback_engine.h"
#include "widgets/twips.h"

#include <QLabel>
#include <QRegularExpression>

namespace {
// Saving waits for a burst of changes to end: a long queue is written once, not at each song.
constexpr int SaveAfterMilliseconds = 400;
// Numbers shown on the main window before the rest is counted.
constexpr int NumbersShown = 2;
} // namespace

QueuedSongs::QueuedSongs(Services services, QWidget* window, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_store(m_services.settings)
{
    lblNextSongs = new QLabel(window);
    lblNextSongs->setObjectName("lblNextSongs");
    lblNextSongs->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Over the status line's far end, which its texts seldom reach.
    lblNextSongs->setAutoFillBackground(true);
    lblNextSongs->setToolTip(QStringLiteral("Songs in the queue (F2)"));
    Twips::place(lblNextSongs, 3480, 6300, 2655, 255);
    lblNextSongs->hide();

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(SaveAfterMilliseconds);
    connect(&m_saveTimer, &QTimer::timeout, this, &QueuedSongs::saveNow);
    connect(&m_queue, &SongQueue::changed, this, [this] {
        const QString text = nextText();
        lblNextSongs->setText(text);
        lblNextSongs->setVisible(!text.isEmpty());
        Diagnostics::report("queue", text.isEmpty() ? QStringLiteral("empty") : text);
        m_saveTimer.start();
    });
    connect(&m_services.engine, &PlaybackEngine::mediumLoading, this, &QueuedSongs::followList);
}

QueuedSongs::~QueuedSongs()
{
    saveNow();
}

void QueuedSongs::saveNow()
{
    m_saveTimer.stop();
    m_store.save(m_collection, m_queue.numbers());
}

QString QueuedSongs::collectionOfList() const
{
    const QString folder = m_services.engine.File1().Path();
    if (folder.isEmpty())
        return {};
    const std::optional<DiscPath> disc = DiscPath::parse(folder);
    if (!disc)
        return folder;
    // A disc by its serial number, whichever drive it is in; one that cannot be told has no
    // queue of its own to keep.
    const qint32 serial = m_services.serialOf ? m_services.serialOf(disc->driveId) : 0;
    return serial == 0 ? QString()
                       : QStringLiteral("vcd:%1").arg(quint32(serial), 8, 16, QLatin1Char('0'));
}

void QueuedSongs::followList()
{
    const QString collection = collectionOfList();
    // A disc that cannot be told (pulled, or unreadable) takes nobody's queue away.
    if (collection.isEmpty() || collection == m_collection)
        return;
    saveNow();
    m_collection = collection;
    m_queue.replace(m_store.load(collection));
    m_saveTimer.stop(); // just read: nothing to write
}

const SongCatalogue& QueuedSongs::catalogue()
{
    const PlayList& list = m_services.engine.File1();
    if (!m_catalogue || m_catalogueFolder != list.Path() || m_catalogueFiles != list.ListCount()) {
        SongCatalogue::StartsOf startsOf;
        if (m_services.songStarts)
            startsOf = [starts = m_services.songStarts](const QString& path) {
                return starts->songStarts(path);
            };
        m_catalogue.emplace(list.Path(), list.entries(), startsOf);
        m_catalogueFolder = list.Path();
        m_catalogueFiles = list.ListCount();
    }
    return *m_catalogue;
}

QString QueuedSongs::addTyped(const QString& typed)
{
    const QString digits = typed.trimmed();
    if (digits.isEmpty())
        return QStringLiteral("Type a song number, then Enter.");
    followList();
    for (const QChar c : digits)
        if (!c.isDigit() || c.unicode() > 127)
            return QStringLiteral("A song number has digits only.");
    const int songs = catalogue().count();
    if (songs == 0)
        return QStringLiteral("No songs to queue: play a disc or a folder first.");
    // Twenty digits overflow any integer: the length tells them out of range first.
    const QString number = digits.mid(digits.indexOf(QRegularExpression(QStringLiteral("[1-9]"))));
    bool read = false;
    const int value = number.length() <= 9 ? number.toInt(&read) : 0;
    if (!read || !catalogue().has(value))
        return QStringLiteral("No song %1 here: the songs are 1 to %2.").arg(digits).arg(songs);
    if (!m_queue.add(value))
        return QStringLiteral("The queue is full (%1 songs).").arg(SongQueue::MaxSongs);
    return {};
}

bool QueuedSongs::addTrack(int listEntry)
{
    followList();
    const int number = catalogue().firstSongOf(listEntry);
    return number != 0 && m_queue.add(number);
}

QString QueuedSongs::describe(int number)
{
    const QString shown = QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    if (!catalogue().has(number))
        return shown + QStringLiteral("  (no such song here)");
    return shown + QStringLiteral("  ") + catalogue().song(number).name;
}

QString QueuedSongs::nextText() const
{
    if (m_queue.isEmpty())
        return {};
    QStringList parts;
    const std::vector<int>& numbers = m_queue.numbers();
    for (int i = 0; i < std::min(NumbersShown, m_queue.size()); ++i)
        parts << QStringLiteral("%1").arg(numbers[std::size_t(i)], 2, 10, QLatin1Char('0'));
    if (m_queue.size() > NumbersShown)
        parts << QStringLiteral("%1 more").arg(m_queue.size() - NumbersShown);
    return QStringLiteral("Next: ") + parts.join(QStringLiteral(" \u00b7 "));
}

bool QueuedSongs::discStillThere() const
{
    // A disc pulled, or swapped behind the player's back: the queue waits for it.
    return !m_collection.startsWith(QLatin1String("vcd:")) || collectionOfList() == m_collection;
}

bool QueuedSongs::playHead()
{
    if (m_queue.isEmpty() || !discStillThere())
        return false;
    // A number the disc no longer has (its songs changed since the queue was saved) is dropped.
    while (!m_queue.isEmpty()) {
        const int number = m_queue.takeHead();
        if (catalogue().has(number)) {
            play(number);
            return true;
        }
    }
    return false;
}

void QueuedSongs::playNow(int place)
{
    const int number = m_queue.numbers().size() > std::size_t(std::max(place, 0))
                           ? m_queue.numbers()[std::size_t(place)]
                           : 0;
    if (number == 0 || !catalogue().has(number))
        return;
    m_queue.take(place);
    play(number);
}

void QueuedSongs::play(int number)
{
    const SongCatalogue::Song song = catalogue().song(number);
    Diagnostics::report("queue", QStringLiteral("plays %1").arg(number));
    m_services.engine.playEntryFrom(song.listEntry, song.start);
}

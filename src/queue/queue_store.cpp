#include "queue/queue_store.h"

#include "platform/settings/settings_store.h"
#include "queue/song_queue.h"

#include <QCryptographicHash>
#include <QStringList>

namespace {
const QString QueueKeyPrefix = QStringLiteral("Queue-");
const QString NoNumbers = QStringLiteral("-");
// Not a comma: a hand-edited INI file would read a value with commas as a list.
constexpr QLatin1Char NumberSeparator('+');
} // namespace

QueueStore::QueueStore(SettingsStore& store) : m_store(store) {}

QString QueueStore::keyFor(const QString& collection)
{
    // Folder paths hold characters an INI key cannot (slashes make groups).
    const QByteArray hash = QCryptographicHash::hash(collection.toUtf8(), QCryptographicHash::Sha1);
    return QueueKeyPrefix + QString::fromLatin1(hash.left(8).toHex());
}

std::optional<QueueStore::Stored> QueueStore::parse(const QString& value)
{
    const int firstSpace = value.indexOf(QLatin1Char(' '));
    const int secondSpace = value.indexOf(QLatin1Char(' '), firstSpace + 1);
    if (firstSpace <= 0 || secondSpace < 0)
        return std::nullopt;
    Stored stored;
    bool useRead = false;
    stored.use = value.left(firstSpace).toLongLong(&useRead);
    stored.collection = value.mid(secondSpace + 1);
    if (!useRead || stored.use < 0 || stored.collection.isEmpty())
        return std::nullopt;
    const QString numbers = value.mid(firstSpace + 1, secondSpace - firstSpace - 1);
    if (numbers == NoNumbers)
        return stored;
    for (const QStringView field : QStringView(numbers).split(NumberSeparator)) {
        if (int(stored.numbers.size()) >= SongQueue::MaxSongs)
            break;
        bool read = false;
        const int number = field.toInt(&read);
        if (read && number >= 1 && number <= MaxNumber)
            stored.numbers.push_back(number);
    }
    return stored;
}

QString QueueStore::format(const Stored& stored)
{
    QStringList numbers;
    numbers.reserve(qsizetype(stored.numbers.size()));
    for (const int number : stored.numbers)
        numbers.append(QString::number(number));
    return QStringLiteral("%1 %2 %3")
        .arg(stored.use)
        .arg(numbers.isEmpty() ? NoNumbers : numbers.join(NumberSeparator))
        .arg(stored.collection);
}

void QueueStore::read()
{
    if (std::exchange(m_read, true))
        return;
    const QMap<QString, QString> values = m_store.GetAll();
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        if (!value.key().startsWith(QueueKeyPrefix))
            continue;
        std::optional<Stored> stored = parse(value.value());
        // A value under another identity's key was not written by us: it is not trusted.
        if (!stored || keyFor(stored->collection) != value.key())
            continue;
        m_lastUse = std::max(m_lastUse, stored->use);
        m_queues.insert(stored->collection, std::move(*stored));
    }
}

std::vector<int> QueueStore::load(const QString& collection)
{
    read();
    return m_queues.value(collection).numbers;
}

void QueueStore::save(const QString& collection, const std::vector<int>& numbers)
{
    if (collection.isEmpty())
        return;
    read();
    const auto known = m_queues.find(collection);
    if (numbers.empty()) {
        if (known != m_queues.end()) {
            m_queues.erase(known);
            m_store.Remove(keyFor(collection));
        }
        return;
    }
    Stored stored{++m_lastUse, numbers, collection};
    if (int(stored.numbers.size()) > SongQueue::MaxSongs)
        stored.numbers.resize(std::size_t(SongQueue::MaxSongs));
    m_store.Save(keyFor(collection), format(stored));
    m_queues.insert(collection, std::move(stored));
    while (m_queues.size() > MaxCollections)
        forgetOldest();
}

void QueueStore::forgetOldest()
{
    auto oldest = m_queues.begin();
    for (auto queue = m_queues.begin(); queue != m_queues.end(); ++queue)
        if (queue->use < oldest->use)
            oldest = queue;
    m_store.Remove(keyFor(oldest->collection));
    m_queues.erase(oldest);
}

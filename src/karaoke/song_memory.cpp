#include "karaoke/song_memory.h"

#include "platform/settings/settings_store.h"

#include <QCryptographicHash>
#include <QStringList>

namespace {
const QString SongKeyPrefix = QStringLiteral("Song-");
} // namespace

SongMemory::SongMemory(SettingsStore& store, int capacity)
    : m_store(store), m_capacity(std::max(1, capacity))
{
}

QString SongMemory::keyFor(const QString& song)
{
    // Paths hold characters an INI key cannot (slashes make groups); a hash of 64 bits never
    // meets another song's in a few thousand.
    const QByteArray hash = QCryptographicHash::hash(song.toUtf8(), QCryptographicHash::Sha1);
    return SongKeyPrefix + QString::fromLatin1(hash.left(8).toHex());
}

std::optional<SongMemory::Stored> SongMemory::parse(const QString& value)
{
    const QStringList fields = value.split(QLatin1Char(' '));
    if (fields.size() < 4)
        return std::nullopt;
    bool keyRead = false;
    bool tempoRead = false;
    bool useRead = false;
    Stored stored;
    stored.sound.key = fields[0].toInt(&keyRead);
    stored.sound.tempo = fields[1].toInt(&tempoRead);
    stored.use = fields[2].toLongLong(&useRead);
    stored.song = fields.mid(3).join(QLatin1Char(' '));
    if (!keyRead || !tempoRead || !useRead || stored.use < 0 || stored.song.isEmpty() ||
        !SongSound::isValid(stored.sound.key, stored.sound.tempo))
        return std::nullopt;
    return stored;
}

QString SongMemory::format(const Stored& stored)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(stored.sound.key)
        .arg(stored.sound.tempo)
        .arg(stored.use)
        .arg(stored.song);
}

void SongMemory::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QMap<QString, QString> values = m_store.GetAll();
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        if (!value.key().startsWith(SongKeyPrefix))
            continue;
        const std::optional<Stored> stored = parse(value.value());
        // A value under another song's key was not written by us: it is not trusted.
        if (!stored || keyFor(stored->song) != value.key())
            continue;
        m_songs.insert(stored->song, *stored);
        m_lastUse = std::max(m_lastUse, stored->use);
    }
    if (values.value(QString::fromLatin1(KeyRangeKey)).trimmed().toInt() == SongSound::WideKeyRange)
        m_keyRange = SongSound::WideKeyRange;
}

SongSound SongMemory::recall(const QString& song)
{
    load();
    const auto stored = m_songs.constFind(song);
    if (stored == m_songs.cend())
        return {};
    SongSound sound = stored->sound;
    sound.key = std::clamp(sound.key, -m_keyRange, m_keyRange);
    return sound;
}

void SongMemory::remember(const QString& song, const SongSound& sound)
{
    if (song.isEmpty())
        return;
    load();
    const auto known = m_songs.find(song);
    if (sound.isOriginal()) {
        if (known == m_songs.end())
            return;
        m_songs.erase(known);
        m_store.Remove(keyFor(song));
        return;
    }
    if (known != m_songs.end() && known->sound == sound)
        return;
    const Stored stored{sound, ++m_lastUse, song};
    m_songs.insert(song, stored);
    m_store.Save(keyFor(song), format(stored));
    while (m_songs.size() > m_capacity)
        forgetOldest();
}

void SongMemory::forgetOldest()
{
    auto oldest = m_songs.begin();
    for (auto song = m_songs.begin(); song != m_songs.end(); ++song)
        if (song->use < oldest->use)
            oldest = song;
    m_store.Remove(keyFor(oldest->song));
    m_songs.erase(oldest);
}

int SongMemory::count()
{
    load();
    return int(m_songs.size());
}

int SongMemory::keyRange()
{
    load();
    return m_keyRange;
}

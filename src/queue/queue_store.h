#pragma once

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class SettingsStore;

// The queues of the last few discs and folders, kept in a settings section of their own so that
// a queue outlives the program and comes back with its disc: one key a disc or folder
// ("Queue-" and a hash of its identity), its value "USE NUMBERS IDENTITY" with the numbers
// joined by "+" ("-" for none). At most MaxCollections are kept, the one used longest ago
// forgotten first; a number that does not read is dropped, the rest of its queue kept.
class QueueStore {
public:
    static constexpr int MaxCollections = 16;
    // Song numbers above this are no song of any disc or folder we play.
    static constexpr int MaxNumber = 99999;

    explicit QueueStore(SettingsStore& store);

    std::vector<int> load(const QString& collection);
    void save(const QString& collection, const std::vector<int>& numbers);

    static QString keyFor(const QString& collection);
    struct Stored {
        qint64 use = 0;
        std::vector<int> numbers;
        QString collection;
    };
    // Nothing for a value whose use or identity does not read.
    static std::optional<Stored> parse(const QString& value);
    static QString format(const Stored& stored);

private:
    void read();
    void forgetOldest();

    SettingsStore& m_store;
    bool m_read = false;
    QHash<QString, Stored> m_queues; // by identity
    qint64 m_lastUse = 0;
};

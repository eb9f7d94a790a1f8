#pragma once

#include "platform/settings/settings_store.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <cstdint>

// A settings section in memory, as the store hands it over: what a harness reads and writes.
class MapStore : public SettingsStore {
public:
    QString Get(const QString& key) const override { return values.value(key); }
    void Save(const QString& key, const QString& value) override
    {
        values[key] = value;
        written.insert(key);
    }
    QMap<QString, QString> GetAll() const override { return values; }
    void Remove(const QString& key) override { values.remove(key); }
    QMap<QString, QString> values;
    QSet<QString> written; // the keys the harness's subject wrote; the rest are the file's
};

// An input that is a settings section and then steps: lines "key=value" (the section as the
// store hands it over), then, after a NUL, one step a line.
struct SectionAndSteps {
    MapStore store;
    QStringList steps;
};

inline SectionAndSteps readSectionAndSteps(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\0');
    SectionAndSteps input;
    for (const QString& line :
         QString::fromUtf8(split < 0 ? bytes : bytes.left(split)).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            input.store.values[line.left(equals)] = line.mid(equals + 1);
    }
    if (split >= 0)
        input.steps = QString::fromUtf8(bytes.mid(split + 1)).split('\n');
    return input;
}

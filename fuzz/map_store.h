#pragma once

#include "platform/settings/settings_store.h"

#include <QMap>
#include <QSet>

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

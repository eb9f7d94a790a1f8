#pragma once

#include <QMap>
#include <QString>

// The per-user store of string settings, all under the application title and one section.
// An absent key reads as the empty string; the store reports no errors to its callers.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString Get(const QString& key) const = 0;
    // Creates or overwrites the value and writes it through at once.
    virtual void Save(const QString& key, const QString& value) = 0;
    // Every key of the section with its value, read at once.
    virtual QMap<QString, QString> GetAll() const = 0;
    // Takes the key out of the section, writing through at once; other keys stay as they are.
    virtual void Remove(const QString& key) = 0;
};

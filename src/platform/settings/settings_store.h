#pragma once

#include <QString>

// The per-user store of string settings, all under the application title and one section.
// An absent key reads as the empty string; the store reports no errors to its callers.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString Get(const QString& key) const = 0;
    // Creates or overwrites the value and writes it through at once.
    virtual void Save(const QString& key, const QString& value) = 0;
};

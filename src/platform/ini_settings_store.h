#pragma once

#include "platform/settings_store.h"

#include <QString>

// Settings kept in an INI file per user ($XDG_CONFIG_HOME/Tamrel VCD Player/...).
// A file that cannot be read or parsed reads as absent keys; before the first write over
// such a file it is kept aside, so nothing the user had is destroyed.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(); // the user's own file
    explicit IniSettingsStore(const QString& filePath);

    QString Get(const QString& key) const override;
    void Save(const QString& key, const QString& value) override;
    QString filePath() const { return m_path; }

    static QString defaultFilePath();

private:
    bool fileIsUsable() const;
    void keepDamagedFileAside() const;

    QString m_path;
};

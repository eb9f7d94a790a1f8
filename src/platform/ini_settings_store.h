#pragma once

#include "platform/settings_store.h"

#include <QString>

// Settings kept as the keys of one section of an INI file. A file that cannot be read or
// parsed reads as absent keys; before the first write over such a file it is kept aside, so
// nothing the user had is destroyed.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(QString filePath, QString section);

    QString Get(const QString& key) const override;
    void Save(const QString& key, const QString& value) override;

    // The user's own file of a program: $XDG_CONFIG_HOME/TITLE/TITLE.ini.
    static QString userFilePath(const QString& applicationTitle);

private:
    bool fileIsUsable() const;
    void keepDamagedFileAside() const;
    QString groupedKey(const QString& key) const;

    QString m_path;
    QString m_section;
};

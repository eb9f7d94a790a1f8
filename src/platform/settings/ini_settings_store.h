#pragma once

#include "platform/settings/settings_store.h"

#include <QMap>
#include <QString>

class QSettings;

// Settings kept as the keys of one section of an INI file. A file that cannot be read or
// parsed reads as absent keys; before the first write over such a file it is kept aside, so
// nothing the user had is destroyed. Keys the file loses while the program runs (deleted,
// emptied, set aside) go back into it with the next Save; a file that cannot be written is
// left as it is, quietly.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(QString filePath, QString section);

    QString Get(const QString& key) const override;
    void Save(const QString& key, const QString& value) override;
    QMap<QString, QString> GetAll() const override;
    void Remove(const QString& key) override;

    // The user's own file of a program: $XDG_CONFIG_HOME/TITLE/TITLE.ini.
    static QString userFilePath(const QString& applicationTitle);

private:
    bool fileIsUsable() const;
    void keepDamagedFileAside() const;
    QString groupedKey(const QString& key) const;
    void remember(QSettings& settings) const;

    QString m_path;
    QString m_section;
    // The section as last read or written.
    mutable QMap<QString, QString> m_known;
};

#include "platform/settings/ini_settings_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
// QSettings quietly skips lines it cannot parse, so a damaged file would be rewritten
// without them at the next save. A file is taken as an INI file only when it is text whose
// every line is blank, a comment, a [section] or a key=value pair.
bool looksLikeIniText(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return false;
    const QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        return false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') ? !line.endsWith(u']') : !line.contains(u'='))
            return false;
    }
    return true;
}
} // namespace

IniSettingsStore::IniSettingsStore(QString filePath, QString section)
    : m_path(std::move(filePath)), m_section(std::move(section))
{
}

QString IniSettingsStore::userFilePath(const QString& applicationTitle)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
           applicationTitle + '/' + applicationTitle + ".ini";
}

QString IniSettingsStore::groupedKey(const QString& key) const
{
    return m_section + '/' + key;
}

// A missing file is fine (first run); anything that exists but is no readable INI is not.
bool IniSettingsStore::fileIsUsable() const
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return true;
    QFile file(m_path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return looksLikeIniText(file.readAll());
}

void IniSettingsStore::remember(QSettings& settings) const
{
    settings.beginGroup(m_section);
    for (const QString& key : settings.childKeys())
        m_known[key] = settings.value(key).toString();
    settings.endGroup();
}

QString IniSettingsStore::Get(const QString& key) const
{
    if (!fileIsUsable())
        return {};
    QSettings settings(m_path, QSettings::IniFormat);
    remember(settings);
    return settings.value(groupedKey(key)).toString();
}

void IniSettingsStore::keepDamagedFileAside() const
{
    const QFileInfo info(m_path);
    if (!info.exists() || !info.isFile())
        return;
    const QString aside =
        m_path + ".damaged-" + QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss");
    QFile::rename(m_path, aside);
}

void IniSettingsStore::Save(const QString& key, const QString& value)
{
    if (!fileIsUsable())
        keepDamagedFileAside();
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSettings settings(m_path, QSettings::IniFormat);
    remember(settings);
    m_known[key] = value;
    for (auto known = m_known.cbegin(); known != m_known.cend(); ++known)
        if (known.key() == key || !settings.contains(groupedKey(known.key())))
            settings.setValue(groupedKey(known.key()), known.value());
    settings.sync();
}

QMap<QString, QString> IniSettingsStore::GetAll() const
{
    if (!fileIsUsable())
        return {};
    QSettings settings(m_path, QSettings::IniFormat);
    QMap<QString, QString> values;
    settings.beginGroup(m_section);
    for (const QString& key : settings.childKeys())
        values[key] = settings.value(key).toString();
    settings.endGroup();
    return values;
}

void IniSettingsStore::Remove(const QString& key)
{
    m_known.remove(key);
    if (!fileIsUsable() || !QFileInfo::exists(m_path))
        return; // nothing of ours to take out of a damaged or missing file
    QSettings settings(m_path, QSettings::IniFormat);
    settings.remove(groupedKey(key));
    settings.sync();
}

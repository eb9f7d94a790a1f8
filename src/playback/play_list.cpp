#include "playback/play_list.h"

#include "platform/files/folder_lister.h"
#include "platform/files/media_paths.h"

#include <QRegularExpression>

namespace {

QList<QRegularExpression> compilePattern(const QString& pattern)
{
    QList<QRegularExpression> result;
    for (const QString& part : pattern.split(';', Qt::SkipEmptyParts)) {
        const QString wildcard = part.trimmed();
        if (wildcard.isEmpty())
            continue;
        result << QRegularExpression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                     QRegularExpression::CaseInsensitiveOption);
    }
    return result;
}

bool matchesAny(const QList<QRegularExpression>& patterns, const QString& name)
{
    for (const QRegularExpression& re : patterns)
        if (re.match(name).hasMatch())
            return true;
    return false;
}

} // namespace

bool PlayList::matchesPattern(const QString& pattern, const QString& fileName)
{
    return matchesAny(compilePattern(pattern), fileName);
}

bool PlayList::setPath(const QString& folder)
{
    const std::optional<QStringList> names = m_lister->listFiles(folder);
    if (!names)
        return false;
    m_folder = folder;
    const auto patterns = compilePattern(m_pattern);
    m_entries.clear();
    for (const QString& name : *names)
        if (matchesAny(patterns, name))
            m_entries << name;
    std::sort(m_entries.begin(), m_entries.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    m_index = -1;
    return true;
}

void PlayList::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    reload();
}

bool PlayList::setSingleFile(const QString& filePath)
{
    const MediaPaths::Split split = MediaPaths::splitFilePath(filePath);
    if (split.name.isEmpty())
        return false;
    m_folder = split.folder;
    m_entries = QStringList{split.name};
    m_index = 0;
    return true;
}

void PlayList::reload()
{
    if (m_folder.isEmpty())
        return;
    // A new pattern also turns a single handed-over file back into its whole folder.
    if (!setPath(m_folder)) {
        m_entries.clear();
        m_index = -1;
    }
}

bool PlayList::setListIndex(int index)
{
    if (index < -1 || index >= ListCount())
        return false;
    m_index = index;
    return true;
}

QString PlayList::FileName() const
{
    return m_index >= 0 ? m_entries.value(m_index) : QString();
}

QString PlayList::fullPath() const
{
    return MediaPaths::join(m_folder, FileName());
}

#pragma once

#include <QStringList>
#include <QTemporaryDir>

// A temporary folder of empty files, removed with the object.
class FileFolder {
public:
    explicit FileFolder(const QStringList& names = {});
    // Creates the files; false when one of them could not be made.
    bool add(const QStringList& names) { return touch(path(), names); }
    // Empty files of these names in any folder; false when one of them could not be made.
    static bool touch(const QString& folder, const QStringList& names);
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // stem + 1..count with `width` digits + suffix: numbered("t", 3, ".dat") is t01.dat..t03.dat.
    static QStringList numbered(const QString& stem, int count, const QString& suffix,
                                int width = 2);

private:
    QTemporaryDir m_dir;
};

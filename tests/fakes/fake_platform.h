#pragma once

#include "app/player_window.h"
#include "fake_cd_drives.h"
#include "fake_media_player.h"
#include "platform/mci.h"
#include "platform/settings_store.h"
#include "platform/system_folders.h"

#include <QMap>
#include <QStringList>
#include <memory>

class FakeSettingsStore : public SettingsStore {
public:
    QString Get(const QString& key) const override { return values.value(key); }
    void Save(const QString& key, const QString& value) override
    {
        values[key] = value;
        saves << key;
    }
    QMap<QString, QString> values;
    QStringList saves;
};

class FakeMci : public MciCommands {
public:
    long send(const QString& command) override;
    QString errorText(long code) const override { return QStringLiteral("error %1").arg(code); }
    QStringList sent;
    QMap<QString, long> results; // by lower-case command; absent means 0
};

class FakeSystemFolders : public SystemFolders {
public:
    QString GetSpecialFolder(int id) const override
    {
        return id == Desktop ? desktop : id == Documents ? documents : QString();
    }
    QString GetWindowsDir() const override { return windowsDir; }
    QString GetOSVersion() const override { return osVersion; }
    QString desktop = QStringLiteral("/home/user/Desktop");
    QString documents = QStringLiteral("/home/user/Documents");
    QString windowsDir = QStringLiteral("/home/user/.local/share/tamrel");
    QString osVersion;
};

// The whole main window built on fakes, as the tests drive it.
struct FakeRig {
    FakeRig();
    PlatformServices services();
    Playerfrm& window(); // built on first use, after the fakes were scripted
    Playerfrm& load(const QString& commandLine = QString());

    FakeMediaPlayer player;
    FakeSettingsStore settings;
    FakeMci mci;
    FakeSystemFolders folders;
    FakeCdDrives drives;
    QList<int> exitCodes;

private:
    std::unique_ptr<Playerfrm> m_window;
};

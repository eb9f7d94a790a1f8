#pragma once

#include "app/player_window.h"
#include "fake_capture.h"
#include "fake_cd_drives.h"
#include "fake_disc_change_events.h"
#include "fake_media_player.h"
#include "fake_mixer_device.h"
#include "platform/disc/disc_control.h"
#include "platform/disc/mci.h"
#include "platform/disc/song_starts.h"
#include "platform/files/folder_lister.h"
#include "platform/settings/settings_store.h"
#include "platform/shell/system_folders.h"

#include <QHash>
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
    QMap<QString, QString> GetAll() const override { return values; }
    void Remove(const QString& key) override
    {
        values.remove(key);
        saves << "-" + key;
    }
    QMap<QString, QString> values;
    QStringList saves;
};

// Device commands answered as on a machine without a CD drive: the CD audio open test and
// the door commands fail with 275 (no such device), "close all" succeeds.
class FakeMci : public MciCommands {
public:
    static constexpr long NoDevice = 275;
    long send(const QString& command) override;
    QString errorText(long code) const override { return QStringLiteral("error %1").arg(code); }
    QStringList sent;
    QMap<QString, long> results; // by lower-case command; absent: as without a drive
};

// Ordinary folders from the file system, disc folders ("SR0:\Mpegav") from `discFolders`;
// a disc folder not in it reads as a drive without a readable disc.
class FakeFolderLister : public FolderLister {
public:
    std::optional<QStringList> listFiles(const QString& folder) const override;
    QMap<QString, QStringList> discFolders; // by folder, in any case
};

class FakeSystemFolders : public SystemFolders {
public:
    QString GetSpecialFolder(int id) const override
    {
        return id == Desktop ? desktop : id == Documents ? documents : QString();
    }
    // Records what was asked for; the disk is left alone (the real folders do make them).
    bool createSpecialFolder(int id) const override
    {
        createRequests << id;
        return false;
    }
    QString GetWindowsDir() const override { return windowsDir; }
    QString GetOSVersion() const override { return osVersion; }
    mutable QList<int> createRequests;
    QString desktop = QStringLiteral("/home/user/Desktop");
    QString documents = QStringLiteral("/home/user/Documents");
    QString windowsDir = QStringLiteral("/home/user/.local/share/tamrel");
    QString osVersion;
};

// Song starts by track path, as a test sets them.
class FakeSongStarts : public SongStarts {
public:
    std::vector<double> songStarts(const QString& trackPath) override
    {
        asked << trackPath;
        return starts.value(trackPath);
    }
    QHash<QString, std::vector<double>> starts;
    QStringList asked;
};

// The control files of the disc in each drive, as a test sets them.
class FakeDiscControl : public DiscControl {
public:
    VideoCdControlFiles controlFiles(const QString& driveId) override
    {
        asked << driveId;
        return discs.value(driveId.toUpper());
    }
    QHash<QString, VideoCdControlFiles> discs; // by upper-case drive id
    QStringList asked;
};

// The whole main window built on fakes, as the tests drive it.
struct FakeRig {
    FakeRig();
    PlatformServices services();
    Playerfrm& window(); // built on first use, after the fakes were scripted
    // Runs the start-up sequence and lets the player report what it opened.
    Playerfrm& load(const QString& commandLine = QString());
    // Loads `firstFile` from the command line, as a user's file, then plays the whole of its
    // folder (`pattern`) from the start, the window shown and active.
    Playerfrm& playFolder(const QString& firstFile, const QString& pattern);
    // Lets the player report every medium it is opening.
    void settle() { player.settle(); }

    FakeMediaPlayer player;
    FakeSettingsStore settings;
    FakeSettingsStore songSettings;   // the per-song key and tempo section
    FakeSettingsStore listSettings;   // the disc lists' section
    FakeSettingsStore queueSettings;  // the song queues' section
    FakeSettingsStore singerSettings; // the singer screen's section
    FakeMci mci;
    FakeSystemFolders folders;
    FakeCdDrives drives;
    FakeDiscChangeEvents discEvents;
    FakeFolderLister folderLister;
    FakeMixerDevice mixer;
    FakeToneControl toneControl;
    FakeScreenGrabber grabber;
    FakeWallpaper wallpaper;
    FakeSongStarts songStarts;
    FakeDiscControl discControl;
    // What captures grab the screen with; a test may put the real one in.
    ScreenGrabber* screenGrabber = &grabber;
    // The tone stage where the mixer has no bass or treble; a test may take it away.
    ToneControl* tone = &toneControl;
    // What the play list lists folders with; a test may point it at a real lister.
    const FolderLister* lister = &folderLister;
    // Where the special folders are; a test may put the real ones in.
    SystemFolders* systemFolders = &folders;
    QList<int> exitCodes;

private:
    std::unique_ptr<Playerfrm> m_window;
};

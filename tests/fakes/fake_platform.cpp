#include "fake_platform.h"

#include "platform/disc/disc_path.h"
#include "platform/files/media_folder_lister.h"
#include "playback/playback_engine.h"

#include <QFileInfo>
#include <QRegularExpression>

long FakeMci::send(const QString& command)
{
    sent << command;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QString key = command.toLower().split(blanks, Qt::SkipEmptyParts).join(' ');
    if (results.contains(key))
        return results.value(key);
    return key == QLatin1String("close all") ? 0 : NoDevice;
}

std::optional<QStringList> FakeFolderLister::listFiles(const QString& folder) const
{
    if (!DiscPath::isDiscPath(folder))
        return MediaFolderLister().listFiles(folder);
    for (auto it = discFolders.begin(); it != discFolders.end(); ++it)
        if (it.key().compare(folder, Qt::CaseInsensitive) == 0)
            return it.value();
    return std::nullopt;
}

FakeRig::FakeRig() = default;

PlatformServices FakeRig::services()
{
    return PlatformServices{.player = &player,
                            .settings = &settings,
                            .mci = &mci,
                            .folders = systemFolders,
                            .drives = &drives,
                            .discEvents = &discEvents,
                            .folderLister = lister,
                            .mixer = &mixer,
                            .tone = tone,
                            .karaoke = &player,
                            .songSettings = &songSettings,
                            .songStarts = &songStarts,
                            .discControl = &discControl,
                            .playbackControlSettings = &listSettings,
                            .queueSettings = &queueSettings,
                            .singerScreenSettings = &singerSettings,
                            .grabber = screenGrabber,
                            .wallpaper = &wallpaper,
                            .endProcess = [this](int code) { exitCodes << code; }};
}

Playerfrm& FakeRig::window()
{
    if (!m_window)
        m_window = std::make_unique<Playerfrm>(services());
    return *m_window;
}

Playerfrm& FakeRig::playFolder(const QString& firstFile, const QString& pattern)
{
    Playerfrm& w = load(firstFile);
    w.engine().File1().setPattern(pattern);
    w.engine().File1().setPath(QFileInfo(firstFile).absolutePath());
    w.engine().File1().setListIndex(0);
    w.engine().StartListPlayback();
    settle();
    w.show();
    w.activateWindow();
    return w;
}

Playerfrm& FakeRig::load(const QString& commandLine)
{
    window().Form_Load(commandLine);
    settle();
    return *m_window;
}

#include "videocd/video_cd_loader.h"

#include "bookmarks/bookmark.h"
#include "diagnostics/diagnostics.h"
#include "platform/disc/cd_drives.h"
#include "platform/disc/disc_path.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"
#include "videocd/cd_notice.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <utility>

const QString VideoCdLoader::NoDrive = QStringLiteral("CD Drive");
const QString VideoCdLoader::SuperVideoCdPattern = QStringLiteral("*.mpg");

VideoCdLoader::VideoCdLoader(CdDrives& drives, PlaybackEngine& engine, Controls controls,
                             QWidget* window, QObject* parent)
    : QObject(parent), txtCDdrive(NoDrive), m_drives(drives), m_engine(engine),
      m_controls(std::move(controls)), m_window(window)
{
}

// Scans the drives, appends them to the drive list and chooses one of its entries.
VideoCdLoader::Scan VideoCdLoader::scanAndChoose(int entry)
{
    const QList<CdDrive> found = m_drives.drives();
    if (found.isEmpty())
        return Scan::NoDrives;
    for (const CdDrive& drive : found)
        List1 << drive.id;
    if (entry >= List1.size())
        return Scan::NoEntry;
    const QString letter = List1.at(entry).toUpper();
    Text2 = DiscPath::movieFolder(letter);
    txtCDdrive = letter;
    return Scan::Chosen;
}

bool VideoCdLoader::PickFirstCdDrive()
{
    return scanAndChoose(0) == Scan::Chosen;
}

bool VideoCdLoader::pointListAtDiscFolder()
{
    const std::optional<DiscPath> folder = DiscPath::parse(Text2);
    if (!folder)
        return false;
    const QString superVideoCd = DiscPath::superVideoCdFolder(folder->driveId);
    PlayList& list = m_engine.File1();
    useSuperVideoCdPattern(Text2 == superVideoCd);
    if (!list.setPath(Text2)) {
        // A disc without MPEGAV may be a Super Video CD; one with both is played as a Video CD.
        if (Text2 == superVideoCd)
            return false;
        useSuperVideoCdPattern(true);
        if (!list.setPath(superVideoCd))
            return false;
        Text2 = superVideoCd;
    }
    return list.setListIndex(0);
}

// The play list's pattern stays the user's for Video CDs (a pattern chosen in the chooser
// still decides what their MPEGAV holds) and is the .MPG pattern only while a Super Video
// CD's folder is listed.
void VideoCdLoader::useSuperVideoCdPattern(bool superVideoCd)
{
    PlayList& list = m_engine.File1();
    if (superVideoCd && list.Pattern() != SuperVideoCdPattern) {
        m_patternBeforeSuperVideoCd = list.Pattern();
        list.setPattern(SuperVideoCdPattern);
    } else if (!superVideoCd && m_patternBeforeSuperVideoCd &&
               list.Pattern() == SuperVideoCdPattern) {
        list.setPattern(*std::exchange(m_patternBeforeSuperVideoCd, std::nullopt));
    }
}

bool VideoCdLoader::insertDiscImage(const QString& path)
{
    if (path.isEmpty() || !m_drives.insertImage(path))
        return false;
    // The drive list starts again, so that its first entry is the drive that took the image.
    List1.clear();
    return true;
}

bool VideoCdLoader::playDiscImage(const QString& path)
{
    if (!insertDiscImage(path))
        return false;
    Command29();
    return true;
}

void VideoCdLoader::showNotice()
{
    if (!m_notice)
        m_notice = new CdNotice(m_window);
    m_notice->showNow();
}

void VideoCdLoader::closeNotice()
{
    m_noticeWanted = false;
    if (m_notice)
        m_notice->close();
}

void VideoCdLoader::playWithNotice()
{
    // While the player is still starting, the track's load would only wait for it: the notice
    // (a window of its own, tens of milliseconds to build and paint) is shown in that time,
    // and with it the window gets its first paint.
    if (m_engine.playerStarting()) {
        showNotice();
        startPlayback();
        return;
    }
    // Otherwise the load goes out before the notice is built and painted; a track that plays
    // already (its start closes the notice) needs none.
    m_noticeWanted = true;
    startPlayback();
    if (std::exchange(m_noticeWanted, false))
        showNotice();
}

void VideoCdLoader::startPlayback()
{
    if (m_controls.startDiscLists && m_controls.startDiscLists(txtCDdrive))
        return;
    m_engine.StartListPlayback();
}

void VideoCdLoader::Command29()
{
    m_controls.DisableTrackControls();
    PickFirstCdDrive();
    if (!pointListAtDiscFolder()) {
        RetrySecondCdDrive();
        return;
    }
    Diagnostics::mark("video CD: disc folder listed");
    m_engine.setStatus(StatusText::Loading);
    if (txtCDdrive != NoDrive) {
        m_controls.bookmark.videoCdFolderLoaded(true);
        playWithNotice();
    } else {
        showNotice();
        m_controls.bookmark.videoCdFolderLoaded(false);
    }
    Diagnostics::mark("video CD: playing, notice shown");
}

void VideoCdLoader::Command32()
{
    m_controls.DisableTrackControls();
    m_engine.File1().setPath(QCoreApplication::applicationDirPath());
    PickFirstCdDrive();
    if (txtCDdrive == NoDrive) {
        m_controls.bookmark.videoCdFolderLoaded(false);
        return;
    }
    m_controls.bookmark.videoCdFolderLoaded(true);
    if (!pointListAtDiscFolder()) {
        RetrySecondCdDrive();
        return;
    }
    startPlayback();
}

void VideoCdLoader::RetrySecondCdDrive()
{
    const Scan scan = scanAndChoose(1);
    if (scan == Scan::NoDrives)
        return; // no drive at all: quietly nothing
    if (scan != Scan::Chosen || !pointListAtDiscFolder()) {
        failLoading(StatusText::NoMovies);
        return;
    }
    m_controls.bookmark.videoCdFolderLoaded(true);
    playWithNotice();
}

// A disc that could not be loaded: nothing to capture or bookmark.
void VideoCdLoader::failLoading(const QString& status)
{
    m_engine.setStatus(status);
    m_engine.disarmWatchdog();
    m_controls.disableCapture();
    m_controls.bookmark.turnOff();
}

void VideoCdLoader::Command30()
{
    if (pointListAtDiscFolder()) {
        m_controls.bookmark.videoCdFolderLoaded(true);
        return;
    }
    failLoading(StatusText::Idle);
}

void VideoCdLoader::CheckDiscAndBookmark()
{
    m_engine.SendMCIString(QStringLiteral("close all"), false);
    // The device test stays, but a machine without a CD drive plays files all the same:
    // its failure neither shows a box nor ends the program.
    m_engine.SendMCIString(QStringLiteral("open cdaudio alias cd69 wait shareable"), false);
    m_controls.bookmark.CheckAvailability();
}

bool VideoCdLoader::noticeShown() const
{
    return m_notice && m_notice->isVisible();
}

#include "videocd/video_cd_loader.h"

#include "platform/cd_drives.h"
#include "platform/disc_path.h"
#include "platform/media_player.h"
#include "platform/settings_store.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"
#include "settings/settings_keys.h"
#include "videocd/cd_notice.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

const QString VideoCdLoader::NoDrive = QStringLiteral("CD Drive");

VideoCdLoader::VideoCdLoader(CdDrives& drives, PlaybackEngine& engine, MediaPlayer& player,
                             SettingsStore& settings, Controls controls, QWidget* window,
                             QObject* parent)
    : QObject(parent), txtCDdrive(NoDrive), m_drives(drives), m_engine(engine), m_player(player),
      m_settings(settings), m_controls(std::move(controls)), m_window(window)
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
    PlayList& list = m_engine.File1();
    return !Text2.isEmpty() && list.setPath(Text2) && list.setListIndex(0);
}

void VideoCdLoader::setBookmarkControlsForLoadedDisc()
{
    m_controls.cmdBookmark->setEnabled(true);
    m_controls.mnuaddbookmark->setEnabled(true);
    m_controls.mnuvcdbookmark->setEnabled(false);
}

void VideoCdLoader::disableBookmarkControlsWithoutDrive()
{
    m_controls.cmdBookmark->setEnabled(false);
    m_controls.mnuaddbookmark->setEnabled(false);
    m_controls.MnuClearbookmark->setEnabled(false);
}

void VideoCdLoader::showNotice()
{
    if (!m_notice)
        m_notice = new CdNotice(m_window);
    m_notice->showNow();
}

void VideoCdLoader::closeNotice()
{
    if (m_notice)
        m_notice->close();
}

void VideoCdLoader::Command29()
{
    m_controls.DisableTrackControls();
    PickFirstCdDrive();
    if (!pointListAtDiscFolder()) {
        RetrySecondCdDrive();
        return;
    }
    m_engine.setStatus(StatusText::Loading);
    showNotice();
    if (txtCDdrive != NoDrive) {
        setBookmarkControlsForLoadedDisc();
        m_engine.StartListPlayback();
    } else {
        disableBookmarkControlsWithoutDrive();
    }
}

void VideoCdLoader::Command32()
{
    m_controls.DisableTrackControls();
    m_engine.File1().setPath(QCoreApplication::applicationDirPath());
    PickFirstCdDrive();
    if (txtCDdrive == NoDrive) {
        disableBookmarkControlsWithoutDrive();
        return;
    }
    setBookmarkControlsForLoadedDisc();
    if (!pointListAtDiscFolder()) {
        RetrySecondCdDrive();
        return;
    }
    m_engine.StartListPlayback();
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
    setBookmarkControlsForLoadedDisc();
    showNotice();
    m_engine.StartListPlayback();
}

// A disc that could not be loaded: nothing to capture or bookmark.
void VideoCdLoader::failLoading(const QString& status)
{
    m_engine.setStatus(status);
    m_engine.disarmWatchdog();
    m_controls.cmdCapture->setEnabled(false);
    m_controls.mnucapturescreen->setEnabled(false);
    m_controls.mnuvcdbookmark->setEnabled(false);
    m_controls.cmdBookmark->setEnabled(false);
    m_controls.mnuaddbookmark->setEnabled(false);
}

void VideoCdLoader::Command30()
{
    if (pointListAtDiscFolder()) {
        setBookmarkControlsForLoadedDisc();
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
    cdis2txt = QString::number(m_drives.SerNum(txtCDdrive));
    Bookcurrtxt = m_settings.Get(SettingsKeys::Bookmark);
    cdistxt = m_settings.Get(SettingsKeys::Bookmarkid);
    Filepath2txt = m_settings.Get(SettingsKeys::Bookmarkpath);
    if (m_player.FileName() == Filepath2txt && cdistxt == cdis2txt) {
        m_controls.mnuvcdbookmark->setEnabled(true);
        m_controls.MnuClearbookmark->setEnabled(true);
        m_controls.cmdBookmark->setEnabled(false);
        m_controls.mnuaddbookmark->setEnabled(false);
    } else {
        m_controls.mnuvcdbookmark->setEnabled(false);
    }
}

bool VideoCdLoader::noticeShown() const
{
    return m_notice && m_notice->isVisible();
}

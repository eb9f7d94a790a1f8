#include "capture/capture_chain.h"

#include "capture/capture_curtain.h"
#include "capture/capture_destination.h"
#include "platform/player/media_player.h"
#include "platform/settings/settings_store.h"
#include "platform/shell/screen_grabber.h"
#include "platform/shell/system_folders.h"
#include "platform/shell/wallpaper.h"
#include "settings/settings_keys.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWidget>

namespace {

// How long a failure text is shown again when the player reports that it plays on.
constexpr int FailureOutlastsMs = 2000;

QString folderOf(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

} // namespace

CaptureChain::CaptureChain(QWidget* window, Services services, Timers timers, QString& captionPath)
    : QObject(window), m_window(window), m_services(std::move(services)), m_timers(timers),
      m_captionPath(captionPath), m_caption(m_services.settings, window)
{
    // Each step runs once and starts the next one; coarse timers could fire 5 % early.
    for (QTimer* timer : {&m_timers.Timer1, &m_timers.Timer2, &m_timers.Timer3}) {
        timer->setInterval(StepMs);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_timers.Timer1, &QTimer::timeout, this, &CaptureChain::Timer1_Timer);
    connect(&m_timers.Timer2, &QTimer::timeout, this, &CaptureChain::Timer2_Timer);
    connect(&m_timers.Timer3, &QTimer::timeout, this, &CaptureChain::Timer3_Timer);
    m_wait.setSingleShot(true);
    m_wait.setInterval(WaitMs);
    m_wait.setTimerType(Qt::PreciseTimer);
    connect(&m_wait, &QTimer::timeout, this, [this] {
        clickCurtain();
        moveTo(Stage::Clicking);
    });
    // The status line shows the player's state when it plays on; a failure of this capture
    // is put back over it.
    connect(&m_services.player, &MediaPlayer::PlayStateChange, this, [this](long, long newState) {
        if (newState != MediaPlayer::Playing || m_failure.isEmpty())
            return;
        if (m_failureShown.isValid() && m_failureShown.elapsed() < FailureOutlastsMs &&
            m_services.report)
            m_services.report(m_failure);
        m_failure.clear();
    });
}

CaptureChain::~CaptureChain()
{
    delete m_curtain;
}

Capturefrm* CaptureChain::curtain() const
{
    return m_curtain;
}

QString CaptureChain::cannotGrab()
{
    return QStringLiteral("The screen could not be captured.");
}

QString CaptureChain::cannotSave(const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("The picture could not be saved: there is no folder to save it in.");
    return QStringLiteral("The picture could not be saved in %1").arg(folderOf(path));
}

QString CaptureChain::cannotCaption(const QString& path)
{
    return QStringLiteral("The caption could not be written on %1")
        .arg(QDir::toNativeSeparators(path));
}

QString CaptureChain::cannotStamp(const QString& path)
{
    return QStringLiteral("The picture could not be renamed; it is kept as %1")
        .arg(QDir::toNativeSeparators(path));
}

QString CaptureChain::cannotSetWallpaper()
{
    return QStringLiteral("The picture could not be made the wallpaper.");
}

bool CaptureChain::saveBitmap(const QImage& picture, const QString& path)
{
    if (picture.isNull() || path.isEmpty())
        return false;
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP") || bitmap.isEmpty())
        return false;
    // Written beside the old file and then put in its place, so a full disk leaves no
    // half-written picture.
    QSaveFile file(path);
    file.setDirectWriteFallback(true); // a writable file in a folder where nothing can be added
    return file.open(QIODevice::WriteOnly) && file.write(bitmap) == bitmap.size() && file.commit();
}

bool CaptureChain::Capture()
{
    if (m_stage != Stage::Idle || m_services.player.FileName().isEmpty())
        return false;
    m_failure.clear();
    if (m_services.leaveOnTop)
        m_services.leaveOnTop();
    m_captionPath =
        CaptureDestination::CapturePath(m_services.settings, m_services.folders, m_captionPath);
    m_services.player.Pause();
    m_services.player.setDisplaySize(MediaPlayer::FullScreen);
    if (!m_curtain)
        m_curtain = new Capturefrm(m_window);
    m_curtain->showOver(m_window->screen());
    moveTo(Stage::Armed);
    return true;
}

void CaptureChain::moveTo(Stage next)
{
    m_stage = next;
    m_wait.stop();
    const auto runOnlyIn = [next](QTimer& timer, Stage stage) {
        if (next == stage)
            timer.start();
        else
            timer.stop();
    };
    runOnlyIn(m_timers.Timer1, Stage::Armed);
    runOnlyIn(m_timers.Timer2, Stage::Clicking);
    runOnlyIn(m_timers.Timer3, Stage::Saving);
    emit stageChanged(next);
}

void CaptureChain::Timer1_Timer()
{
    if (m_curtain)
        m_curtain->showOver(m_window->screen());
    // The second passes with the event loop running, so the picture is drawn at its full
    // size before the curtain goes.
    m_wait.start();
}

void CaptureChain::clickCurtain()
{
    // What a click on the curtain does.
    if (m_curtain)
        m_curtain->close();
}

void CaptureChain::Timer2_Timer()
{
    m_grab = m_services.grabber ? m_services.grabber->grabScreen(m_window->screen()) : QImage();
    moveTo(Stage::Saving);
}

void CaptureChain::Timer3_Timer()
{
    const bool saved = writeGrab();
    moveTo(Stage::Idle);
    restorePlayback();
    if (saved)
        finishPicture();
    emit finished();
}

bool CaptureChain::writeGrab()
{
    const QString path = m_services.destination ? m_services.destination() : m_captionPath;
    const QImage grab = std::exchange(m_grab, QImage());
    if (grab.isNull()) {
        reportFailure(cannotGrab());
        return false;
    }
    makeMissingFolderFor(path);
    if (!saveBitmap(grab, path)) {
        reportFailure(cannotSave(path));
        return false;
    }
    return true;
}

void CaptureChain::makeMissingFolderFor(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (path.isEmpty() || QFileInfo::exists(folder))
        return;
    // Only the desktop or documents folder itself is made, where the user's settings put it.
    for (int id : {SystemFolders::Desktop, SystemFolders::Documents})
        if (QDir::cleanPath(m_services.folders.GetSpecialFolder(id)) == QDir::cleanPath(folder))
            m_services.folders.createSpecialFolder(id);
}

void CaptureChain::restorePlayback()
{
    m_services.player.setDisplaySize(MediaPlayer::FitToSize);
    m_services.player.Play();
    m_window->update();
}

void CaptureChain::finishPicture()
{
    // An empty path would only ask for a picture to be loaded first.
    if (!m_captionPath.isEmpty() &&
        m_caption.CaptionPicture(m_captionPath) != PictureCaption::Result::Saved)
        reportFailure(cannotCaption(m_captionPath));
    StampScreenShot();
    SetWallpaper();
}

void CaptureChain::StampScreenShot()
{
    if (m_services.settings.Get(QLatin1String(SettingsKeys::MyDocuments)) != QLatin1String("1"))
        return;
    const QString documents = m_services.folders.GetSpecialFolder(SystemFolders::Documents);
    const QString picture = CaptureDestination::screenShotIn(documents);
    if (picture.isEmpty() || !QFileInfo::exists(picture))
        return;
    // A name already taken gets a counter; rename never replaces an existing file.
    const QString stamped = CaptureDestination::freeStampedName(documents, m_services.now());
    if (stamped.isEmpty() || !QFile::rename(picture, stamped))
        reportFailure(cannotStamp(picture));
}

void CaptureChain::SetWallpaper()
{
    if (m_services.settings.Get(QLatin1String(SettingsKeys::Wallpaper)) != QLatin1String("1"))
        return;
    const QString picture = CaptureDestination::screenShotIn(m_services.folders.GetWindowsDir());
    if (picture.isEmpty())
        return;
    if (!m_services.wallpaper || !QFileInfo::exists(picture)) {
        reportFailure(cannotSetWallpaper());
        return;
    }
    const QPointer<CaptureChain> self(this);
    m_services.wallpaper->SetWallpaper(picture, [self](bool set) {
        if (self && !set)
            self->reportFailure(cannotSetWallpaper());
    });
}

void CaptureChain::reportFailure(const QString& text)
{
    m_failure = text;
    m_failureShown.start();
    if (m_services.report)
        m_services.report(text);
}

#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>

class Bookmark;
class CdDrives;
class CdNotice;
class PlaybackEngine;
class QWidget;

// Finds the Video CD (or Super Video CD) in the CD drives, points the play list at its movie
// folder and plays it; and, each time the player starts playing, tests the CD audio device and has
// the bookmark checked against what plays.
class VideoCdLoader : public QObject {
    Q_OBJECT
public:
    static const QString NoDrive; // "CD Drive": no CD drive found yet
    // A Super Video CD's tracks: the .MPG files of its MPEG2 folder.
    static const QString SuperVideoCdPattern;

    struct Controls {
        Bookmark& bookmark;
        // The capture commands' owner takes them away.
        std::function<void()> disableCapture;
        std::function<void()> DisableTrackControls;
        // Starts the disc's own lists in a drive where they are followed; false to play
        // track 1 instead. May be empty.
        std::function<bool(const QString& driveId)> startDiscLists;
    };

    // The initialising notice is a window of its own, owned by `window`.
    VideoCdLoader(CdDrives& drives, PlaybackEngine& engine, Controls controls, QWidget* window,
                  QObject* parent = nullptr);

    void Command29();
    void Command30();
    void Command32();
    // A disc image the user opened goes into a drive, as a disc just put in the first drive.
    // False, doing nothing, for a path that is no disc image.
    bool insertDiscImage(const QString& path);
    // The same, then the disc is detected and played.
    bool playDiscImage(const QString& path);
    bool PickFirstCdDrive();
    void RetrySecondCdDrive();
    void CheckDiscAndBookmark();
    void closeNotice();
    bool noticeShown() const;
    bool driveKnown() const { return txtCDdrive != NoDrive; }

    // The drive list grows by every drive at every scan and is never emptied: entry 0 and 1
    // are fixed by the first scans.
    QStringList List1;
    QString txtCDdrive;
    QString Text2;

private:
    enum class Scan { NoDrives, NoEntry, Chosen };
    Scan scanAndChoose(int entry);
    bool pointListAtDiscFolder();
    void useSuperVideoCdPattern(bool superVideoCd);
    void showNotice();
    void playWithNotice();
    // The disc's first list where its lists are followed, else its first track.
    void startPlayback();
    void failLoading(const QString& status);

    CdDrives& m_drives;
    PlaybackEngine& m_engine;
    Controls m_controls;
    QWidget* m_window;
    QPointer<CdNotice> m_notice;
    bool m_noticeWanted = false; // a start under way, the notice not yet shown
    // The play list's pattern before a Super Video CD replaced it; it returns for other discs.
    std::optional<QString> m_patternBeforeSuperVideoCd;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class CdDrives;
class CdNotice;
class MediaPlayer;
class PlaybackEngine;
class QAction;
class QPushButton;
class QWidget;
class SettingsStore;

// Finds the Video CD in the CD drives, points the play list at its movie folder and plays
// it; and, each time the player starts playing, checks whether the stored bookmark belongs
// to what plays.
class VideoCdLoader : public QObject {
    Q_OBJECT
public:
    static const QString NoDrive; // "CD Drive": no CD drive found yet

    struct Controls {
        QPushButton* cmdBookmark;
        QAction* mnuaddbookmark;
        QAction* mnuvcdbookmark;
        QAction* MnuClearbookmark;
        QPushButton* cmdCapture;
        QAction* mnucapturescreen;
        std::function<void()> DisableTrackControls;
    };

    // The initialising notice is a window of its own, owned by `window`.
    VideoCdLoader(CdDrives& drives, PlaybackEngine& engine, MediaPlayer& player,
                  SettingsStore& settings, Controls controls, QWidget* window,
                  QObject* parent = nullptr);

    void Command29();
    void Command30();
    void Command32();
    bool PickFirstCdDrive();
    void RetrySecondCdDrive();
    void CheckDiscAndBookmark();
    void closeNotice();
    bool noticeShown() const;

    // The drive list grows by every drive at every scan and is never emptied: entry 0 and 1
    // are fixed by the first scans.
    QStringList List1;
    QString txtCDdrive;
    QString Text2;
    QString cdis2txt;
    QString Bookcurrtxt;
    QString cdistxt;
    QString Filepath2txt;

private:
    enum class Scan { NoDrives, NoEntry, Chosen };
    Scan scanAndChoose(int entry);
    bool pointListAtDiscFolder();
    void setBookmarkControlsForLoadedDisc();
    void disableBookmarkControlsWithoutDrive();
    void showNotice();
    void failLoading(const QString& status);

    CdDrives& m_drives;
    PlaybackEngine& m_engine;
    MediaPlayer& m_player;
    SettingsStore& m_settings;
    Controls m_controls;
    QWidget* m_window;
    QPointer<CdNotice> m_notice;
};

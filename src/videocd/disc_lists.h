#pragma once

#include "platform/disc/video_cd_control_files.h"
#include "videocd/playback_control.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class DiscControl;
class MediaPlayer;
class PlaybackEngine;
class QAction;
class SettingsStore;
class SongStarts;

// The disc's own lists followed on the player: its menus, play lists and still pictures. With
// "Playback Control" checked, a disc that has lists starts at its first list instead of track 1;
// numbers typed (gathered for a moment, as on a remote control) or picked with the track
// buttons choose in a menu, Enter takes its default, and the lists' links answer Next,
// Previous and Return. Anything else the user plays leaves the lists, and the play order goes
// on as without them.
class DiscLists : public QObject, private VideoCd::ControlTimer {
    Q_OBJECT
public:
    struct Services {
        DiscControl* control; // null: no disc has lists
        SongStarts* songStarts;
        SettingsStore& settings; // the section of its own
        PlaybackEngine& engine;
        MediaPlayer& player;
    };
    // How long typed digits wait for the next one.
    static constexpr int DigitMilliseconds = 1500;

    DiscLists(Services services, QObject* parent = nullptr);
    ~DiscLists() override;

    // "Playback Control" in the VCD submenu; checked, it is remembered.
    QAction* mnuPlaybackControl;
    bool enabled() const;

    // Starts the first list of the disc in `driveId` (its tracks listed already) where the
    // item is checked and the disc has lists; false, doing nothing, otherwise.
    bool begin(const QString& driveId);
    bool active() const;
    // Stops following the lists; what plays goes on.
    void leave();

    // Each returns true when the lists took the input.
    bool typed(QChar character);
    bool trackChosen(int number);
    bool next();
    bool previous();
    bool returnChosen();
    // The medium the lists played has ended: true when they decide what comes next.
    bool mediumEnded();

    // Whether a disc track plays (always, outside the lists), so that the songs inside it count.
    bool playsTrack() const { return !active() || m_playsTrack; }
    // Where the user is, for the track label ("Menu", "Still") while the lists go on.
    std::optional<QString> place() const;
    // The highest number the menu shown takes (the track buttons offer it); 0 outside a menu.
    int highestNumber() const;

signals:
    void placeChanged();

private:
    void start(VideoCd::Deadline deadline, int milliseconds) override;
    void stop(VideoCd::Deadline deadline) override;
    void take(VideoCd::Step step);
    // An event of the lists, where they are followed: true when they took it.
    bool follow(VideoCd::Step (VideoCd::PlaybackControl::*event)());
    void playItem(const VideoCd::Step& step);
    void playTrack(int entry, double seconds);
    void playSegment(int index);
    void hold(const VideoCd::Step& step);
    void endLists();
    void chooseTypedNumber();
    bool moreDigitsCouldFollow() const;
    // The status line's text while a picture of the disc's own is shown.
    QString pictureStatus() const;
    void onMediumLoading(const QString& path);
    void onPlayStateChange();
    QTimer& timer(VideoCd::Deadline deadline);

    Services m_services;
    QString m_drive;
    VideoCdControlFiles m_files;
    std::unique_ptr<VideoCd::PlaybackControl> m_control;
    QTimer m_waitTimer;
    QTimer m_playTimeTimer;
    QTimer m_digitTimer;
    QString m_digits;
    std::optional<double> m_seek; // an entry's start, once its track plays
    bool m_still = false;         // the item playing is a still picture
    bool m_stillShown = false;    // its end reported
    bool m_playsTrack = false;
    bool m_loading = false; // the lists hand the player an item now
};

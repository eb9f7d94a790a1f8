#pragma once

#include "platform/player/mpv/mpv_handle.h"
#include "platform/player/mpv/mpv_options.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <future>
#include <initializer_list>

class DiscLibrary;

// The player's line to libmpv: the handle and the requests sent through it. Opening libmpv and
// starting its core take longer than building the window, so the handle is made on a thread of
// its own; the first call that needs it waits for what is left. Requests are asynchronous:
// their replies come among mpv's events, tagged with the reply id given. Every call does
// nothing (or returns nothing) when libmpv could not be set up.
class MpvClient : public QObject {
    Q_OBJECT
public:
    struct Setup {
        bool renderVideo = true;            // false: vo=null
        QStringList extraOptions;           // "name=value", after the player's own
        const DiscLibrary* discs = nullptr; // behind the disc stream protocol; none: no discs
        QByteArray probedAudioFilter;       // an "af" value whose filters are checked to exist
    };

    explicit MpvClient(const Setup& setup, QObject* parent = nullptr);
    // Anything drawing through the handle must be gone by now.
    ~MpvClient() override;

    // The handle, waiting for it while it is still being made; nullptr without libmpv.
    mpv_handle* handle() const;
    bool isStarting() const;
    // Whether libmpv knows every filter of Setup::probedAudioFilter; false until the handle
    // has been made, and without libmpv.
    bool probedFilterFound() const { return m_probedFilterFound; }

    void command(std::uint64_t replyId, std::initializer_list<QByteArray> args);
    // loadfile ... replace, with options that hold for this file only.
    void loadFile(std::uint64_t replyId, const QByteArray& url, const MpvFileOptions& fileOptions);
    void setProperty(const char* name, const QByteArray& value, std::uint64_t replyId = 0);
    // The property as text, or a null string when unavailable. Synchronous.
    QString property(const char* name) const;
    // The video frame shown now at the video's own size, or a null image. Synchronous.
    QImage videoFrame() const;

signals:
    // The handle has been made, or could not be; queued from the thread that made it.
    void handleMade();
    // mpv has events waiting (replies, and changes of the properties the player follows,
    // mpv_events.h): read them all with mpv_wait_event. Once however often mpv wakes meanwhile.
    void eventsWaiting();

private:
    MpvHandlePtr createHandle() const;
    void watchEvents(mpv_handle* mpv);
    void wake();

    const Setup m_setup;
    mutable std::future<MpvHandlePtr> m_handleInMaking;
    mutable MpvHandlePtr m_mpv;
    std::atomic<bool> m_wakeQueued{false};
    mutable std::atomic<bool> m_probedFilterFound{false};
};

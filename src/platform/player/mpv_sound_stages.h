#pragma once

#include "platform/player/mpv/mpv_audio_filters.h"

#include <QByteArray>
#include <QString>
#include <functional>

class MpvClient;
struct mpv_event;

// The player's sound path in libmpv: the channel pick or voice cancel, the key, the tempo and
// the tone, sent as one "af" chain that mpv swaps in place while playing; the key, once its
// stage is in, is moved in place with the stage's own command. Runs on the GUI thread.
class MpvSoundStages {
public:
    // `keyFilterName`: the mpv filter that moves the key (another name only in tests).
    MpvSoundStages(MpvClient& mpv, QString keyFilterName);

    // A MediaPlayer balance: BalanceFirstChannel, BalanceBoth or BalanceSecondChannel.
    void setBalance(int balance);
    int balance() const { return m_balance; }
    void setTone(double bassDb, double trebleDb);
    void setKey(int semitones);
    void setTempo(int percent);
    void setVoiceCancel(bool on);
    QString keyUnavailable() const { return m_keyUnavailable; }
    void setAvailabilityListener(std::function<void()> listener);
    // Sets, or with an empty filter removes, one labelled stage of the chain.
    void setStage(const QString& label, const QString& filter);

    // libmpv is ready: whether it has the key filter is known now.
    void handleMade();
    // A file is about to be loaded: its chain is built from "af", which must say everything.
    void beforeLoad();
    // Every event of mpv's queue: failed requests, the channels of the source.
    void noteEvent(const mpv_event& event);

private:
    void send();
    void applyVoiceCancel();
    void giveUpKey(const QString& why);

    MpvClient& m_mpv;
    const QString m_keyFilterName;
    MpvAudioFilterChain m_chain;
    QByteArray m_sent; // the "af" value mpv was last given
    int m_balance = 0;
    int m_key = 0;
    bool m_voiceCancel = false;
    long long m_sourceChannels = 0; // 0 while unknown
    // A file was asked for and its chain is not built yet: a move in place would reach the old
    // file's stage only.
    bool m_loadPending = false;
    QString m_keyUnavailable;
    std::function<void()> m_availabilityListener;
};

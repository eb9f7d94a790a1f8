#include "platform/player/mpv_sound_stages.h"

#include "platform/player/media_player.h"
#include "platform/player/mpv_client.h"
#include "platform/player/mpv_events.h"

#include <algorithm>

MpvSoundStages::MpvSoundStages(MpvClient& mpv, QString keyFilterName)
    : m_mpv(mpv), m_keyFilterName(std::move(keyFilterName))
{
}

void MpvSoundStages::setBalance(int balance)
{
    m_balance =
        std::clamp(balance, MediaPlayer::BalanceFirstChannel, MediaPlayer::BalanceSecondChannel);
    setStage(QString::fromLatin1(MpvAudioFilterChain::ChannelStage),
             MpvAudioFilterChain::channelFilter(m_balance));
}

void MpvSoundStages::setTone(double bassDb, double trebleDb)
{
    setStage(QString::fromLatin1(MpvAudioFilterChain::ToneStage),
             MpvAudioFilterChain::toneFilter(bassDb, trebleDb));
}

void MpvSoundStages::setStage(const QString& label, const QString& filter)
{
    if (m_chain.setStage(label, filter))
        send();
}

void MpvSoundStages::send()
{
    // The whole chain at once: mpv swaps it in place while playing, keeping the stages whose
    // text has not changed.
    const QByteArray text = m_chain.text().toUtf8();
    if (text == m_sent)
        return;
    m_sent = text;
    m_mpv.setProperty("af", text, mpvReplyId(MpvRequest::Filters));
}

void MpvSoundStages::setKey(int semitones)
{
    semitones = std::clamp(semitones, -24, 24);
    if (!m_keyUnavailable.isEmpty() || semitones == m_key)
        return;
    const bool moveInPlace = m_key != 0 && semitones != 0 && !m_loadPending;
    m_key = semitones;
    m_chain.setStage(QString::fromLatin1(MpvAudioFilterChain::KeyStage),
                     MpvAudioFilterChain::keyFilter(semitones, m_keyFilterName));
    if (!moveInPlace) {
        // In at the first step away from the own key, out at the return; and while a file
        // loads, its chain takes the key from "af".
        send();
        return;
    }
    // Rebuilding the running stage would cost a few milliseconds of sound; its own command
    // moves it without a break. Where nothing plays, the reply fails and "af" says it instead.
    m_mpv.command(mpvReplyId(MpvRequest::KeyCommand),
                  {"af-command", MpvAudioFilterChain::KeyStage, "set-pitch",
                   MpvAudioFilterChain::ratioText(MpvAudioFilterChain::pitchRatio(semitones))});
}

void MpvSoundStages::setTempo(int percent)
{
    // mpv stretches the time itself (or the key stage does, while there is one): the key stays.
    m_mpv.setProperty("speed",
                      MpvAudioFilterChain::ratioText(std::clamp(percent, 25, 400) / 100.0));
}

void MpvSoundStages::setVoiceCancel(bool on)
{
    m_voiceCancel = on;
    applyVoiceCancel();
}

void MpvSoundStages::applyVoiceCancel()
{
    // A mono source has nothing to tell apart: cancelling what its two copies share would
    // leave silence, so it plays as it is.
    setStage(QString::fromLatin1(MpvAudioFilterChain::VoiceStage),
             MpvAudioFilterChain::voiceCancelFilter(m_voiceCancel && m_sourceChannels != 1));
}

void MpvSoundStages::setAvailabilityListener(std::function<void()> listener)
{
    m_availabilityListener = std::move(listener);
}

void MpvSoundStages::handleMade()
{
    if (!m_mpv.probedFilterFound())
        giveUpKey(QStringLiteral("This libmpv has no \"%1\" audio filter to change the key with.")
                      .arg(m_keyFilterName));
}

void MpvSoundStages::beforeLoad()
{
    m_loadPending = true;
    send();
}

void MpvSoundStages::noteEvent(const mpv_event& event)
{
    // The new file's decoders and filters are in place once it reports loaded.
    if (event.event_id == MPV_EVENT_FILE_LOADED)
        m_loadPending = false;
    if (mpvRequestFailed(event, MpvRequest::KeyCommand)) {
        send();
    } else if (mpvRequestFailed(event, MpvRequest::Filters) && m_key != 0) {
        // The chain with the key stage was refused: the rest of it must not be lost with it.
        giveUpKey(
            QStringLiteral("The sound path refused the \"%1\" audio filter.").arg(m_keyFilterName));
    } else if (event.event_id == MPV_EVENT_PROPERTY_CHANGE &&
               event.reply_userdata == MpvAudioChannelsProperty) {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const long long channels = property->format == MPV_FORMAT_INT64
                                       ? *static_cast<const std::int64_t*>(property->data)
                                       : 0;
        // Unknown between files: the last source's choice stands until the next is known.
        if (channels > 0 && channels != m_sourceChannels) {
            m_sourceChannels = channels;
            applyVoiceCancel();
        }
    }
}

void MpvSoundStages::giveUpKey(const QString& why)
{
    m_keyUnavailable = why;
    m_key = 0;
    m_sent.clear(); // what mpv holds now is unknown: send the chain again
    m_chain.setStage(QString::fromLatin1(MpvAudioFilterChain::KeyStage), QString());
    send();
    if (m_availabilityListener)
        m_availabilityListener();
}

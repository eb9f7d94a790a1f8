#include "platform/player/mpv/mpv_audio_filters.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {
// A stage's place in the sound path: what is picked from the channels first, so that the key
// stage never mixes a picked channel back, and the tone last, so the knobs work on the result.
int rankOf(const QString& label)
{
    static const QStringList order{MpvAudioFilterChain::ChannelStage,
                                   MpvAudioFilterChain::VoiceStage, MpvAudioFilterChain::KeyStage,
                                   MpvAudioFilterChain::ToneStage};
    const qsizetype rank = order.indexOf(label);
    return rank < 0 ? int(order.size()) : int(rank);
}
} // namespace

bool MpvAudioFilterChain::setStage(const QString& label, const QString& filter)
{
    auto stage = std::find_if(m_stages.begin(), m_stages.end(),
                              [&](const Stage& entry) { return entry.label == label; });
    if (stage == m_stages.end()) {
        if (filter.isEmpty())
            return false;
        const int rank = rankOf(label);
        auto after = std::find_if(m_stages.begin(), m_stages.end(),
                                  [&](const Stage& entry) { return rankOf(entry.label) > rank; });
        m_stages.insert(after, {label, filter});
    } else if (filter.isEmpty()) {
        m_stages.erase(stage);
    } else if (stage->filter == filter) {
        return false;
    } else {
        stage->filter = filter;
    }
    return true;
}

QString MpvAudioFilterChain::textOf(const std::vector<Stage>& stages)
{
    QStringList chain;
    for (const Stage& stage : stages)
        chain << QLatin1Char('@') + stage.label + QLatin1Char(':') + stage.filter;
    return chain.join(QLatin1Char(','));
}

QString MpvAudioFilterChain::channelFilter(int balance)
{
    // aformat first, so that a mono source is made stereo before pan picks channels.
    if (balance < 0)
        return QStringLiteral("lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=c0|c1=c0]");
    if (balance > 0)
        return QStringLiteral("lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=c1|c1=c1]");
    return {};
}

QString MpvAudioFilterChain::toneFilter(double bassDb, double trebleDb)
{
    // ffmpeg's shelving filters at their own corners (100 Hz and 3 kHz); the gains are
    // written with a decimal point whatever the locale.
    QStringList filters;
    if (bassDb != 0)
        filters << QStringLiteral("bass=g=") + QString::number(bassDb, 'f', 1);
    if (trebleDb != 0)
        filters << QStringLiteral("treble=g=") + QString::number(trebleDb, 'f', 1);
    if (filters.isEmpty())
        return {};
    return QStringLiteral("lavfi=[") + filters.join(QLatin1Char(',')) + QLatin1Char(']');
}

QString MpvAudioFilterChain::voiceCancelFilter(bool on)
{
    if (!on)
        return {};
    // Each channel less the other takes out what is centred; the bass (kick drum, bass
    // guitar, centred on nearly every record) goes round that through a 100 Hz crossover, so
    // the song keeps its floor. A mono or 5.1 source is made stereo first.
    return QStringLiteral("lavfi=[aformat=channel_layouts=stereo,asplit[all][high];"
                          "[all]lowpass=f=100,pan=stereo|c0=0.5*c0+0.5*c1|c1=0.5*c0+0.5*c1[low];"
                          "[high]highpass=f=100,pan=stereo|c0=c0-c1|c1=c1-c0[side];"
                          "[low][side]amix=inputs=2:normalize=0]");
}

QString MpvAudioFilterChain::keyFilter(int semitones, const QString& name)
{
    if (semitones == 0)
        return {};
    // The "faster" engine: half the processor time of "finer", and it goes in during a song
    // without the audible gap "finer" leaves. "pitch=speed" moves the key live at the least
    // cost; formants shift with the key, as an instrument's do, which costs a seventh less
    // than keeping them.
    return name + QStringLiteral("=engine=faster:pitch=speed:formant=shifted:pitch-scale=") +
           QString::fromLatin1(ratioText(pitchRatio(semitones)));
}

double MpvAudioFilterChain::pitchRatio(int semitones)
{
    return std::pow(2.0, semitones / 12.0);
}

QByteArray MpvAudioFilterChain::ratioText(double ratio)
{
    return QByteArray::number(ratio, 'f', 6);
}

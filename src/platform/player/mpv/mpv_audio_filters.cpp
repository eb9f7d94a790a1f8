#include "platform/player/mpv/mpv_audio_filters.h"

#include <QStringList>
#include <algorithm>

bool MpvAudioFilterChain::setStage(const QString& label, const QString& filter)
{
    auto stage = std::find_if(m_stages.begin(), m_stages.end(),
                              [&](const Stage& entry) { return entry.label == label; });
    if (stage == m_stages.end()) {
        if (filter.isEmpty())
            return false;
        m_stages.push_back({label, filter});
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

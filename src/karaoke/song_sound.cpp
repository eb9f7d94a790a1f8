#include "karaoke/song_sound.h"

#include <QStringList>
#include <algorithm>

SongSound SongSound::withKeyStep(int direction, int keyRange) const
{
    SongSound next = *this;
    next.key = std::clamp(key + direction, -keyRange, keyRange);
    return next;
}

SongSound SongSound::withTempoStep(int direction) const
{
    SongSound next = *this;
    // A tempo off the grid (a wider setting of an older version) snaps back onto it.
    const int onGrid = (tempo + TempoStep / 2) / TempoStep * TempoStep;
    next.tempo = std::clamp(onGrid + direction * TempoStep, SlowestTempo, FastestTempo);
    return next;
}

bool SongSound::isValid(int key, int tempo)
{
    return key >= -WideKeyRange && key <= WideKeyRange && tempo >= SlowestTempo &&
           tempo <= FastestTempo;
}

QString SongSound::caption() const
{
    QStringList parts;
    if (key != 0) // a real minus sign, as a singer reads it on a song sheet
        parts << QStringLiteral("Key %1%2")
                     .arg(key > 0 ? QStringLiteral("+") : QStringLiteral("\u2212"))
                     .arg(std::abs(key));
    if (tempo != NormalTempo)
        parts << QStringLiteral("Tempo %1%").arg(tempo);
    return parts.join(QStringLiteral(" \u00b7 "));
}

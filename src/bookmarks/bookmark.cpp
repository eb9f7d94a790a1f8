#include "bookmarks/bookmark.h"

#include "diagnostics/diagnostics.h"
#include "platform/disc/cd_drives.h"
#include "platform/player/media_player.h"
#include "platform/settings/settings_store.h"
#include "settings/settings_keys.h"
#include "widgets/twips.h"

#include <QAction>
#include <QLocale>
#include <QPushButton>
#include <cmath>

Bookmark::Bookmark(QWidget* frontPanel, MenuItems items, Sources sources, QObject* parent)
    : QObject(parent), m_items(items), m_sources(std::move(sources))
{
    cmdBookmark = new QPushButton(QStringLiteral("Bookmark"), frontPanel);
    cmdBookmark->setObjectName("cmdBookmark");
    cmdBookmark->setToolTip(QStringLiteral("Add to Bookmark"));
    cmdBookmark->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the player
    Twips::place(cmdBookmark, 6015, 80, 975, 375);
    setControls(false, false, false);

    connect(cmdBookmark, &QPushButton::clicked, this, &Bookmark::Save);
    connect(m_items.mnuaddbookmark, &QAction::triggered, this, &Bookmark::Save);
    connect(m_items.mnuvcdbookmark, &QAction::triggered, this, &Bookmark::Retrieve);
    connect(m_items.MnuClearbookmark, &QAction::triggered, this, &Bookmark::Clear);
}

void Bookmark::setControls(std::optional<bool> add, std::optional<bool> retrieve,
                           std::optional<bool> clear)
{
    m_offered.add = add.value_or(m_offered.add);
    m_offered.retrieve = retrieve.value_or(m_offered.retrieve);
    m_offered.clear = clear.value_or(m_offered.clear);
    cmdBookmark->setEnabled(m_offered.add);
    m_items.mnuaddbookmark->setEnabled(m_offered.add);
    m_items.mnuvcdbookmark->setEnabled(m_offered.retrieve);
    m_items.MnuClearbookmark->setEnabled(m_offered.clear);
    if (Diagnostics::tracing()) {
        const auto state = [](bool on) {
            return on ? QStringLiteral("on") : QStringLiteral("off");
        };
        Diagnostics::report("bookmark", QStringLiteral("add %1, retrieve %2, clear %3")
                                            .arg(state(m_offered.add), state(m_offered.retrieve),
                                                 state(m_offered.clear)));
    }
}

QString Bookmark::positionText(double seconds)
{
    // Not the user's locale: a bookmark saved under a decimal comma must read back under a
    // decimal point and the other way round.
    return QString::number(seconds, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> Bookmark::positionFromText(const QString& text)
{
    bool ok = false;
    const double seconds =
        QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return seconds;
}

QString Bookmark::discInDrive() const
{
    return QString::number(m_sources.drives.SerNum(m_sources.cdDrive()));
}

void Bookmark::readBack()
{
    const SettingsStore& settings = m_sources.settings;
    Bookcurrtxt = settings.Get(SettingsKeys::Bookmark);
    cdistxt = settings.Get(SettingsKeys::Bookmarkid);
    Filepath2txt = settings.Get(SettingsKeys::Bookmarkpath);
}

void Bookmark::Save()
{
    Bookcurrtxt = positionText(m_sources.player.CurrentPosition());
    cdistxt = discInDrive();
    SettingsStore& settings = m_sources.settings;
    settings.Save(SettingsKeys::Bookmark, Bookcurrtxt);
    settings.Save(SettingsKeys::Bookmarkid, cdistxt);
    settings.Save(SettingsKeys::Bookmarkpath, m_sources.loadedPath());
    setControls(false, true, true);
}

void Bookmark::Retrieve()
{
    cdis2txt = discInDrive();
    readBack();
    MediaPlayer& player = m_sources.player;
    if (cdistxt != cdis2txt || Filepath2txt != player.FileName())
        return;
    const std::optional<double> seconds = positionFromText(Bookcurrtxt);
    if (!seconds)
        return;
    // A position at or past the end would end the medium and move the list on.
    const double length = player.Duration();
    if (length > 0 && *seconds >= length)
        return;
    player.setCurrentPosition(*seconds);
}

void Bookmark::Clear()
{
    if (!m_sources.cdDriveKnown()) {
        setControls(false, std::nullopt, false); // what was saved stays
        return;
    }
    setControls(true, false, std::nullopt);
    SettingsStore& settings = m_sources.settings;
    settings.Save(SettingsKeys::Bookmark, QString());
    settings.Save(SettingsKeys::Bookmarkid, QString());
    settings.Save(SettingsKeys::Bookmarkpath, QString());
}

void Bookmark::CheckAvailability()
{
    cdis2txt = discInDrive();
    readBack();
    if (m_sources.player.FileName() == Filepath2txt && cdistxt == cdis2txt)
        setControls(false, true, true);
    else
        setControls(std::nullopt, false, std::nullopt);
}

void Bookmark::videoCdFolderLoaded(bool cdDriveKnown)
{
    if (cdDriveKnown)
        setControls(true, false, std::nullopt);
    else
        setControls(false, std::nullopt, false);
}

void Bookmark::turnOff()
{
    setControls(false, false, std::nullopt);
}

#pragma once

#include "platform/disc/cd_drive.h"

#include <QList>
#include <QString>
#include <optional>

// Where the disc images the user opens while the program runs go, and the drive order they
// make. An image goes into the drive that already holds it, else into the one drive kept for
// opened images, whose disc it replaces; that drive is made when the first image is opened and
// named by the first "imgN" no discovered drive uses. The drive that took the last image
// comes first, like the main drive a disc was just put in, so detection, the tray and the
// disc's serial number all see it.
class OpenedImages {
public:
    // The drive that now holds `source` (a drive source, DiscImage::discSource), given the
    // drives discovery finds.
    CdDrive insert(const QString& source, const QList<CdDrive>& discovered);
    // The discovered drives and the opened-image drive, the one that took the last image first.
    QList<CdDrive> arrange(QList<CdDrive> discovered) const;

private:
    static QString freeImageId(const QList<CdDrive>& discovered);

    std::optional<CdDrive> m_drive;
    QString m_firstId;
};

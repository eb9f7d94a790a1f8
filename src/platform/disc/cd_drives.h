#pragma once

#include "platform/disc/cd_drive.h"

#include <QList>
#include <QString>
#include <optional>

// The machine's CD drives, their discs' serial numbers and trays.
class CdDrives {
public:
    virtual ~CdDrives();
    // Every call looks for drives afresh, in discovery order; empty when there is no drive.
    virtual QList<CdDrive> drives() = 0;
    // Volume serial number of the disc in the drive (id in any case); 0 when there is no such
    // drive or no readable disc.
    virtual qint32 SerNum(const QString& id) const = 0;
    // Whether the drive's device (or image file) can be opened for reading now.
    virtual bool canOpen(const QString& id) const = 0;
    virtual bool openTray(const QString& id) = 0;
    virtual bool closeTray(const QString& id) = 0;
    // Puts a disc image the user opened into a drive that then comes first, its disc in
    // (DiscImage::isImagePath): that drive's identifier. Nothing for any other path, or where
    // drives take no images.
    virtual std::optional<QString> insertImage(const QString& path);
    // The system reported a disc put into or taken out of the drive: what was read of the disc
    // before is forgotten (an image drive's disc goes in or out with it).
    virtual void mediaChanged(const QString& id, bool present);
};

#pragma once

#include "platform/disc/cd_drives.h"
#include "platform/disc/drive_discovery.h"
#include "platform/disc/opened_images.h"

class DiscLibrary;

// Drives of this machine as `discovery` finds them, kept in the disc library so that disc
// paths of their identifiers resolve. An image drive's tray is virtual: opening it takes the
// disc out until it is closed again. The drives found at construction are known at once;
// images opened later join them (OpenedImages).
class LinuxCdDrives : public CdDrives {
public:
    LinuxCdDrives(DiscLibrary& library, DriveDiscovery discovery);

    QList<CdDrive> drives() override;
    qint32 SerNum(const QString& id) const override;
    bool canOpen(const QString& id) const override;
    bool openTray(const QString& id) override;
    bool closeTray(const QString& id) override;
    std::optional<QString> insertImage(const QString& path) override;
    void mediaChanged(const QString& id, bool present) override;

private:
    DiscLibrary& m_library;
    DriveDiscovery m_discovery;
    OpenedImages m_opened;
};

#pragma once

#include "platform/disc/cd_drive.h"

#include <QList>
#include <optional>

// Finds the machine's CD drives: /sys/block/sr* by name (libcdio's device list when there are
// none), or, when a drive list is given, exactly the ':'-separated entries it lists:
// - a disc image (.cue, .bin, .nrg, .toc, .iso, any case) becomes "img0", "img1"... in list
//   order;
// - anything else is a device node, named by its file name ("/dev/sr1" is "sr1"); an entry
//   whose file name is no drive identifier or repeats an earlier one is left out.
// Entries are not checked for existence: a missing file is a drive without a readable disc.
// A list that is given but empty means no drives at all.
class DriveDiscovery {
public:
    // The list from TAMREL_CD_DRIVES, read now, once; real discovery when it is not set.
    static DriveDiscovery fromEnvironment(QString sysBlockDir = QStringLiteral("/sys/block"),
                                          QString devDir = QStringLiteral("/dev"));

    explicit DriveDiscovery(std::optional<QString> driveList,
                            QString sysBlockDir = QStringLiteral("/sys/block"),
                            QString devDir = QStringLiteral("/dev"));

    // Every call asks the system afresh (drives come and go); a given list never changes.
    QList<CdDrive> discover() const;
    bool usesDriveList() const { return m_driveList.has_value(); }

    static QList<CdDrive> parseDriveList(const QString& list);
    static bool isImageFile(const QString& path);

private:
    std::optional<QString> m_driveList;
    QString m_sysBlockDir;
    QString m_devDir;
};

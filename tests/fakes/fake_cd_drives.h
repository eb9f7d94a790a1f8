#pragma once

#include "platform/disc/cd_drives.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// Scriptable drives: a list, a serial per identifier, trays that record every call. While a
// tray is open its serial reads 0, as with a real drive.
class FakeCdDrives : public CdDrives {
public:
    // Appends a drive ("sr0", "img0") holding a disc with this serial.
    FakeCdDrives& add(const QString& id, qint32 serial = 0, bool isImage = false);

    QList<CdDrive> drives() override;
    qint32 SerNum(const QString& id) const override;
    bool canOpen(const QString& id) const override;
    bool openTray(const QString& id) override;
    bool closeTray(const QString& id) override;

    QList<CdDrive> list;
    QMap<QString, qint32> serials; // by lower-case id
    QSet<QString> unopenable;      // lower-case ids whose device does not open
    bool trayWorks = true;         // result of every tray call
    QStringList trayCalls;         // "open sr0", "close sr0", in call order
    QSet<QString> traysOpen;       // lower-case ids
    int driveQueries = 0;          // calls of drives()
};

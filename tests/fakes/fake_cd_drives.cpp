#include "fake_cd_drives.h"

FakeCdDrives& FakeCdDrives::add(const QString& id, qint32 serial, bool isImage)
{
    list << CdDrive{
        id, isImage ? QStringLiteral("/images/%1.cue").arg(id) : QStringLiteral("/dev/%1").arg(id),
        isImage};
    serials[id.toLower()] = serial;
    return *this;
}

QList<CdDrive> FakeCdDrives::drives()
{
    ++driveQueries;
    return list;
}

qint32 FakeCdDrives::SerNum(const QString& id) const
{
    const QString key = id.toLower();
    return traysOpen.contains(key) ? 0 : serials.value(key);
}

bool FakeCdDrives::canOpen(const QString& id) const
{
    const QString key = id.toLower();
    for (const CdDrive& drive : list)
        if (drive.id.toLower() == key)
            return !unopenable.contains(key);
    return false;
}

bool FakeCdDrives::openTray(const QString& id)
{
    trayCalls << QStringLiteral("open ") + id;
    if (trayWorks)
        traysOpen.insert(id.toLower());
    return trayWorks;
}

bool FakeCdDrives::closeTray(const QString& id)
{
    trayCalls << QStringLiteral("close ") + id;
    if (trayWorks)
        traysOpen.remove(id.toLower());
    return trayWorks;
}

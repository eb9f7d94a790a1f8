#pragma once

#include <QList>
#include <QString>
#include <optional>

struct CdDrive {
    QString id;     // "sr0", "img0"; callers upper-case it to build disc paths ("SR0:\Mpegav")
    QString source; // device node or disc image
    bool isImage = false;

    bool operator==(const CdDrive&) const = default;
};

// The machine's CD drives, their discs' serial numbers and trays.
class CdDrives {
public:
    virtual ~CdDrives();
    // Every call asks afresh, in discovery order; empty when there is no drive.
    virtual QList<CdDrive> drives() const = 0;
    // Volume serial number of the disc in the drive (id in any case); 0 when there is no such
    // drive or no readable disc.
    virtual qint32 SerNum(const QString& id) const = 0;
    // Whether the drive's device (or image file) can be opened for reading now.
    virtual bool canOpen(const QString& id) const = 0;
    virtual bool openTray(const QString& id) = 0;
    virtual bool closeTray(const QString& id) = 0;
};

// Drives of this machine: /sys/block/sr* by name (libcdio's device list when there are none),
// or, when TAMREL_CD_DRIVES is set, exactly the ':'-separated entries it lists:
// - a disc image (.cue, .bin, .nrg, .toc, .iso, any case) becomes "img0", "img1"... in list
//   order; its tray is virtual: opening it takes the disc out until it is closed again;
// - anything else is a device node, named by its file name ("/dev/sr1" is "sr1"); an entry
//   whose file name is no drive identifier (letters and digits, a letter first) or repeats an
//   earlier one is left out.
// Entries are not checked for existence: a missing file is a drive without a readable disc.
// Set but empty means no drives at all. Every discovery also registers the drives with
// DiscLibrary, so disc paths of their identifiers resolve.
class LinuxCdDrives : public CdDrives {
public:
    explicit LinuxCdDrives(QString sysBlockDir = QStringLiteral("/sys/block"),
                           QString devDir = QStringLiteral("/dev"));

    QList<CdDrive> drives() const override;
    qint32 SerNum(const QString& id) const override;
    bool canOpen(const QString& id) const override;
    bool openTray(const QString& id) override;
    bool closeTray(const QString& id) override;

    // Discovery alone, without registering.
    QList<CdDrive> discover() const;
    static QList<CdDrive> parseDriveList(const QString& list);

private:
    std::optional<CdDrive> find(const QString& id) const;

    QString m_sysBlockDir;
    QString m_devDir;
};

#pragma once

#include <QString>

// One CD drive as discovery found it.
struct CdDrive {
    QString id;     // "sr0", "img0"; disc paths name it upper-cased ("SR0:\Mpegav")
    QString source; // device node or disc image
    bool isImage = false;

    bool operator==(const CdDrive&) const = default;
};

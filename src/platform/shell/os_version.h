#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The part of a system version query's answer that names the system family.
struct OsVersionRecord {
    quint32 platformId = 0;
    quint32 major = 0;
    quint32 minor = 0;
};

// The family caption for a version query's answer: "Microsoft Win32s", "9X", "NT", "XP" or
// empty text (newer systems, unknown platforms, and a query that failed, passed as nullopt).
QString osVersionCaption(const std::optional<OsVersionRecord>& version);

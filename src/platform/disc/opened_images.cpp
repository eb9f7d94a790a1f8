#include "platform/disc/opened_images.h"

#include "platform/disc/read/disc_image.h"

#include <algorithm>

namespace {
bool sameId(const CdDrive& drive, const QString& id)
{
    return drive.id.compare(id, Qt::CaseInsensitive) == 0;
}
} // namespace

CdDrive OpenedImages::insert(const QString& source, const QList<CdDrive>& discovered)
{
    const auto holding = std::find_if(discovered.begin(), discovered.end(), [&](const CdDrive& d) {
        return d.isImage && DiscImage::discSource(d.source) == source;
    });
    if (holding != discovered.end()) {
        m_firstId = holding->id;
        return *holding;
    }
    if (!m_drive)
        m_drive = CdDrive{freeImageId(discovered), QString(), true};
    m_drive->source = source;
    m_firstId = m_drive->id;
    return *m_drive;
}

QList<CdDrive> OpenedImages::arrange(QList<CdDrive> discovered) const
{
    if (m_drive)
        discovered << *m_drive;
    const auto first = std::find_if(discovered.begin(), discovered.end(),
                                    [this](const CdDrive& d) { return sameId(d, m_firstId); });
    if (first != discovered.end())
        std::rotate(discovered.begin(), first, first + 1);
    return discovered;
}

QString OpenedImages::freeImageId(const QList<CdDrive>& discovered)
{
    for (int n = 0;; ++n) {
        const QString id = QStringLiteral("img%1").arg(n);
        if (std::none_of(discovered.begin(), discovered.end(),
                         [&](const CdDrive& d) { return sameId(d, id); }))
            return id;
    }
}

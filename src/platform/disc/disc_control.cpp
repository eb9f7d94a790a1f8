#include "platform/disc/disc_control.h"

DiscControl::~DiscControl() = default;

VideoCdControlFiles LibraryDiscControl::controlFiles(const QString& driveId)
{
    return readVideoCdControlFiles(m_discs, driveId);
}

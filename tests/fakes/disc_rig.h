#pragma once

#include "platform/disc/cd_drives.h"
#include "platform/disc/disc_library.h"
#include "platform/disc/linux_cd_drives.h"
#include "platform/files/folder_lister.h"
#include "platform/files/media_folder_lister.h"

// The real disc layer as the program builds it at start-up, on the drives of a drive list
// (device nodes and disc images separated by ':').
struct DiscRig {
    explicit DiscRig(const QString& driveList, DiscLibrary::DiscOpener openDisc = {})
        : library(std::move(openDisc)), drives(library, DriveDiscovery(driveList))
    {
    }

    DiscLibrary library;
    LinuxCdDrives drives;
    MediaFolderLister lister{&library};
};

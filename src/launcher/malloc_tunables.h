#pragma once

#include <string>

// How glibc's malloc is set up for the player, through GLIBC_TUNABLES: the C library reads
// them only when a program starts, hence the launcher.
// - glibc.malloc.hugetlb=1: malloc asks the kernel for transparent huge pages for the memory it
//   maps. Opening a medium, libmpv's demuxer zeroes a 10 MiB probe buffer, and video frames
//   come in hundreds of kilobytes: in 2 MiB pages that is a handful of page faults instead of
//   thousands, which on a virtual machine cost more than the rest of the opening. Where the
//   kernel has huge pages off, the setting does nothing.
// - glibc.malloc.arena_max=1: otherwise every thread that allocates gets an arena of its own,
//   a new mapping whose pages are all faulted in fresh, and libmpv starts a dozen threads
//   (demuxer, decoders, outputs) on the way to the first picture. One arena serves them all;
//   small blocks come from each thread's own cache anyway.
namespace MallocTunables {

// The GLIBC_TUNABLES value the player runs with, given the one in the environment (null when
// unset): each setting above is added unless the user set that tunable already.
std::string forPlayer(const char* current);

} // namespace MallocTunables

#pragma once

#include <string>

// glibc's malloc asks the kernel for transparent huge pages for the memory it maps
// (glibc.malloc.hugetlb=1). Opening a medium, libmpv's demuxer zeroes a 10 MiB probe buffer,
// and video frames come in hundreds of kilobytes: in 2 MiB pages that is a handful of page
// faults instead of thousands, which on a virtual machine cost more than the rest of the
// opening. Where the kernel has huge pages off, the setting does nothing.
namespace HugePages {

// The GLIBC_TUNABLES value that turns them on, given the one in the environment (null when
// unset). A hugetlb setting the user made is kept as it is.
std::string tunables(const char* current);

} // namespace HugePages

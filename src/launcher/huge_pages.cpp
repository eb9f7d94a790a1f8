#include "launcher/huge_pages.h"

#include <cstring>

namespace HugePages {

std::string tunables(const char* current)
{
    constexpr const char* HugeTlb = "glibc.malloc.hugetlb=";
    if (!current || !*current)
        return std::string(HugeTlb) + "1";
    // Tunables are colon-separated name=value pairs; only a whole name counts.
    const std::string list = std::string(":") + current;
    if (list.find(std::string(":") + HugeTlb) != std::string::npos)
        return current;
    return std::string(current) + ":" + HugeTlb + "1";
}

} // namespace HugePages

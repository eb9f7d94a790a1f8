#include "launcher/malloc_tunables.h"

#include <utility>

namespace MallocTunables {

std::string forPlayer(const char* current)
{
    constexpr std::pair<const char*, const char*> Settings[] = {
        {"glibc.malloc.hugetlb", "1"},
        {"glibc.malloc.arena_max", "1"},
    };
    std::string tunables = current ? current : "";
    // Tunables are colon-separated name=value pairs; only a whole name counts.
    const std::string given = ":" + tunables;
    for (const auto& [name, value] : Settings) {
        if (given.find(std::string(":") + name + "=") != std::string::npos)
            continue;
        if (!tunables.empty())
            tunables += ':';
        tunables += std::string(name) + "=" + value;
    }
    return tunables;
}

} // namespace MallocTunables

#include "diagnostics/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <string>
#include <unistd.h>

namespace {

struct Timeline {
    bool enabled = false;
    double mainMs = 0;         // CLOCK_BOOTTIME at main()
    double processStartMs = 0; // CLOCK_BOOTTIME when the kernel started the process; 0 unknown
    std::mutex mutex;          // steps come from mpv's threads as well
    std::set<std::string> seen;
};

Timeline& timeline()
{
    static Timeline t;
    return t;
}

double bootTimeMs()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// Field 22 of /proc/self/stat, in clock ticks since boot; the command name (field 2) may hold
// spaces and parentheses, so fields are counted after its last ')'.
double processStartMs()
{
    std::FILE* file = std::fopen("/proc/self/stat", "re");
    if (!file)
        return 0;
    char buffer[1024] = {};
    const std::size_t length = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[length] = '\0';
    const char* field = std::strrchr(buffer, ')');
    if (!field)
        return 0;
    for (int index = 2; index < 22 && field; ++index)
        field = std::strchr(field + 1, ' ');
    if (!field)
        return 0;
    const double ticks = std::strtod(field + 1, nullptr);
    const long perSecond = sysconf(_SC_CLK_TCK);
    return perSecond > 0 ? ticks * 1000.0 / double(perSecond) : 0;
}

} // namespace

namespace Diagnostics {

void beginStartup()
{
    Timeline& t = timeline();
    const char* flag = std::getenv("TAMREL_STARTUP_TIMELINE");
    t.enabled = flag && *flag && std::strcmp(flag, "0") != 0;
    if (!t.enabled)
        return;
    t.mainMs = bootTimeMs();
    t.processStartMs = processStartMs();
    mark("main() entered");
}

void mark(const char* step)
{
    Timeline& t = timeline();
    if (!t.enabled)
        return;
    const double now = bootTimeMs();
    const std::lock_guard lock(t.mutex);
    if (!t.seen.insert(step).second)
        return;
    const double sinceStart = t.processStartMs > 0 ? now - t.processStartMs : -1;
    std::fprintf(stderr, "startup %7.1f ms %7.1f ms  %s\n", sinceStart, now - t.mainMs, step);
}

} // namespace Diagnostics

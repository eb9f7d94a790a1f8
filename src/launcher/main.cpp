// The command users start: it starts the player program (kept with the program's own
// libraries) in its place, with malloc set up for it (launcher/malloc_tunables.h). Memory
// settings of the C library can only be given to a process when it starts, hence a program of
// its own, which loads nothing but the C library and is gone within a millisecond.
#include "launcher/malloc_tunables.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* Program = "tamrel-vcd-player-bin";

// Beside the command in the build tree, in the program's own library folder when installed.
std::string programPath()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return Program;
    const std::string command(self, std::size_t(length));
    const std::string folder = command.substr(0, command.rfind('/') + 1);
    const std::string besideCommand = folder + Program;
    if (access(besideCommand.c_str(), X_OK) == 0)
        return besideCommand;
    return folder + TAMREL_PRIVATE_LIBDIR_FROM_BINDIR "/" + Program;
}

} // namespace

int main(int, char* argv[])
{
    const std::string tunables = MallocTunables::forPlayer(std::getenv("GLIBC_TUNABLES"));
    setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
    const std::string program = programPath();
    execv(program.c_str(), argv);
    std::fprintf(stderr, "tamrel-vcd-player: %s cannot be started: %s\n", program.c_str(),
                 std::strerror(errno));
    return 127;
}

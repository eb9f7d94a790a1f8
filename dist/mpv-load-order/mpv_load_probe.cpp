// Opens the library named by its argument, as the player opens libmpv, so that the dynamic
// loader's debugging output shows every symbol lookup the opening takes.
#include <cstdio>
#include <dlfcn.h>

int main(int argc, char* argv[])
{
    if (argc != 2 || !dlopen(argv[1], RTLD_NOW | RTLD_LOCAL)) {
        std::fprintf(stderr, "mpv_load_probe: %s\n", argc == 2 ? dlerror() : "usage: LIBRARY");
        return 1;
    }
    return 0;
}

// Process start to the first video picture on the X screen, watched from outside the program.
//   first_picture [--share S] [--timeout SECONDS] -- COMMAND [ARGUMENTS...]
// Starts COMMAND and grabs the whole screen through shared memory every couple of
// milliseconds until clearly coloured pixels (saturated and bright, as the test pictures are
// and no window frame or control is) cover the share S of it (default 0.03). Prints the time
// in milliseconds from just before the start to that grab, then ends the program. The same
// end point for every program measured: a picture the user can see.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct ScreenWatch {
    Display* display = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    Window root = 0;
    int width = 0;
    int height = 0;

    bool open()
    {
        display = XOpenDisplay(nullptr);
        if (!display || !XShmQueryExtension(display))
            return false;
        const int screen = DefaultScreen(display);
        root = RootWindow(display, screen);
        width = DisplayWidth(display, screen);
        height = DisplayHeight(display, screen);
        image = XShmCreateImage(display, DefaultVisual(display, screen),
                                unsigned(DefaultDepth(display, screen)), ZPixmap, nullptr, &shm,
                                unsigned(width), unsigned(height));
        if (!image)
            return false;
        shm.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(image->height),
                           IPC_CREAT | 0600);
        if (shm.shmid < 0)
            return false;
        shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
        shm.readOnly = False;
        const bool attached = XShmAttach(display, &shm);
        shmctl(shm.shmid, IPC_RMID, nullptr); // freed once both sides detach
        return attached;
    }

    // Share of sampled pixels that are clearly coloured.
    double colouredShare()
    {
        if (!XShmGetImage(display, root, image, 0, 0, AllPlanes))
            return 0;
        constexpr int Step = 4;
        long samples = 0;
        long coloured = 0;
        for (int y = 0; y < height; y += Step)
            for (int x = 0; x < width; x += Step) {
                const unsigned long pixel = XGetPixel(image, x, y);
                const int r = int((pixel >> 16) & 0xff);
                const int g = int((pixel >> 8) & 0xff);
                const int b = int(pixel & 0xff);
                const int high = std::max({r, g, b});
                const int low = std::min({r, g, b});
                ++samples;
                coloured += high >= 120 && high - low >= 90;
            }
        return samples ? double(coloured) / double(samples) : 0;
    }
};

void stop(pid_t child)
{
    kill(-child, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[])
{
    double share = 0.03;
    double timeout = 15;
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        if (!std::strcmp(argv[first], "--share") && first + 1 < argc)
            share = std::atof(argv[++first]);
        else if (!std::strcmp(argv[first], "--timeout") && first + 1 < argc)
            timeout = std::atof(argv[++first]);
    }
    if (first + 1 >= argc) {
        std::fprintf(stderr, "usage: %s [--share S] [--timeout SECONDS] -- COMMAND [ARG...]\n",
                     argv[0]);
        return 2;
    }
    ScreenWatch screen;
    if (!screen.open()) {
        std::fprintf(stderr, "first_picture: no X display with shared memory\n");
        return 2;
    }
    // A picture left over from the run before would be counted at once.
    for (int i = 0; i < 200 && screen.colouredShare() >= share / 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0); // its own group, so that ending it ends its helpers too
        execvp(argv[first + 1], argv + first + 1);
        std::_Exit(127);
    }
    if (child < 0)
        return 2;
    setpgid(child, child);
    while (Clock::now() - start < std::chrono::duration<double>(timeout)) {
        if (screen.colouredShare() >= share) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            std::printf("%.1f\n", ms);
            stop(child);
            return 0;
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "first_picture: %s ended before showing a picture\n",
                         argv[first + 1]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::fprintf(stderr, "first_picture: no picture within %.0f s\n", timeout);
    stop(child);
    return 1;
}

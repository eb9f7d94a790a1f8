// Process start to the first video picture on the X screen, watched from outside the program,
// and optionally a change of picture after that.
//   first_picture [--share S] [--timeout SECONDS]
//                 [--change key:KEYSYM | --change unix:SOCKET:LINE | --change gone:RRGGBB]
//                 [--to RRGGBB] [--settle MS] -- COMMAND [ARGUMENTS...]
// Starts COMMAND and grabs the whole screen through shared memory every couple of
// milliseconds until clearly coloured pixels (saturated and bright, as the test pictures are
// and no window frame or control is) cover the share S of it (default 0.03). Prints the time
// in milliseconds from just before the start to that grab. The same end point for every
// program measured: a picture the user can see.
// With --change it then waits MS (default 1500) for the program to settle, asks it for another
// picture (a key pressed through XTest into the focused window, or LINE written to a Unix
// socket such as VLC's remote control) and prints, on the same line, the time from that
// request to the grab where pixels near the colour RRGGBB cover the share S. Then it ends the
// program.
// --change gone:RRGGBB asks for nothing: the program moves on by itself (a song that ends).
// After MS (grabs while waiting would take the program's processor time) the watcher waits,
// within the timeout, for the pixels near that colour to fall below the share S and prints the
// time from that grab to the grab showing the --to colour, then a third number: the time from
// the first picture to the old colour gone (how long the first song was seen).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
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

    // Share of sampled pixels of the screen that `matches` accepts (red, green, blue).
    double share(const std::function<bool(int, int, int)>& matches)
    {
        if (!XShmGetImage(display, root, image, 0, 0, AllPlanes))
            return 0;
        constexpr int Step = 4;
        long samples = 0;
        long matching = 0;
        for (int y = 0; y < height; y += Step)
            for (int x = 0; x < width; x += Step) {
                const unsigned long pixel = XGetPixel(image, x, y);
                ++samples;
                matching +=
                    matches(int((pixel >> 16) & 0xff), int((pixel >> 8) & 0xff), int(pixel & 0xff));
            }
        return samples ? double(matching) / double(samples) : 0;
    }

    double colouredShare()
    {
        return share([](int r, int g, int b) {
            const int high = std::max({r, g, b});
            const int low = std::min({r, g, b});
            return high >= 120 && high - low >= 90;
        });
    }

    // Decoded MPEG colours drift a little from the colour they were made of.
    double shareNear(unsigned long rgb)
    {
        const int wr = int((rgb >> 16) & 0xff), wg = int((rgb >> 8) & 0xff), wb = int(rgb & 0xff);
        return share([=](int r, int g, int b) {
            return std::abs(r - wr) < 70 && std::abs(g - wg) < 70 && std::abs(b - wb) < 70;
        });
    }

    bool pressKey(const std::string& name)
    {
        const KeySym sym = XStringToKeysym(name.c_str());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
        if (!code)
            return false;
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        XFlush(display);
        return true;
    }
};

// Writes LINE and a newline to the Unix socket at PATH.
bool sendLine(const std::string& path, const std::string& line)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const std::string text = line + "\n";
    const bool sent = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    return sent;
}

// "key:KEYSYM" or "unix:SOCKET:LINE".
bool requestChange(ScreenWatch& screen, const std::string& change)
{
    if (change.rfind("key:", 0) == 0)
        return screen.pressKey(change.substr(4));
    if (change.rfind("unix:", 0) == 0) {
        const std::string rest = change.substr(5);
        const size_t colon = rest.find(':');
        return colon != std::string::npos &&
               sendLine(rest.substr(0, colon), rest.substr(colon + 1));
    }
    return false;
}

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

// Milliseconds from the request to the picture near `target`, or -1.
double watchChange(ScreenWatch& screen, const std::string& change, unsigned long target,
                   double share, double settleMs, double timeout)
{
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(settleMs));
    const Clock::time_point asked = Clock::now();
    if (!requestChange(screen, change)) {
        std::fprintf(stderr, "first_picture: could not ask for the change \"%s\"\n",
                     change.c_str());
        return -1;
    }
    while (Clock::now() - asked < std::chrono::duration<double>(timeout)) {
        if (screen.shareNear(target) >= share)
            return std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::fprintf(stderr, "first_picture: the picture did not change within %.0f s\n", timeout);
    return -1;
}

// A song handing the screen over to the next, in milliseconds: from the grab where the old
// colour left to the one showing the target, and from the first picture to that grab; -1 when
// the watch timed out. Both ends are the moments just before the grabs, as is `shown`.
struct Handover {
    double toTarget = -1;
    double shownFor = -1;
};

Handover watchHandover(ScreenWatch& screen, unsigned long gone, unsigned long target, double share,
                       Clock::time_point shown, double settleMs, double timeout)
{
    const auto limit = std::chrono::duration<double>(timeout);
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(settleMs));
    if (screen.shareNear(gone) < share) {
        std::fprintf(stderr, "first_picture: %06lx was gone before the watch began\n", gone);
        return {};
    }
    Handover handover;
    Clock::time_point left;
    for (;;) {
        const Clock::time_point grabbed = Clock::now();
        if (grabbed - shown >= limit) {
            std::fprintf(stderr, "first_picture: the picture stayed for %.0f s\n", timeout);
            return {};
        }
        // The grab is taken inside share(): the time before it is the time of the picture.
        if (screen.shareNear(gone) < share) {
            left = grabbed;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    handover.shownFor = std::chrono::duration<double, std::milli>(left - shown).count();
    while (Clock::now() - left < limit) {
        const Clock::time_point grabbed = Clock::now();
        if (screen.shareNear(target) >= share) {
            handover.toTarget = std::chrono::duration<double, std::milli>(grabbed - left).count();
            return handover;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::fprintf(stderr, "first_picture: no picture near %06lx within %.0f s of the old one gone\n",
                 target, timeout);
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    double share = 0.03;
    double timeout = 15;
    double settleMs = 1500;
    std::string change;
    unsigned long target = 0;
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        const bool hasValue = first + 1 < argc;
        if (!std::strcmp(argv[first], "--share") && hasValue)
            share = std::atof(argv[++first]);
        else if (!std::strcmp(argv[first], "--timeout") && hasValue)
            timeout = std::atof(argv[++first]);
        else if (!std::strcmp(argv[first], "--settle") && hasValue)
            settleMs = std::atof(argv[++first]);
        else if (!std::strcmp(argv[first], "--change") && hasValue)
            change = argv[++first];
        else if (!std::strcmp(argv[first], "--to") && hasValue)
            target = std::strtoul(argv[++first], nullptr, 16);
    }
    if (first + 1 >= argc) {
        std::fprintf(stderr,
                     "usage: %s [--share S] [--timeout SECONDS] [--change key:KEYSYM | "
                     "--change unix:SOCKET:LINE | --change gone:RRGGBB] [--to RRGGBB] "
                     "[--settle MS] -- COMMAND [ARG...]\n",
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
        const Clock::time_point grabbed = Clock::now();
        if (screen.colouredShare() >= share) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (change.empty()) {
                std::printf("%.1f\n", ms);
                stop(child);
                return 0;
            }
            if (change.rfind("gone:", 0) == 0) {
                const unsigned long gone = std::strtoul(change.c_str() + 5, nullptr, 16);
                const Handover handover =
                    watchHandover(screen, gone, target, share, grabbed, settleMs, timeout);
                if (handover.toTarget >= 0)
                    std::printf("%.1f %.1f %.1f\n", ms, handover.toTarget, handover.shownFor);
                stop(child);
                return handover.toTarget >= 0 ? 0 : 1;
            }
            const double changed = watchChange(screen, change, target, share, settleMs, timeout);
            if (changed >= 0)
                std::printf("%.1f %.1f\n", ms, changed);
            stop(child);
            return changed >= 0 ? 0 : 1;
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

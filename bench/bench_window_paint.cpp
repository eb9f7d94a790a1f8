// What Qt's pixmap cache costs and saves when the main window is painted: the style keeps the
// pieces of its controls and the buttons' icons there, scaled to each size they were drawn at.
// The window (built on fakes, offscreen) is painted whole at SIZES sizes, ROUNDS times over:
// the first round finds nothing cached, the later ones find what the cache kept. Prints the
// median time of a paint in the first and in the later rounds, and the C heap in use after.
// The sizes are those of an ordinary screen (up to 1300×800), or with "large" of a 4K one.
//   bench_window_paint [CACHE_KIB] [SIZES] [ROUNDS] [large]   without CACHE_KIB: Qt's default
#include "fake_platform.h"
#include "widgets/window_font.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmapCache>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The whole window painted once into a picture, as an expose after a resize paints it.
double paintMs(QWidget& window, QSize size)
{
    window.resize(size);
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    const QPixmap picture = window.grab();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyWindowFont(app);
    const int sizeCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 40;
    const int rounds = argc > 3 ? std::max(2, std::atoi(argv[3])) : 5;
    const bool large = argc > 4 && std::strcmp(argv[4], "large") == 0;
    if (argc > 1)
        QPixmapCache::setCacheLimit(std::atoi(argv[1]));

    FakeRig rig;
    Playerfrm& window = rig.load();
    window.show();
    QApplication::processEvents();

    // The sizes a user might give the window, the same ones for every cache limit.
    QRandomGenerator random(7);
    std::vector<QSize> sizes;
    for (int i = 0; i < sizeCount; ++i)
        sizes.push_back(large ? QSize(2400 + random.bounded(1400), 1400 + random.bounded(800))
                              : QSize(400 + random.bounded(900), 300 + random.bounded(500)));

    std::vector<double> cold, warm;
    for (int round = 0; round < rounds; ++round)
        for (const QSize& size : sizes)
            (round == 0 ? cold : warm).push_back(paintMs(window, size));
    malloc_trim(0);
    const struct mallinfo2 heap = mallinfo2();
    std::printf("pixmap cache limit %d KiB, %d sizes, %d rounds: a paint takes %.2f ms at a new "
                "size, %.2f ms at a size painted before; heap in use %.1f MiB\n",
                QPixmapCache::cacheLimit(), sizeCount, rounds, median(cold), median(warm),
                double(heap.uordblks + heap.hblkhd) / (1024 * 1024));
    return 0;
}

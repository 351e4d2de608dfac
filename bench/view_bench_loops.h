#pragma once

// What every editing view's benchmarks time alike: a paint into an image of
// the view's size, and a follow step while playing with the measure copy a
// paint makes, under the SongMutex as the refresh pass holds it.

#include <benchmark/benchmark.h>

#include "core/locks.h"
#include "song/song_doc.h"
#include "views/time_axis.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QImage>

namespace rz {

template <class View>
void timePaints(benchmark::State& state, View& view)
{
    QImage image(view.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The song's engine must report Playing for the view to follow.
template <class View>
void timeLockedFollows(benchmark::State& state, CSongDoc& song, View& view)
{
    const int32_t end = song.endTick;
    int32_t tick = 0;
    for (auto _ : state) {
        tick = (tick + 97) % end;
        song.setPosition(tick);
        LockGuard guard(SongMutex(), "bench follow");
        view.follow();
        const TimeAxis axis = view.axis();
        const QRect plot = view.plotRect();
        const MeasureMap measures =
            visibleMeasures(song, axis.tickOfX(plot.left()), axis.tickOfX(plot.right()));
        benchmark::DoNotOptimize(measures.data());
    }
}

} // namespace rz

// The views need a QApplication; the benchmarks run offscreen.
#define RZ_VIEW_BENCHMARK_MAIN()                                                                   \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QApplication application(argc, argv);                                                      \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }

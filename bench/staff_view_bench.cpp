// The staff view over 16 tracks of 3,200 sixteenths (200 measures of 4/4),
// every track shown: the line layout with a full 1600 x 1000 repaint into
// an image (goal: median 16 ms, one 60 Hz frame), and one follow step
// while playing, under the SongMutex as the refresh pass holds it (goal:
// median 1 ms, inside the engine's 2 ms tick); the printed score of four
// of them: a plan and its first page (goal: median 100 ms).
#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"

#include "core/locks.h"
#include "staff/model/staff_print_plan.h"
#include "staff/staff_print.h"
#include "staff/staff_view.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/staff_header.h"
#include "tests/song/song_fixture.h"

#include <QPainter>

#include <memory>
#include <numeric>
#include <vector>

namespace rz {
namespace {

constexpr int kTracks = 16;
constexpr int kNotesPerTrack = 3200;
constexpr int32_t kSixteenth = 120; // at time base 480

struct StaffBench {
    SongFixture fixture;
    std::unique_ptr<MusicFont> font = MusicFont::load();
    std::unique_ptr<CSongDoc> song;
    std::unique_ptr<StaffView> view;

    explicit StaffBench(int tracks = kTracks)
    {
        song = bench::makeDenseSong(fixture.context(), tracks, kNotesPerTrack, kSixteenth);
        for (int row = 1; row <= tracks; ++row)
            fixture.trackRows.selected.insert(row);
        StaffViewContext context;
        context.profile = &fixture.profile;
        context.host = &fixture.host;
        context.trackRows = &fixture.trackRows;
        context.font = [this] { return font.get(); };
        view = std::make_unique<StaffView>(context, false, false, nullptr);
        view->resize(1600, 1000);
        view->attach(*song);
        view->initialUpdate();
    }
};

void BM_StaffLayoutPaint(benchmark::State& state)
{
    StaffBench b;
    std::vector<int> rows(kTracks);
    std::iota(rows.begin(), rows.end(), 1);
    StaffSettings settings;
    settings.staffSize = b.view->metrics().staffSize;
    const FontNotationMetrics metrics(*b.font, settings.staffSize, "Liberation Sans Narrow");
    StaffModel model = BuildStaffModel(*b.song, rows, settings, nullptr, metrics);
    LineLayoutInput in;
    in.clientWidth = 1600;
    in.clientHeight = 1000;
    in.staffSize = settings.staffSize;
    in.headerWidth = b.view->metrics().headerWidth;
    in.rulerHeight = b.view->rulerHeight();
    QImage image(b.view->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        const StaffLines lines = LayoutLines(model, in, metrics);
        benchmark::DoNotOptimize(lines.maxOriginX);
        b.view->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["measures"] = double(b.view->model().measures.size());
    state.counters["staves"] = double(b.view->model().staves.size());
}
BENCHMARK(BM_StaffLayoutPaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_StaffFollow(benchmark::State& state)
{
    StaffBench b;
    b.fixture.engine.state = TransportState::Playing;
    const int32_t end = b.song->endTick;
    int32_t tick = 0;
    for (auto _ : state) {
        tick = (tick + 97) % end;
        b.song->setPosition(tick);
        LockGuard guard(SongMutex(), "bench follow");
        b.view->follow();
    }
}
BENCHMARK(BM_StaffFollow)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The printed score of 4 of those tracks (16 staves exceed an A4 page):
// the plan and its first A4 page drawn into a 150 dpi image (goal: median
// 100 ms, so the preview turns pages without a wait).
void BM_StaffPrint(benchmark::State& state)
{
    constexpr int kPrintTracks = 4;
    constexpr int kDpi = 150;
    StaffBench b(kPrintTracks);
    const QSize a4(21000, 29700);
    QImage image(a4.width() * kDpi / 2540, a4.height() * kDpi / 2540, QImage::Format_RGB32);
    int pages = 0;
    for (auto _ : state) {
        const StaffPrintPlan plan = b.view->printPlan(a4);
        image.fill(Qt::white);
        QPainter painter(&image);
        mapPrintPage(painter, plan, image.size());
        printStaffPage(painter, plan, 1, *b.font);
        painter.end();
        pages = plan.pageCount();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_StaffPrint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()

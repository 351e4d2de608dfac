// The program's piano roll, shown in its frame over a 64-track, 250,000-note
// song with every track selected: a page scroll by the scroll bar, timed
// until the view has painted (goal: 50 ms on an idle machine), at the
// default time zoom and at the widest. Offscreen.
#include <benchmark/benchmark.h>

#include "app/app.h"
#include "app/app_options.h"
#include "app/main_frame.h"
#include "bench/dense_song.h"
#include "core/profile.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "tests/app/fake_association_store.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/scripted_prompt.h"
#include "ui/command_router.h"
#include "ui/zoom_scroll_bar.h"
#include "views/graph/tempo_view.h"
#include "views/piano/piano_roll_view.h"
#include "views/track/track_view.h"
#include "views/view_factory.h"

#include <QApplication>
#include <QElapsedTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 3907; // 250,048 notes in all
constexpr int32_t kStep = 120;
constexpr qint64 kWaitMs = 10000;

// Counts the paints a widget has begun; one has ended when the event loop
// next returns.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

bool processUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kWaitMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The application as the tests make it: a memory profile, scripted prompts,
// a recording transport; the real track list, tempo view and piano roll.
struct PianoApp {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeAssociationStore associations;
    FakeEngineLink engine;
    std::unique_ptr<App> app;
    CSongDoc* song = nullptr;
    PaintCounter counter;

    explicit PianoApp(int timeZoom)
    {
        AppOptions options;
        options.profile = &profile;
        options.prompt = &prompt;
        options.engine = &engine;
        options.singleInstance = false;
        options.associations = &associations;
        app = std::make_unique<App>(options);
        app->viewFactory().registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        registerTempoView(app->viewFactory(), [this](CommandId id) { return app->router().execute(id); });
        registerPianoRollView(app->viewFactory(), [this](CommandId id) { return app->router().execute(id); });
        if (!app->InitInstance())
            return;
        app->frame()->resize(1600, 900);
        song = app->set().AddSong(bench::makeDenseSong(app->set().songContext(), kTracks, kEventsPerTrack, kStep));
        app->SetCurrentSong(song);
        for (int t = 1; t <= kTracks; ++t)
            app->trackView()->SelectRow(t, t == 1);
        if (timeZoom >= 0)
            app->display().setTimeZoom(timeZoom);
        if (app->router().execute(kIdViewPianoRoll) && processUntil([this] { return piano() != nullptr; }))
            piano()->installEventFilter(&counter);
    }

    PianoRollView* piano() const { return dynamic_cast<PianoRollView*>(app->views().slot(ViewSlots::kPiano)); }

    ZoomScrollBar* timeBar() const
    {
        for (ZoomScrollBar* bar : piano()->findChildren<ZoomScrollBar*>())
            if (bar->width() > bar->height())
                return bar;
        return nullptr;
    }

    // A scroll-bar message, and the paint it asks for.
    bool scrollAndPaint(ZoomScrollBar& bar, int code)
    {
        const int before = counter.paints;
        emit bar.scrolled(code);
        emit bar.scrolled(ZoomScrollBar::kEndScroll);
        return processUntil([&] { return counter.paints > before; });
    }
};

void BM_PianoRollPageScroll(benchmark::State& state)
{
    PianoApp bench(int(state.range(0)));
    PianoRollView* view = bench.piano();
    ZoomScrollBar* bar = view ? bench.timeBar() : nullptr;
    if (!bar || !processUntil([&] { return bench.counter.paints > 0; })) {
        state.SkipWithError("the piano roll was not shown");
        return;
    }
    for (auto _ : state) {
        if (view->origin() + int64_t(view->plotRect().width()) > view->maxOrigin()) {
            state.PauseTiming();
            bench.scrollAndPaint(*bar, ZoomScrollBar::kScrollTop);
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        if (!bench.scrollAndPaint(*bar, ZoomScrollBar::kPageDown)) {
            state.SkipWithError("no paint after a page scroll");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["width"] = view->width();
    state.counters["gridTicks"] = view->axis().gridTicks;
    state.counters["shown"] = double(view->shownTracks().size());
}
BENCHMARK(BM_PianoRollPageScroll)->Arg(-1)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

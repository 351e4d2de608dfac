#include "set/lyric_follower.h"
#include "set/lyric_layout.h"
#include "set/lyric_model.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace rz {
namespace {

class FixedWidth : public ITextMeasurer {
public:
    int textWidth(std::string_view text, const LyricFont&) const override { return 8 * int(text.size()); }
    int fontHeight(const LyricFont& font) const override { return font.height; }
};

std::vector<LyricItem> syllables(int count)
{
    static const char* kTexts[] = {"Hel", "lo ", "world ", "/and ", "so", "on ", "\\verse ", "|page "};
    std::vector<LyricItem> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        items[size_t(i)].tick = i * 60;
        items[size_t(i)].eventIndex = i;
        items[size_t(i)].text = kTexts[i % 8];
    }
    return items;
}

LyricLayoutParams params()
{
    LyricLayoutParams p;
    p.clientWidth = 800;
    p.clientHeight = 600;
    p.paginate = true;
    return p;
}

void BM_Layout5000(benchmark::State& state)
{
    const std::vector<LyricItem> source = syllables(5000);
    for (auto _ : state) {
        std::vector<LyricItem> items = source;
        benchmark::DoNotOptimize(layoutLyricItems(items, "Title", params(), FixedWidth()));
    }
}
BENCHMARK(BM_Layout5000)->Unit(benchmark::kMillisecond);

void BM_Follow10000(benchmark::State& state)
{
    std::vector<LyricItem> items = syllables(5000);
    const LyricPages pages = layoutLyricItems(items, "", params(), FixedWidth());
    for (auto _ : state) {
        LyricFollowState follow;
        for (int step = 0; step < 10000; ++step) {
            const LyricFollowInput input{step * 30, 800, 600, 50, kLyricBall};
            follow = followLyrics(items, pages, input, follow).state;
        }
        benchmark::DoNotOptimize(follow);
    }
}
BENCHMARK(BM_Follow10000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();

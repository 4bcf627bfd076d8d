// The hot functions of a huge folder: sorting its names in the user's
// collation, and forming new names.
#include "rename/collation.h"
#include "rename/keysort.h"
#include "rename/namerule.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> cameraNames(int n)
{
    std::vector<std::string> v;
    v.reserve(static_cast<size_t>(n));
    char buf[64];
    for (int i = 0; i < n; ++i) {
        // Shuffled order, mixed case, as a directory gives them.
        const int k = static_cast<int>((i * 2654435761u) % static_cast<unsigned>(n));
        std::snprintf(buf, sizeof buf, (k % 3) ? "IMG_%07d.JPG" : "img_%07d.jpg", k);
        v.emplace_back(buf);
    }
    return v;
}

void SortWithCollation(benchmark::State& state)
{
    const auto names = cameraNames(static_cast<int>(state.range(0)));
    const renaming::Collation coll(platform::collationLocale(), renaming::Digits::asText,
                                   platform::CodePage::utf8);
    for (auto _ : state) {
        auto copy = names;
        renaming::SortKeys keys;
        for (const auto& n : copy) {
            coll.appendKey(n, keys.bytes());
            keys.endKey();
        }
        renaming::sortByKeys(copy, keys);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SortWithCollation)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void MakeNewFileName(benchmark::State& state)
{
    const auto names = cameraNames(1000);
    size_t i = 0;
    for (auto _ : state) {
        auto n = renaming::makeNewFileName(names[i++ % names.size()], "  旅行 2026 ",
                                           renaming::NameRule::append,
                                           platform::CodePage::utf8);
        benchmark::DoNotOptimize(n.data());
    }
}
BENCHMARK(MakeNewFileName);

void CheckFileName(benchmark::State& state)
{
    const std::string line = "2026年12月の旅行写真_その1";
    for (auto _ : state)
        benchmark::DoNotOptimize(renaming::checkFileName(line, platform::CodePage::utf8));
}
BENCHMARK(CheckFileName);

}  // namespace

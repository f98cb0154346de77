// Throughput of the reply-cutting operations over a 1 MiB page of GBK text
// shaped like a list reply. Run: build/bin/BenchText
#include <benchmark/benchmark.h>

#include <string>

#include "web/codecs.h"
#include "web/text.h"

namespace {

std::string ListPage() {
    std::string page;
    const std::string entry = "<li><a href=x target=_blank>·%u5F20%u4F1F%u660E</a> 中文说明文字</li>\r\n";
    while (page.size() < (1u << 20)) page += entry;
    page += "<b>end</b>";
    return page;
}

void BM_TextBetween(benchmark::State& state) {
    const std::string page = ListPage();
    for (auto _ : state) benchmark::DoNotOptimize(zu::TextBetween(page, "<B>", "</b>"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TextBetween);

void BM_Split(benchmark::State& state) {
    const std::string page = ListPage();
    for (auto _ : state) benchmark::DoNotOptimize(zu::text::Split(page, "target=_blank>·"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Split);

}  // namespace

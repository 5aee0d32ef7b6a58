#include "TessaryCore/DateLocalization.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A paragraph of 200 characters as recognised from a screenshot.
std::string paragraph(bool withDates) {
    std::string text = withDates
                           ? "Release notes: version 4.2 shipped on Mon, 6 May 2024 and the next update is "
                             "planned for June 2024. Support for the old format ends on Sept 30, 2024, "
                             "so please migrate your files soon."
                           : "Release notes: version 4.2 shipped this spring and the next update is planned "
                             "for the summer. Support for the old format ends in the autumn, so please "
                             "migrate your files soon, thank you.";
    text.resize(200, ' ');
    return text;
}

void localizeParagraph(benchmark::State& state, bool withDates, const char* target) {
    const std::string text = paragraph(withDates);
    benchmark::DoNotOptimize(tessary::DateLocalization::localize(text, target)); // builds the tables
    for (auto _ : state) {
        benchmark::DoNotOptimize(tessary::DateLocalization::localize(text, target));
    }
}

void BM_LocalizeParagraphWithDates(benchmark::State& state) {
    localizeParagraph(state, true, "zh-Hans");
}
void BM_LocalizeParagraphWithoutDates(benchmark::State& state) {
    localizeParagraph(state, false, "zh-Hans");
}
void BM_LocalizeParagraphWithDatesFrench(benchmark::State& state) {
    localizeParagraph(state, true, "fr");
}

BENCHMARK(BM_LocalizeParagraphWithDates)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocalizeParagraphWithoutDates)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocalizeParagraphWithDatesFrench)->Unit(benchmark::kMicrosecond);

} // namespace

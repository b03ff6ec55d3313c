// The Month, Quarter, Three-year, Keyboard strip and Planner styles: each document built and
// saved through the real writer.
#include "render/generate.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path scratchFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("layouts-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
}

// Arguments: style, selection, quarter labels.
void BM_DocumentBuiltAndSaved(benchmark::State& state) {
    const fs::path folder = scratchFolder();
    const std::string path = (folder / "calendar.pdf").string();
    const CalendarRequest request = {static_cast<int>(state.range(0)), 2025,
                                     static_cast<int>(state.range(1)), state.range(2) != 0};
    for (auto _ : state) {
        if (!WriteCalendarFile(request, path)) state.SkipWithError("the calendar was not saved");
    }
    std::error_code error;
    state.counters["pdf_bytes"] = static_cast<double>(fs::file_size(path, error));
    fs::remove_all(folder);
}

void layoutCases(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"style", "selection", "quarters"});
    benchmark->Args({Month, kSelectAll, 0});
    benchmark->Args({Month, kSelectAll, 1});
    benchmark->Args({Month, 11, 0});
    benchmark->Args({Quarter, 10, 0});
    benchmark->Args({Quarter, 11, 1});
    benchmark->Args({Quarter, kSelectAll, 0});
    benchmark->Args({ThreeYears, 0, 0});
    benchmark->Args({ThreeYears, 0, 1});
    benchmark->Args({KeyboardStrips, 0, 0});
    benchmark->Args({PlanningCalendar, 0, 0});
    benchmark->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_DocumentBuiltAndSaved)->Apply(layoutCases);

} // namespace

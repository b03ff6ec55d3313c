// The date table written to /dev/null, so the figure is the making of rows rather than a disk's
// speed; items are rows (days).
#include "calendar/dates.h"
#include "cli/days.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void writeTable(benchmark::State& state, bool json) {
    const int firstYear = static_cast<int>(state.range(0));
    const int lastYear = static_cast<int>(state.range(1));
    const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::string error;
    for (auto _ : state)
        if (!writeDayTable(firstYear, lastYear, json, 0, sink, error))
            state.SkipWithError(error.c_str());
    close(sink);
    const DateNumber first = weekdayOnOrBefore(dateNumber(1, 1, firstYear), Monday);
    const DateNumber end = weekdayOnOrBefore(dateNumber(1, 1, lastYear + 1), Monday);
    state.SetItemsProcessed(state.iterations() * (end - first));
}

void BM_DayTableCsv(benchmark::State& state) {
    writeTable(state, false);
}
void BM_DayTableJson(benchmark::State& state) {
    writeTable(state, true);
}
BENCHMARK(BM_DayTableCsv)->Args({2026, 2026})->Args({1920, 9999})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayTableJson)->Args({1920, 9999})->Unit(benchmark::kMillisecond);

} // namespace

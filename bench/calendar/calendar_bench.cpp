#include "calendar/broadcast.h"

#include <benchmark/benchmark.h>

namespace {

// Every broadcast year from 1920 to 9999; items are years.
void BM_BroadcastYears1920To9999(benchmark::State& state) {
    for (auto _ : state) {
        for (int year = 1920; year <= 9999; ++year) {
            benchmark::DoNotOptimize(broadcastYearTable(year));
        }
    }
    state.SetItemsProcessed(state.iterations() * (9999 - 1920 + 1));
}
BENCHMARK(BM_BroadcastYears1920To9999);

// Items are single conversions.
void BM_DateNumberConversion(benchmark::State& state) {
    int day = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dateNumber(7, day, 2025));
        day = day % 28 + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DateNumberConversion);

void BM_CalendarDateConversion(benchmark::State& state) {
    DateNumber date = 2460691;
    int month = 0, day = 0, year = 0;
    for (auto _ : state) {
        calendarDate(date, month, day, year);
        benchmark::DoNotOptimize(month + day + year);
        date = date == 2460691 + 1000 ? 2460691 : date + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CalendarDateConversion);

} // namespace

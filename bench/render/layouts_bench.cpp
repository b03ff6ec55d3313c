// The Month, Quarter, Three-year, Keyboard strip and Planner styles: each document built and
// saved through the real writer (with its flush to disk), and built in memory alone.
#include "calendar/broadcast.h"
#include "render/generate.h"
#include "render/layouts/layouts.h"

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

void drawStyle(GenerationRequest& request) {
    const int selection = request.calendar.selection;
    switch (request.calendar.style) {
    case Month:
        for (int month = 1; month <= 12; ++month)
            if (selection == kSelectAll || selection == month) drawMonthPage(request, month);
        break;
    case Quarter:
        for (int firstMonth = 1; firstMonth <= 12; ++firstMonth)
            if ((selection == kSelectAll && firstMonth % 3 == 1) || selection == firstMonth)
                drawQuarterPage(request, firstMonth);
        break;
    case ThreeYears:
        drawThreeYearPage(request);
        break;
    case KeyboardStrips:
        drawKeyboardStripPage(request);
        break;
    case PlanningCalendar:
        drawPlannerPage(request);
        break;
    default:
        break;
    }
}

// The same documents drawn and written to a memory stream: the layouts and compression
// without the file system.
void BM_DocumentBuiltInMemory(benchmark::State& state) {
    const CalendarRequest calendar = {static_cast<int>(state.range(0)), 2025,
                                      static_cast<int>(state.range(1)), state.range(2) != 0};
    HPDF_UINT32 size = 0;
    for (auto _ : state) {
        GenerationRequest request = {};
        request.calendar = calendar;
        HPDF_Doc document = HPDF_New(nullptr, nullptr);
        if (!document) {
            state.SkipWithError("no PDF document");
            break;
        }
        request.drawing.document = document;
        HPDF_SetCompressionMode(document, HPDF_COMP_ALL);
        request.drawing.regularFont = HPDF_GetFont(document, "Helvetica", nullptr);
        request.drawing.boldFont = HPDF_GetFont(document, "Helvetica-Bold", nullptr);
        request.drawing.boldObliqueFont = HPDF_GetFont(document, "Helvetica-BoldOblique", nullptr);
        computeBroadcastYear(calendar.year);
        drawStyle(request);
        HPDF_SaveToStream(document);
        size = HPDF_GetStreamSize(document);
        HPDF_Free(document);
    }
    state.counters["pdf_bytes"] = static_cast<double>(size);
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
BENCHMARK(BM_DocumentBuiltInMemory)->Apply(layoutCases);

} // namespace

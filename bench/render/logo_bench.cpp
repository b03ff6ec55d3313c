// Decoding the largest logo a user may pick, a 2000 x 2000 RGBA PNG, and the size of a
// twelve-page month calendar that carries it.
#include "render/generate.h"
#include "render/logo.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

// Made once by ImageMagick: noise, so the file is as large as such a logo gets.
fs::path bigLogo() {
    const fs::path path =
        fs::temp_directory_path() / ("logo-bench-" + std::to_string(getpid()) + ".png");
    if (!fs::exists(path)) {
        const std::string command = "convert -size 2000x2000 plasma:red-blue -seed 1 -alpha set "
                                    "-channel A -fx 'i/w' +channel PNG32:'" +
                                    path.string() + "'";
        if (std::system(command.c_str()) != 0) return {};
    }
    return path;
}

void BM_DecodeLogo2000(benchmark::State& state) {
    const fs::path path = bigLogo();
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    LogoPixels pixels;
    std::string problem;
    for (auto _ : state) {
        if (!decodeLogo(bytes, pixels, problem)) state.SkipWithError(problem.c_str());
        benchmark::DoNotOptimize(pixels.colour.data());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
    state.counters["peak_rss_kB"] = static_cast<double>(usage.ru_maxrss);
}
BENCHMARK(BM_DecodeLogo2000)->Unit(benchmark::kMillisecond);

void BM_MonthCalendarWithLogo2000(benchmark::State& state) {
    const fs::path path = bigLogo();
    const std::string pdf = path.string() + ".pdf";
    CalendarRequest request = {Month, 2026, kSelectAll, false};
    request.logo = path.string();
    for (auto _ : state)
        if (!WriteCalendarFile(request, pdf)) state.SkipWithError("not written");
    state.counters["pdf_bytes"] = static_cast<double>(fs::file_size(pdf));
    fs::remove(pdf);
}
BENCHMARK(BM_MonthCalendarWithLogo2000)->Unit(benchmark::kMillisecond);
} // namespace

// The Year page from request to file on disk, its size, and the whole command-line run.
#include "render/generate.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path scratchFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("render-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
}

void BM_YearDocumentBuiltAndSaved(benchmark::State& state) {
    const fs::path folder = scratchFolder();
    const std::string path = (folder / "year.pdf").string();
    const CalendarRequest request = {Year, 2025, 0, state.range(0) != 0};
    for (auto _ : state) {
        if (!WriteCalendarFile(request, path)) state.SkipWithError("the Year page was not saved");
    }
    state.counters["pdf_bytes"] = static_cast<double>(fs::file_size(path));
    fs::remove_all(folder);
}
BENCHMARK(BM_YearDocumentBuiltAndSaved)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("quarters")
    ->Unit(benchmark::kMicrosecond);

// The whole process: start, argument checks, the document, the file, and exit.
void BM_CommandLineYearRun(benchmark::State& state) {
    const fs::path folder = scratchFolder();
    const std::string output = (folder / "Broadcast-Year-2025.pdf").string();
    std::string program = MERIVANE_CLI;
    std::string args[] = {"pdf", "--style", "year", "--year", "2025", "--output", output};
    char* argv[] = {program.data(), args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                    args[4].data(), args[5].data(), args[6].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("merivane-cli did not start");
            break;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("merivane-cli failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    fs::remove_all(folder);
}
BENCHMARK(BM_CommandLineYearRun)->Unit(benchmark::kMillisecond);

} // namespace

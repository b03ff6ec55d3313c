// How long the start spends finding the PDF reader when the MIME lists are padded: the user's
// list removes 70,000 entries that the applications folder's list adds, the reader named last.
#include "gui/app_desktop.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Short distinct names, so 70,000 of them fit in the 1 MB the reader takes of a list.
std::string entryName(int number) {
    std::string name;
    do {
        name += "0123456789abcdefghijklmnopqrstuvwxyz"[number % 36];
        number /= 36;
    } while (number > 0);
    return name + ".desktop;";
}

void PaddedMimeList(benchmark::State& state) {
    const fs::path root = fs::temp_directory_path() / ("mime-bench-" + std::to_string(getpid()));
    const auto entries = static_cast<int>(state.range(0));
    std::string padding;
    for (int i = 0; i < entries; ++i)
        padding += entryName(i);
    writeFile(root / "config/mimeapps.list", "[Removed Associations]\napplication/pdf=" + padding);
    writeFile(root / "data/applications/mimeapps.list",
              "[Added Associations]\napplication/pdf=" + padding + "reader.desktop\n");
    writeFile(root / "data/applications/reader.desktop", "[Desktop Entry]\nType=Application\n");
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root / "config-dirs").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root / "data-dirs").c_str(), 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(appDefaultPdfViewer());
    fs::remove_all(root);
}
BENCHMARK(PaddedMimeList)->Arg(1000)->Arg(10000)->Arg(70000)->Unit(benchmark::kMillisecond);

} // namespace

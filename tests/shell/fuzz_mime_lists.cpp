// libFuzzer entry for the desktop's MIME lists. The input is the user's mimeapps.list and, as
// well, the applications folder's mimeinfo.cache; the installed desktop entries are a.desktop
// and vendor-b.desktop (in a vendor/ folder). The reader found is "" or one of those two, and
// only when the input names it.
#include "gui/app_desktop.h"
#include "support/fuzz_scratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void writeFile(const std::filesystem::path& path, const char* data, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, std::streamsize(size));
}

const std::filesystem::path& desktopFolder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path root = fuzzScratchFolder("mime-lists");
        writeFile(root / "data/applications/a.desktop", "[Desktop Entry]\n", 16);
        writeFile(root / "data/applications/vendor/b.desktop", "[Desktop Entry]\n", 16);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (root / "none").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root / "none").c_str(), 1);
        setenv("XDG_CURRENT_DESKTOP", "Fuzz", 1);
        return root;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& root = desktopFolder();
    const char* text = reinterpret_cast<const char*>(data);
    writeFile(root / "config/mimeapps.list", text, size);
    writeFile(root / "data/applications/mimeinfo.cache", text, size);
    const std::string reader = appDefaultPdfViewer();
    if (reader.empty()) return 0;
    const std::string input(text, size);
    if ((reader != "a.desktop" && reader != "vendor-b.desktop") ||
        input.find(reader) == std::string::npos) {
        std::fprintf(stderr, "found a reader the lists do not name: %s\n", reader.c_str());
        std::abort();
    }
    return 0;
}

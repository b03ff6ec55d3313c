// libFuzzer entry for "Updater.ini" as an outside updater leaves it: reading never fails, a
// notice names the version only as the file gives it, and once cleared it is never shown again.
#include "support/fuzz_scratch.h"
#include "update/install.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// The settings' folder, holding an existing file "source" that the input may name.
const std::string& updaterPath() {
    static std::string path;
    if (!path.empty()) return path;
    const std::string& folder = fuzzScratchFolder("updater");
    std::ofstream(folder + "/source") << "installed\n";
    path = folder + "/Updater.ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = updaterPath();
    const std::string& folder = fuzzScratchFolder("updater");
    // "@" stands for the folder, so inputs can name the file that exists there.
    std::string content(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = content.find('@'); at != std::string::npos; at = content.find('@', at))
        content.replace(at, 1, folder), at += folder.size();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    const std::string notice = UpdaterNoticeText(path);
    if (notice.empty()) return 0;
    if (notice.rfind("Congratulations! ", 0) != 0 || notice.size() < 5 ||
        notice.compare(notice.size() - 5, 5, "!{f6}") != 0) {
        std::fprintf(stderr, "a notice of another form: %s\n", notice.c_str());
        std::abort();
    }
    ClearUpdaterNotice(path);
    if (!UpdaterNoticeText(path).empty()) {
        std::fprintf(stderr, "a cleared notice is shown again\n");
        std::abort();
    }
    return 0;
}

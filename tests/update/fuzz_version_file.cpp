// libFuzzer entry for the version file from the update site: parsing never fails, and versions
// order consistently (the comparison is antisymmetric, leading zeros and missing ".0" parts do
// not count, and what "Ignore this update" stores silences exactly that version and older ones).
#include "update/update_state.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what, std::string_view version) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(version.size()), version.data());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const VersionFile file = parseVersionFile(text);
    if (file.valid && (file.lineCount < 3 || file.newVersion.size() > text.size()))
        fail("a version file with impossible lines", text);
    // The input as two versions: up to the first NUL, and the rest.
    const std::size_t split = text.find('\0');
    const std::string_view first = text.substr(0, split);
    const std::string_view second = split == std::string_view::npos ? "" : text.substr(split + 1);
    const int order = compareVersions(first, second);
    if (order < -1 || order > 1 || compareVersions(second, first) != -order)
        fail("versions do not order both ways alike", text);
    if (compareVersions(first, first) != 0) fail("a version differs from itself", first);
    if (compareVersions(std::string(first) + ".0", first) != 0 ||
        compareVersions("0" + std::string(first), first) != 0)
        fail("a trailing .0 or a leading zero counts", first);
    const std::string stored = ignoreSettingOf(first);
    if (!isIgnoredVersion(first, stored)) fail("an ignored version is offered again", first);
    if (isIgnoredVersion(second, stored) != (compareVersions(second, first) <= 0))
        fail("Ignore silences another version than the ones up to it", text);
    isMajorUpdate(file.newVersion);
    isMajorUpdate(first);
    return 0;
}

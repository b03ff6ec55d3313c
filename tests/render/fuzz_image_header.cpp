// libFuzzer entry: the logo check either refuses the bytes with a reason or describes a PNG or
// JPEG picture within the size a logo may have, whose own signature the bytes start with.
#include "render/logo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ImageFacts facts{};
    std::string problem;
    if (!checkImageData(bytes, facts, problem)) {
        if (problem.empty()) std::abort();
        return 0;
    }
    if (facts.width < 1 || facts.height < 1 || facts.width > kLogoSideLimit ||
        facts.height > kLogoSideLimit)
        std::abort();
    const bool png = bytes.substr(0, 4) == "\x89PNG";
    const bool jpeg = bytes.substr(0, 2) == "\xFF\xD8";
    if ((facts.kind == ImageKind::Png && !png) || (facts.kind == ImageKind::Jpeg && !jpeg))
        std::abort();
    return 0;
}

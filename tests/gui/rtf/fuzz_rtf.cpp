// libFuzzer entry: any bytes must read without a crash, within the output limit, into valid UTF-8.
#include "gui/rtf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(const std::string& text) {
    std::size_t position = 0;
    while (position < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[position]);
        std::size_t length = 0;
        char32_t codePoint = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (position + length > text.size()) return false;
        for (std::size_t i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[position + i]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF) return false;
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return false;
        position += length;
    }
    return true;
}

bool isWithinBounds(const RtfRun& run) {
    const int size = run.format.halfPoints;
    return size == 0 || (size >= kRtfMinimumHalfPoints && size <= kRtfMaximumHalfPoints);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const RtfDocument document = readRtf(input);
    if (rtfOutputCost(document) > kRtfMaximumOutputBytes) std::abort();
    for (const RtfParagraph& paragraph : document.paragraphs) {
        if (paragraph.format.leftIndentTwips > kRtfMaximumIndentTwips) std::abort();
        std::size_t paragraphCost = 0;
        for (const RtfRun& run : paragraph.runs) {
            if (run.text.empty() || !isValidUtf8(run.text) || !isWithinBounds(run)) std::abort();
            paragraphCost += kRtfRecordCost + run.text.size();
        }
        if (paragraphCost > kRtfMaximumParagraphBytes) std::abort();
    }
    return 0;
}

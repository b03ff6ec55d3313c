// libFuzzer entry for the message box's markup. The input's first byte picks a font and a wrap
// width; then come a marked-up text, a NUL, a button list, a NUL and a text to word-wrap.
// Parsing never fails or lets a "{" into a shown text, a button list never gives more than ten
// buttons, and wrapping keeps every word, in order, with no line of several words too wide.
#include "msgbox/msgbox.cpp"

#include "render/seam.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr int kFontCount = 13;
constexpr double kWidestWrap = 80;

std::string nextPart(std::string_view& input) {
    const std::size_t end = input.find('\0');
    const std::string part(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return part;
}

// The words of a text: what lies between spaces and line breaks.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (c != ' ' && c != '|') {
            word += c;
            continue;
        }
        if (!word.empty()) words.push_back(word);
        word.clear();
    }
    return words;
}

[[noreturn]] void fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, text.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Text is measured with real fonts, on a platform that needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int font = data[0] % kFontCount;
    const double wrapWidth = (data[0] / kFontCount) * kWidestWrap / (255 / kFontCount);
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string markup = nextPart(input);
    const std::string buttonList = nextPart(input);
    const std::string text(input);

    const TextBlock block = parseTextBlock(markup);
    if (block.text.find('{') != std::string::npos) fail("a brace in the shown text", markup);
    const std::string plain = plainMessageText(markup);
    if (plain.find_first_of("{|") != std::string::npos) fail("markup in the plain text", markup);
    const std::vector<ButtonRecord> buttons = parseButtons(buttonList);
    if (buttons.size() > static_cast<std::size_t>(kMaxButtons))
        fail("too many buttons", buttonList);
    for (const ButtonRecord& button : buttons)
        if (button.caption.find('{') != std::string::npos) fail("a brace in a caption", buttonList);

    const std::string wrapped = wrapMessageText(text, wrapWidth, font);
    if (wrapped.empty() || wrapped.back() != '|') fail("a wrapped text without its end", text);
    if (wordsOf(wrapped) != wordsOf(text)) fail("wrapping lost or moved words", text);
    for (const std::string& line : splitText(wrapped.substr(0, wrapped.size() - 1), '|'))
        if (line.find(' ') != std::string::npos && textWidth(font, line) > wrapWidth)
            fail("a line of several words is too wide", line);
    return 0;
}

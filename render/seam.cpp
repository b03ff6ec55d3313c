#include "render/seam.h"

#include "common/text.h"

#include <cstdio>

namespace {

void printMessage(const std::string& title, const std::string& mainText,
                  const std::string& detailText) {
    std::string text = plainMessageText(title);
    const std::string main = plainMessageText(mainText);
    const std::string detail = plainMessageText(detailText);
    if (!main.empty()) text += (text.empty() ? "" : ": ") + main;
    if (!detail.empty()) text += (text.empty() ? "" : "\n") + detail;
    std::fprintf(stderr, "%s\n", text.c_str());
}

void openNothing(const std::string&) {}

} // namespace

namespace global {
// Without a GUI, messages go to standard error and documents stay unopened.
RenderSeam renderSeam = {printMessage, openNothing, nullptr, nullptr};
} // namespace global

// Markup is the shown text, then an optional option block from the first "{" to the end;
// "|" separates lines.
std::string plainMessageText(const std::string& markup) {
    std::string text = trimBlanks(markup.substr(0, markup.find('{')), " ");
    for (char& c : text)
        if (c == '|') c = '\n';
    return text;
}

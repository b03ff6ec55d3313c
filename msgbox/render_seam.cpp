#include "gui/ezgui.h"
#include "msgbox/msgbox.h"
#include "render/seam.h"

namespace {

constexpr const char* kMainWindowForm = "MF";

void showRenderMessage(const std::string& title, const std::string& mainText,
                       const std::string& detailText) {
    okMessage(title, mainText, detailText);
}

// A saved calendar the desktop cannot open is reported, not passed over in silence.
void openWithViewer(const std::string& path) {
    if (ezOpenFile(path)) return;
    okMessage("PDF Reader Error", "The calendar was saved but could not be opened.{f10}",
              "|" + path + "{f6}");
}

void closeMainWindow() {
    ezUnloadForm(kMainWindowForm);
}

} // namespace

void installGuiRenderSeam() {
    global::renderSeam = RenderSeam{showRenderMessage, openWithViewer, closeMainWindow};
}

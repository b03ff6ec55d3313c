#include "shell/render_wiring.h"

#include "common/translate.h"
#include "gui/app_desktop.h"
#include "gui/ezgui.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"
#include "render/seam.h"

namespace {

void showRenderMessage(const std::string& title, const std::string& mainText,
                       const std::string& detailText) {
    okMessage(title, mainText, detailText);
}

// A saved calendar that cannot be handed to a viewer is reported, not passed over in silence.
void openCalendar(const std::string& path) {
    if (appOpenDocument(path)) return;
    okMessage(translate("PDF Reader Error"),
              translate("The calendar was saved but could not be opened.{f10}"),
              "|" + path + "{f6}");
}

void closeMainWindow() {
    ezUnloadForm(kMainForm);
}

int numberTaken;

int takeCalendarNumber() {
    numberTaken = FollowingCalendarNumber();
    return numberTaken;
}

} // namespace

void installGuiRenderSeam() {
    global::renderSeam = RenderSeam{showRenderMessage, openCalendar, closeMainWindow, nullptr};
}

NumberedOutput numberedCalendarOutput() {
    numberTaken = 0;
    return {global::pdfFolder, takeCalendarNumber, !global::pdfViewerPath.empty()};
}

void choosePageLanguage(CalendarRequest& request) {
    request.language = global::preferences.pageLanguage;
}

int calendarNumberTaken() {
    return numberTaken;
}

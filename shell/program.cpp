#include "shell/program.h"

#include "gui/ezgui.h"
#include "shell/paths.h"

#include <cstdio>

namespace global {
std::string programIcon;
DateNumber today;
bool networkReady;
std::time_t (*currentTime)() = [] { return std::time(nullptr); };
} // namespace global

namespace {

struct HelpTopic {
    int context;
    const char* file;
};

// The topics shipped with the program, beside the contents page in the help folder.
const HelpTopic kHelpTopics[] = {
    {kMainWindowHelp, "main-window.html"},  {kPrintRangeHelp, "print-range.html"},
    {kPreferencesHelp, "preferences.html"}, {kFindDateHelp, "find-date.html"},
    {kExportHelp, "export.html"},
};
constexpr const char* kHelpContentsFile = "contents.html";

} // namespace

std::string localDateText() {
    const std::time_t now = global::currentTime();
    std::tm local{};
    localtime_r(&now, &local);
    char text[48];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900);
    return text;
}

void showHelpContext(int context) {
    for (const HelpTopic& topic : kHelpTopics) {
        if (topic.context != context) continue;
        ezShowHelpTopic(global::helpFile + topic.file);
        return;
    }
    showHelpContents();
}

void showHelpContents() {
    ezShowHelpTopic(global::helpFile + kHelpContentsFile);
}

bool answerHelpKey(int controlId, int eventCode) {
    if (controlId != kHelpKeyCommand || eventCode != kEventClick) return false;
    showHelpContext(global::helpContext);
    return true;
}

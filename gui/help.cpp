#include "gui/help.h"

#include "gui/ezgui.h"
#include "program/paths.h"
#include "program/program.h"

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

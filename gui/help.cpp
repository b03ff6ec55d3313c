#include "gui/help.h"

#include "gui/ezgui.h"
#include "program/paths.h"
#include "program/program.h"

#include <QFileInfo>

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
        ezShowHelpTopic(helpPageIn(global::helpFile, windowLanguage(), topic.file));
        return;
    }
    showHelpContents();
}

void showHelpContents() {
    ezShowHelpTopic(helpPageIn(global::helpFile, windowLanguage(), kHelpContentsFile));
}

std::string helpPageIn(const std::string& helpFolder, Language language, const std::string& page) {
    const std::string code = languageSettingText(language);
    // Compiled-in pages (":/help/") are found the same way as installed ones.
    const std::string translated = helpFolder + code + "/" + page;
    if (language != Language::English && !code.empty() &&
        QFileInfo(QString::fromStdString(translated)).isFile())
        return translated;
    return helpFolder + page;
}

#include "gui/form_events.h"

#include "gui/ezgui.h"
#include "gui/help.h"
#include "program/program.h"

#include <string>

namespace {

// The help F1 opens: that of the form activated last.
int helpContext = 0;

void defineKeys(const FormEvents& events) {
    std::string keys = events.helpContext != 0 ? kHelpKeyAccelerator : "";
    if (events.escapeButton != 0)
        keys +=
            (keys.empty() ? "" : ",") + std::string("Esc,") + std::to_string(events.escapeButton);
    if (!keys.empty()) ezDefAccel(events.form, keys);
}

} // namespace

bool answerFormEvent(const FormEvents& events, int controlId, int eventCode, int& cancel) {
    if (controlId == kHelpKeyCommand && events.helpContext != 0) {
        if (eventCode == kEventClick) showHelpContext(helpContext);
        return true;
    }
    if (controlId != 0) return false;
    switch (eventCode) {
    case kEventActivated:
        if (events.helpContext != 0) helpContext = events.helpContext;
        break;
    case kEventLoaded:
        if (events.load) events.load();
        defineKeys(events);
        break;
    case kEventStarted:
        if (events.start) events.start();
        break;
    case kEventCloseRequest:
        if (events.closeRequest) events.closeRequest(cancel);
        break;
    case kEventUnload:
        if (events.unload) events.unload();
        break;
    default:
        break;
    }
    return true;
}

int activeHelpContext() {
    return helpContext;
}

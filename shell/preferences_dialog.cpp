#include "shell/preferences_dialog.h"

#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "gui/help.h"
#include "msgbox/msgbox.h"
#include "program/program.h"
#include "program/settings.h"
#include "render/logo.h"

namespace {

constexpr int kSaveButton = 125;
constexpr int kCloseButton = 130;
constexpr int kHelpButton = 135;
constexpr int kOptionsFrame = 140;
constexpr int kCreditLabel = 200;
constexpr int kCreditText = 205;
constexpr int kLogoLabel = 210;
constexpr int kLogoText = 215;
constexpr int kLogoPreview = 220;
constexpr int kBrowseButton = 225;
constexpr int kClearButton = 230;
constexpr int kBrandingFrame = 235;
// Rows of the buttons along the foot, below both groups.
constexpr double kButtonRow = 17.875;

struct PreferenceBox {
    int id;
    const char* caption;
    double row;
    double width;
    bool anchored;
    std::uint16_t flag;
    const char* tooltip;
};

const PreferenceBox kBoxes[] = {
    {100, "Remember previous calendar &style", 2.375, 25.5, true, kRememberStyleFlag,
     "Restore the last calendar style used the next time the program starts"},
    {105, "Enable &intelligent year selection", 3.625, 25.5, false, kIntelligentYearFlag,
     "Enable intelligent year selection"},
    {110, "Show quarters with week numbers", 4.875, 25.75, false, kQuarterWeeksFlag,
     "Include quarter designation with week numbers"},
    {115, "Enable pop-up &tool tip help", 6.125, 21.75, true, kTooltipsFlag,
     "Uncheck to turn off pop-up tooltips (like this one)"},
    {120, "Alert me when program is updated", 7.375, 25.75, false, kUpdateAlertFlag,
     "Tell me when an update to this program is available for download"},
};

// The preferences as the dialog shows them; live only after Save.
PreferenceRecord working;
PageBranding workingBranding;

const PreferenceBox* boxWithId(int controlId) {
    for (const PreferenceBox& box : kBoxes)
        if (box.id == controlId) return &box;
    return nullptr;
}

// The dialog's tooltips follow its own tick box at once, before anything is saved.
bool tooltipsOn() {
    return (working.flags & kTooltipsFlag) != 0;
}

void startControl(bool anchored) {
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezUseAutoSize(anchored ? "CT" : "");
}

void disableSaveButton() {
    ezDisableC(kPreferencesForm, kSaveButton);
}

// The logo's file name and a small picture of it; nothing for no logo or one that cannot be
// used (the message has said why).
void showLogo(const std::string& path) {
    ezSetText(kPreferencesForm, kLogoText, path);
    ezSetImage(kPreferencesForm, kLogoPreview, path.empty() ? "" : ezLoadPicture(path));
}

void dialogLoad() {
    ezSetFormIcon(kPreferencesForm, global::programIcon);
    for (const PreferenceBox& box : kBoxes)
        ezSetCheck(kPreferencesForm, box.id, (global::preferences.flags & box.flag) ? 1 : 0);
    working = global::preferences;
    workingBranding = global::pageBranding;
    ezSetText(kPreferencesForm, kCreditText, workingBranding.credit);
    std::string bytes, problem;
    ImageFacts facts{};
    const bool usable =
        workingBranding.logo.empty() || readLogoFile(workingBranding.logo, bytes, facts, problem);
    ezSetText(kPreferencesForm, kLogoText, workingBranding.logo);
    if (usable && !workingBranding.logo.empty()) showLogo(workingBranding.logo);
    disableSaveButton();
}

// The chosen file is checked at once: one that cannot be used is named with the reason and
// the logo stays as it was.
void chooseLogo() {
    const std::string path =
        ezOpenFileDialog(kPreferencesForm, "Choose Your Logo", ezDocumentsFolder(),
                         "PNG or JPEG pictures (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG)");
    if (path.empty()) return;
    std::string bytes, problem;
    ImageFacts facts{};
    if (!readLogoFile(path, bytes, facts, problem)) {
        okMessage("Logo", logoProblemMessage(path, problem) + "{f10}", "");
        return;
    }
    workingBranding.logo = path;
    showLogo(path);
    ezEnableC(kPreferencesForm, kSaveButton);
}

// Escape closes without saving, as it does in every dialog.
const FormEvents kFormEvents = {
    kPreferencesForm, kPreferencesHelp, kCloseButton, dialogLoad, nullptr, nullptr, nullptr,
};

void preferenceBoxEvents(const PreferenceBox& box, int eventCode) {
    if (eventCode == kEventClick) {
        if (ezGetCheck(kPreferencesForm, box.id) & 1)
            working.flags |= box.flag;
        else
            working.flags &= static_cast<std::uint16_t>(~box.flag);
        ezEnableC(kPreferencesForm, kSaveButton);
        return;
    }
    if (eventCode == kEventTooltip && tooltipsOn()) ezSetTooltip(box.tooltip);
}

void saveButtonEvents(int eventCode) {
    if (eventCode == kEventClick) {
        SavePreferences(working);
        SavePageBranding(workingBranding);
        disableSaveButton();
        ezUnloadForm(kPreferencesForm);
        return;
    }
    if (eventCode == kEventTooltip && tooltipsOn())
        ezSetTooltip("Save your changes and exit Preferences");
}

void closeButtonEvents(int eventCode) {
    if (eventCode == kEventClick) {
        ezUnloadForm(kPreferencesForm);
        return;
    }
    if (eventCode != kEventTooltip || !tooltipsOn()) return;
    const bool unsaved = ezIsControl(kPreferencesForm, kSaveButton, "E") != 0;
    ezSetTooltip(std::string("Exit Preferences") + (unsaved ? " without saving your changes" : ""));
}

} // namespace

void ShowPreferencesDialog(const std::string& parent) {
    ezColor(-1, -1);
    ezForm(kPreferencesForm, parent, "User Preferences", 0, 0, 34, 20.125, "CMR");
}

void preferencesDesign() {
    for (const PreferenceBox& box : kBoxes) {
        startControl(box.anchored);
        ezCheckBox(box.id, 3.5, box.row, box.width, 1, box.caption, "T");
        ezAddTooltip(kPreferencesForm, box.id);
    }
    startControl(false);
    ezLabel(kCreditLabel, 3.5, 10.875, 8.5, 1, "Credit &line:", "");
    startControl(false);
    ezText(kCreditText, 12, 10.625, 18.75, 1.375, "", "T[100]");
    ezAddTooltip(kPreferencesForm, kCreditText);
    startControl(false);
    ezLabel(kLogoLabel, 3.5, 12.625, 8.5, 1, "Logo:", "");
    startControl(false);
    ezText(kLogoText, 12, 12.375, 18.75, 1.375, "", "TR");
    startControl(false);
    ezPicture(kLogoPreview, 3.5, 14.25, 8, 2.5, "", "CSZ");
    ezSetControlName(kPreferencesForm, kLogoPreview, "Logo preview");
    startControl(false);
    ezButton(kBrowseButton, 12, 14.625, 8.5, 1.5, "&Browse...", "T");
    startControl(false);
    ezButton(kClearButton, 21.5, 14.625, 8.5, 1.5, "Clea&r", "T");
    startControl(true);
    ezFrame(kBrandingFrame, 2, 9.5, 29.75, 7.875, "Your name on the calendars", "");
    startControl(true);
    ezButton(kSaveButton, 17.25, kButtonRow, 6.25, 1.5, "&Save", "TD");
    ezAddTooltip(kPreferencesForm, kSaveButton);
    startControl(true);
    ezButton(kCloseButton, 24.5, kButtonRow, 6.25, 1.5, "&Close", "TX");
    ezAddTooltip(kPreferencesForm, kCloseButton);
    startControl(true);
    ezButton(kHelpButton, 2.75, kButtonRow, 6.25, 1.5, "&Help", "T");
    startControl(true);
    ezFrame(kOptionsFrame, 2, 0.875, 29.75, 8.25, "Program Options", "");
}

void preferencesEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    const PreferenceBox* box = boxWithId(controlId);
    const bool answersTooltips = box || controlId == kSaveButton || controlId == kCloseButton;
    if (answersTooltips && eventCode == kEventTooltip) ezSetTooltip("");
    if (box) {
        preferenceBoxEvents(*box, eventCode);
        return;
    }
    switch (controlId) {
    case kSaveButton:
        saveButtonEvents(eventCode);
        return;
    case kCloseButton:
        closeButtonEvents(eventCode);
        return;
    case kCreditText:
        if (eventCode == kEventTextChanged) {
            workingBranding.credit = ezGetText(kPreferencesForm, kCreditText);
            ezEnableC(kPreferencesForm, kSaveButton);
        }
        if (eventCode == kEventTooltip && tooltipsOn())
            ezSetTooltip("Your name, phone or web address at the foot of every page; empty "
                         "prints the program's own line");
        return;
    case kBrowseButton:
        if (eventCode == kEventClick) chooseLogo();
        return;
    case kClearButton:
        if (eventCode != kEventClick) return;
        workingBranding.logo.clear();
        showLogo("");
        ezEnableC(kPreferencesForm, kSaveButton);
        return;
    case kHelpButton:
        if (eventCode == kEventClick) showHelpContext(kPreferencesHelp);
        return;
    default:
        answerFormEvent(kFormEvents, controlId, eventCode, cancel);
        return;
    }
}

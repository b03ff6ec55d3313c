#include "shell/preferences_dialog.h"

#include "common/text.h"
#include "common/translate.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "gui/help.h"
#include "msgbox/msgbox.h"
#include "program/program.h"
#include "program/settings.h"
#include "render/logo.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

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
constexpr int kLanguageFrame = 165;

// The form as laid out for English; translated captions widen it.
constexpr double kFormWidth = 34;
constexpr double kFormHeight = 23.125;
constexpr double kFrameLeft = 2;
constexpr double kFrameWidth = 29.75;
constexpr double kBoxLeft = 3.5;
constexpr double kButtonRow = 20.875;
constexpr double kButtonWidth = 6.25;
constexpr double kCloseRight = 30.75;
constexpr double kButtonGap = 1;
constexpr double kLanguageFrameRow = 9.375;
constexpr double kLanguageRow = 10.75;
constexpr double kLanguageGap = 1;
// The group of the user's credit line and logo, below the language.
constexpr double kBrandingRow = 12.5;
constexpr double kBrandingLabelWidth = 8.5;
constexpr double kBrandingMargin = 1;

// The calendar languages offered: Automatic, then each of kLanguageTable named in its own language
// (without the Language menu's mnemonic), so only Automatic is translated.
struct LanguageRadio {
    int id;
    Language language;
    std::string caption;
};

constexpr int kAutomaticLanguageRadio = 145;
constexpr int kLanguageRadioStep = 5;
static_assert(kAutomaticLanguageRadio +
                      kLanguageRadioStep * static_cast<int>(std::size(kLanguageTable)) <
                  kLanguageFrame,
              "the language radios run into the frame's id");

std::vector<LanguageRadio> languageRadioTable() {
    std::vector<LanguageRadio> radios = {
        {kAutomaticLanguageRadio, Language::Automatic, N_("Automatic")}};
    for (const LanguageInfo& info : kLanguageTable) {
        std::string caption = info.nativeName;
        caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
        radios.push_back(
            {kAutomaticLanguageRadio + kLanguageRadioStep * static_cast<int>(radios.size()),
             info.language, caption});
    }
    return radios;
}

const std::vector<LanguageRadio> kLanguageRadios = languageRadioTable();

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
    {100, N_("Remember &previous calendar style"), 2.375, 25.5, true, kRememberStyleFlag,
     N_("Restore the last calendar style used the next time the program starts")},
    {105, N_("Enable &intelligent year selection"), 3.625, 25.5, false, kIntelligentYearFlag,
     N_("Enable intelligent year selection")},
    {110, N_("Show quarters with week numbers"), 4.875, 25.75, false, kQuarterWeeksFlag,
     N_("Include quarter designation with week numbers")},
    {115, N_("Enable pop-up &tool tip help"), 6.125, 21.75, true, kTooltipsFlag,
     N_("Uncheck to turn off pop-up tooltips (like this one)")},
    {120, N_("Alert me when program is updated"), 7.375, 25.75, false, kUpdateAlertFlag,
     N_("Tell me when an update to this program is available for download")},
};

// The preferences as the dialog shows them; live only after Save.
PreferenceRecord working;
PageBranding workingBranding;

const LanguageRadio* languageRadioWithId(int controlId) {
    for (const LanguageRadio& radio : kLanguageRadios)
        if (radio.id == controlId) return &radio;
    return nullptr;
}

double languageRadioWidth(const LanguageRadio& radio) {
    return ezFitWidth('R', kDialogFont, translate(radio.caption.c_str()), 0);
}

// How much wider than the English layout the frames must be for the captions to show whole.
double extraWidth() {
    double needed = kFrameWidth;
    for (const PreferenceBox& box : kBoxes)
        needed =
            std::max(needed, kBoxLeft - kFrameLeft +
                                 ezFitWidth('C', kDialogFont, translate(box.caption), box.width) +
                                 kLanguageGap);
    double row = kBoxLeft - kFrameLeft;
    for (const LanguageRadio& radio : kLanguageRadios)
        row += languageRadioWidth(radio) + kLanguageGap;
    return std::max(needed, row) - kFrameWidth;
}

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

// The logo's file name and its decoded pixels, as they print; nothing for no logo or one that
// cannot be used (the message has said why).
void showLogo(const std::string& path, const LogoPixels& pixels) {
    ezSetText(kPreferencesForm, kLogoText, path);
    ezSetImage(kPreferencesForm, kLogoPreview,
               path.empty() ? ""
                            : ezLoadPixels(path, pixels.width, pixels.height, pixels.channels,
                                           pixels.colour.data(),
                                           pixels.alpha.empty() ? nullptr : pixels.alpha.data()));
}

void dialogLoad() {
    ezSetFormIcon(kPreferencesForm, global::programIcon);
    for (const PreferenceBox& box : kBoxes)
        ezSetCheck(kPreferencesForm, box.id, (global::preferences.flags & box.flag) ? 1 : 0);
    for (const LanguageRadio& radio : kLanguageRadios)
        if (radio.language == global::preferences.pageLanguage)
            ezSetCheck(kPreferencesForm, radio.id, 1);
    working = global::preferences;
    workingBranding = global::pageBranding;
    ezSetText(kPreferencesForm, kCreditText, workingBranding.credit);
    // A line longer than the field shows its start, as it is read.
    ezSetTextSelection(kPreferencesForm, kCreditText, 0, 0);
    std::string problem;
    LogoPixels pixels;
    ezSetText(kPreferencesForm, kLogoText, workingBranding.logo);
    if (!workingBranding.logo.empty() && loadLogo(workingBranding.logo, pixels, problem))
        showLogo(workingBranding.logo, pixels);
    disableSaveButton();
}

// The current logo's folder, where its next version most likely lies; else the documents.
std::string logoFolder() {
    const std::string& logo = workingBranding.logo;
    const std::size_t slash = logo.rfind('/');
    if (slash == std::string::npos || slash == 0) return ezDocumentsFolder();
    const std::string folder = logo.substr(0, slash);
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? folder : ezDocumentsFolder();
}

// The chosen file is checked at once: one that cannot be used is named with the reason and
// the logo stays as it was.
void chooseLogo() {
    const std::string path =
        ezOpenFileDialog(kPreferencesForm, translate("Choose Your Logo"), logoFolder(),
                         translate("PNG or JPEG pictures (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG)"));
    if (path.empty()) return;
    std::string problem;
    LogoPixels pixels;
    if (!loadLogo(path, pixels, problem)) {
        // A path of thousands of characters would not fit the screen; its start and its file
        // name tell which it is.
        constexpr std::size_t kLongestPathShown = 160;
        okMessage(translate("Logo"),
                  logoProblemMessage(middleElided(path, kLongestPathShown), problem) + "{f10}", "");
        return;
    }
    workingBranding.logo = path;
    showLogo(path, pixels);
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
    if (eventCode == kEventTooltip && tooltipsOn()) ezSetTooltip(translate(box.tooltip));
}

void languageRadioEvents(const LanguageRadio& radio, int eventCode) {
    if (eventCode == kEventClick) {
        working.pageLanguage = radio.language;
        ezEnableC(kPreferencesForm, kSaveButton);
        return;
    }
    if (eventCode == kEventTooltip && tooltipsOn())
        ezSetTooltip(translate("The language the calendars are printed in; Automatic prints them "
                               "in the language of the window"));
}

// A longer line would be cut on the pages: the user shortens it, nothing is saved until then.
bool creditFits() {
    const std::size_t characters =
        characterCount(trimBlanks(singleLineText(workingBranding.credit, std::string::npos)));
    if (characters <= kCreditLimit) return true;
    okMessage(translate("Credit Line Too Long"),
              fillIn(translate("The credit line has %1 characters; the calendars print at most "
                               "%2.{f10}"),
                     {std::to_string(characters), std::to_string(kCreditLimit)}),
              translate("Shorten it, then save again.{f6}"));
    ezSetFocus(kPreferencesForm, kCreditText);
    return false;
}

void saveButtonEvents(int eventCode) {
    if (eventCode == kEventClick) {
        if (!creditFits()) return;
        SavePreferences(working);
        SavePageBranding(workingBranding);
        disableSaveButton();
        ezUnloadForm(kPreferencesForm);
        return;
    }
    if (eventCode == kEventTooltip && tooltipsOn())
        ezSetTooltip(translate("Save your changes and exit Preferences"));
}

void closeButtonEvents(int eventCode) {
    if (eventCode == kEventClick) {
        ezUnloadForm(kPreferencesForm);
        return;
    }
    if (eventCode != kEventTooltip || !tooltipsOn()) return;
    const bool unsaved = ezIsControl(kPreferencesForm, kSaveButton, "E") != 0;
    ezSetTooltip(unsaved ? translate("Exit Preferences without saving your changes")
                         : translate("Exit Preferences"));
}

} // namespace

void ShowPreferencesDialog(const std::string& parent) {
    ezColor(-1, -1);
    ezForm(kPreferencesForm, parent, translate("User Preferences"), 0, 0, kFormWidth + extraWidth(),
           kFormHeight, "CMR");
}

void preferencesDesign() {
    const double extra = extraWidth();
    for (const PreferenceBox& box : kBoxes) {
        startControl(box.anchored);
        const char* caption = translate(box.caption);
        ezCheckBox(box.id, kBoxLeft, box.row, ezFitWidth('C', kDialogFont, caption, box.width), 1,
                   caption, "T");
        ezAddTooltip(kPreferencesForm, box.id);
    }
    double column = kBoxLeft;
    for (const LanguageRadio& radio : kLanguageRadios) {
        startControl(true);
        const double width = languageRadioWidth(radio);
        ezRadio(radio.id, column, kLanguageRow, width, 1, translate(radio.caption.c_str()),
                radio.id == kLanguageRadios[0].id ? "GT" : "T");
        ezAddTooltip(kPreferencesForm, radio.id);
        column += width + kLanguageGap;
    }
    const double row = kBrandingRow;
    // The captions take the room their language needs; the fields and buttons the rest.
    const char* creditCaption = translate("Credit &line:");
    const char* logoCaption = translate("Logo:");
    const double labelWidth =
        std::max({kBrandingLabelWidth, ezFitWidth('L', kDialogFont, creditCaption, 0),
                  ezFitWidth('L', kDialogFont, logoCaption, 0)});
    const double fieldLeft = kBoxLeft + labelWidth;
    const double fieldWidth = kFrameLeft + kFrameWidth + extra - kBrandingMargin - fieldLeft;
    startControl(false);
    ezLabel(kCreditLabel, kBoxLeft, row + 1.5, labelWidth, 1, creditCaption, "");
    startControl(false);
    // Room for a pasted line beyond the limit, which Save then points out.
    ezText(kCreditText, fieldLeft, row + 1.25, fieldWidth, 1.375, "", "T[1000]");
    ezAddTooltip(kPreferencesForm, kCreditText);
    startControl(false);
    ezLabel(kLogoLabel, kBoxLeft, row + 3.125, labelWidth, 1, logoCaption, "");
    startControl(false);
    ezText(kLogoText, fieldLeft, row + 2.875, fieldWidth, 1.375, "", "TR");
    startControl(false);
    ezPicture(kLogoPreview, kBoxLeft, row + 4.75, 8, 2.5, "", "CSZ");
    ezSetControlName(kPreferencesForm, kLogoPreview, translate("Logo preview"));
    // Browse and Clear share the field's width, each at least as wide as its caption needs.
    const char* browseCaption = translate("&Browse...");
    const char* clearCaption = translate("Clea&r Logo");
    const double pickWidth =
        std::max({(fieldWidth - kButtonGap) / 2, ezFitWidth('B', kDialogFont, browseCaption, 0),
                  ezFitWidth('B', kDialogFont, clearCaption, 0)});
    startControl(false);
    ezButton(kBrowseButton, fieldLeft, row + 5.125, pickWidth, 1.5, browseCaption, "T");
    startControl(false);
    ezButton(kClearButton, fieldLeft + pickWidth + kButtonGap, row + 5.125, pickWidth, 1.5,
             clearCaption, "T");
    startControl(true);
    ezFrame(kBrandingFrame, kFrameLeft, row, kFrameWidth + extra, 7.875,
            translate("Your name on the calendars"), "");
    // Save and Close keep to the right edge, each as wide as its caption needs.
    const char* saveCaption = translate("&Save");
    const char* closeCaption = translate("&Close");
    const double closeWidth = ezFitWidth('B', kDialogFont, closeCaption, kButtonWidth);
    const double saveWidth = ezFitWidth('B', kDialogFont, saveCaption, kButtonWidth);
    const double closeLeft = kCloseRight + extra - closeWidth;
    startControl(true);
    ezButton(kSaveButton, closeLeft - kButtonGap - saveWidth, kButtonRow, saveWidth, 1.5,
             saveCaption, "TD");
    ezAddTooltip(kPreferencesForm, kSaveButton);
    startControl(true);
    ezButton(kCloseButton, closeLeft, kButtonRow, closeWidth, 1.5, closeCaption, "TX");
    ezAddTooltip(kPreferencesForm, kCloseButton);
    startControl(true);
    ezButton(kHelpButton, 2.75, kButtonRow, kButtonWidth, 1.5, translate("&Help"), "T");
    startControl(true);
    ezFrame(kOptionsFrame, kFrameLeft, 0.875, kFrameWidth + extra, 8.25,
            translate("Program Options"), "");
    startControl(true);
    ezFrame(kLanguageFrame, kFrameLeft, kLanguageFrameRow, kFrameWidth + extra, 2.75,
            translate("Calendar language"), "");
}

void preferencesEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    const PreferenceBox* box = boxWithId(controlId);
    const LanguageRadio* radio = languageRadioWithId(controlId);
    const bool answersTooltips =
        box || radio || controlId == kSaveButton || controlId == kCloseButton;
    if (answersTooltips && eventCode == kEventTooltip) ezSetTooltip("");
    if (radio) {
        languageRadioEvents(*radio, eventCode);
        return;
    }
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
            ezSetTooltip(translate("Your name, phone or web address at the foot of every page; "
                                   "empty prints the program's own line"));
        return;
    case kBrowseButton:
        if (eventCode == kEventClick) chooseLogo();
        return;
    case kClearButton:
        if (eventCode != kEventClick) return;
        workingBranding.logo.clear();
        showLogo("", LogoPixels{});
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

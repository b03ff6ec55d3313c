#include "update/whats_new_dialog.h"
#include "common/translate.h"

#include "common/read_file.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "program/paths.h"
#include "update/update_state.h"

#include <cstdio>

namespace {

constexpr int kIntroLabel = 100;
constexpr int kHeadingLabel = 105;
constexpr int kNotesBox = 110;
constexpr int kOkButton = 115;
constexpr int kHeadingBand = 120;
constexpr int kHistoryLabel = 125;
constexpr int kNotesFrame = 130;

constexpr int kBlack = 0;
constexpr int kWhite = 15;
constexpr int kHistoryFont = kDialogBoldFont;
constexpr int kRichTextSpare = 1024;
// Release notes are a page or two; a file beyond this is not notes and is not loaded.
constexpr std::size_t kLargestNotes = 4 * 1024 * 1024;

constexpr const char* kReleaseNotesFile = "Release Notes.rtf";
constexpr const char* kNoInformation = N_("No information available.");

// The version the dialog is showing, while ShowWhatsNewDialog is on the stack.
std::string shownVersion;

void dialogLoad() {
    const std::string& version = shownVersion;
    ezSetText(kWhatsNewForm, kHeadingLabel,
              version.empty() ? fillIn(translate("%1:"), {kProductName})
                              : fillIn(translate("%1 %2:"), {kProductName, version}));
    ezSetText(kWhatsNewForm, kHistoryLabel,
              fillIn(translate("For the complete history of %1's updates|go to Help > About %1 on "
                               "the main menu."),
                     {kProductName}));
    std::string notes;
    if (readRegularFile(shippedFilePath(kReleaseNotesFile), kLargestNotes, notes) != FileRead::Read)
        return;
    ezSetRichTextLen(kWhatsNewForm, kNotesBox, static_cast<int>(notes.size()) + kRichTextSpare);
    ezSetRichText(kWhatsNewForm, kNotesBox, notes, kRichTextRtf);
}

const FormEvents kFormEvents = {kWhatsNewForm, 0, 0, dialogLoad, nullptr, nullptr, nullptr};

} // namespace

void ShowWhatsNewDialog(const std::string& parent, const std::string& newVersion) {
    shownVersion = newVersion;
    ezColor(-1, -1);
    ezForm(kWhatsNewForm, parent, translate("Update Information"), 0, 0, 68.25, 24.75, "CMR");
    shownVersion.clear();
}

void whatsNewDesign() {
    ezColor(-1, -1);
    ezUseIFont("Segoe UI", 14, "BV");
    // Centred across the band, with room for a longer translation.
    ezLabel(kIntroLabel, 2, 0.375, 64.25, 1.75, translate("Here's What's New in"), "CI");
    ezColor(-1, -1);
    ezUseIFont("Segoe UI", 16, "BV");
    ezLabel(kHeadingLabel, 2, 1.625, 64, 1.875, "", "CI");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezRichText(kNotesBox, 4, 5.625, 60, 13.625, translate(kNoInformation), "SV");
    ezSetRichText(kWhatsNewForm, kNotesBox, translate(kNoInformation), kRichTextPlain);
    ezSetControlName(kWhatsNewForm, kNotesBox, translate("Release notes"));
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezButton(kOkButton, 30.125, 22.5625, 7.75, 1.625, translate("&OK"), "TD");
    ezColor(kBlack, kWhite);
    ezUseFont(kDialogFont);
    ezLabel(kHeadingBand, 0, 0, 68.25, 3.75, "", "C");
    ezColor(-1, -1);
    ezUseFont(kHistoryFont);
    ezLabel(kHistoryLabel, 4, 19.75, 59.5, 1.875, "", "C");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezFrame(kNotesFrame, 2, 4.25, 64, 17.875, "", "");
}

void whatsNewEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (answerFormEvent(kFormEvents, controlId, eventCode, cancel)) return;
    if (controlId == kOkButton && eventCode == kEventClick) ezUnloadForm(kWhatsNewForm);
}

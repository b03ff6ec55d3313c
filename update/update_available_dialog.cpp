#include "update/update_available_dialog.h"
#include "common/translate.h"

#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/settings.h"

#include <algorithm>

namespace {

constexpr int kHeadingLabel = 100;
constexpr int kDescriptionLabel = 105;
constexpr int kHeadingBand = 110;
constexpr int kCaptionLabel = 115;
constexpr int kPlainNotesBox = 120;
constexpr int kRichNotesBox = 125;
constexpr int kStopRemindingBox = 130;
constexpr int kDownloadNowButton = 135;
constexpr int kMaybeLaterButton = 140;

constexpr int kBlack = 0;
constexpr int kBlue = 9;
constexpr int kWhite = 15;
constexpr double kWidth = 56;
constexpr double kHeight = 18.25;
constexpr double kTallest = 999;
// Room the rich-text box keeps beyond the notes themselves.
constexpr int kRichTextSpare = 1024;

constexpr const char* kNoNotes = N_("* Going forward, new features will be listed here");

// The offer on the screen, while ShowUpdateAvailableDialog is on the stack.
UpdateOffer* shown;

std::string headingText(const UpdateOffer& offer) {
    return fillIn(translate("Version %1 of %2 is available."),
                  {versionShown(offer.newVersion), kProductName});
}

// The English layout's width, or more when the heading in the window's language needs it.
double formWidth() {
    if (shown == nullptr) return kWidth;
    return std::max(kWidth, ezFitWidth('L', kLargeBoldFont, headingText(*shown), 0) + 0.5);
}

void startControl(int foreground, int background, const std::string& anchors) {
    ezColor(foreground, background);
    ezUseAutoSize(anchors);
}

void dialogLoad() {
    UpdateOffer& offer = *shown;
    ezSetFormMinMax(kUpdateAvailableForm, formWidth(), kHeight, formWidth(), kTallest);
    ezSetText(kUpdateAvailableForm, kHeadingLabel, headingText(offer));
    ezSetText(kUpdateAvailableForm, kDescriptionLabel, offer.description);
    if (offer.notes.empty()) offer.notes = translate(kNoNotes);
    if (offer.notesAreRichText) {
        ezSetRichTextLen(kUpdateAvailableForm, kRichNotesBox,
                         static_cast<int>(offer.notes.size()) + kRichTextSpare);
        ezSetRichText(kUpdateAvailableForm, kRichNotesBox, offer.notes, kRichTextRtf);
    } else {
        // Both boxes share one place and the empty rich one would cover the plain notes.
        ezHideC(kUpdateAvailableForm, kRichNotesBox);
        ezSetText(kUpdateAvailableForm, kPlainNotesBox, offer.notes);
        ezShowC(kUpdateAvailableForm, kPlainNotesBox);
    }
    if (offer.manual) ezHideC(kUpdateAvailableForm, kStopRemindingBox);
    offer.downloadAccepted = false;
}

void dialogStart() {
    ezSetFocus(kUpdateAvailableForm, kDownloadNowButton);
}

// Only the two buttons say what the user wants.
void refuseClose(int& cancel) {
    cancel = 1;
}

void dialogUnload() {
    if (ezGetCheck(kUpdateAvailableForm, kStopRemindingBox)) IgnoreUpdate(shown->newVersion);
}

const FormEvents kFormEvents = {
    kUpdateAvailableForm, 0, 0, dialogLoad, dialogStart, refuseClose, dialogUnload,
};

} // namespace

void ShowUpdateAvailableDialog(const std::string& parent, UpdateOffer& offer) {
    shown = &offer;
    ezColor(kBlack, kWhite);
    ezForm(kUpdateAvailableForm, parent, translate("Update Available"), 0, 0, formWidth(), kHeight,
           "=CMNRZ");
    shown = nullptr;
}

void updateAvailableDesign() {
    const double width = formWidth();
    const double wider = width - kWidth;
    startControl(kWhite, kBlue, "FL,FR");
    ezUseIFont("Segoe UI", 12, "BV");
    ezLabel(kHeadingLabel, 0.25, 0.625, width - 0.5, 1.375,
            translate("A new version is available."), "C");
    startControl(kWhite, kBlue, "FL,FR");
    ezUseIFont("Segoe UI", 10, "BV");
    ezLabel(kDescriptionLabel, 0.25, 2.125, width - 0.5, 1.375, "", "C");
    startControl(kBlack, kBlue, "FL,FR");
    ezUseFont(kDialogFont);
    ezLabel(kHeadingBand, 0, 0, width, 4, "", "C");
    startControl(kBlack, kWhite, "FL,FR");
    ezUseIFont("Segoe UI", 10, "BV");
    ezLabel(kCaptionLabel, 0, 4.375, width, 1.25, translate("What's new in this version:"), "C");
    startControl(kBlack, kWhite, "CT,FB");
    ezUseFont(kDialogFont);
    // Read, scrolled and selected from the keyboard, never typed into.
    ezText(kPlainNotesBox, 1.875, 5.875, 52.25 + wider, 7.5, "", "HMVRT");
    ezSetControlName(kUpdateAvailableForm, kPlainNotesBox, translate("Release notes"));
    startControl(-1, -1, "CT,FB");
    ezUseFont(kDialogFont);
    ezRichText(kRichNotesBox, 1.875, 5.875, 52.25 + wider, 7.5, "", "VT");
    ezSetControlName(kUpdateAvailableForm, kRichNotesBox, translate("Release notes"));
    ezSetRichText(kUpdateAvailableForm, kRichNotesBox, "", kRichTextPlain);
    startControl(kBlack, kWhite, "FB,H");
    ezUseFont(kDialogFont);
    const char* stopCaption = translate("Stop reminding me about this update.");
    const double stopWidth = ezFitWidth('C', kDialogFont, stopCaption, 28.25);
    ezCheckBox(kStopRemindingBox, (width - stopWidth) / 2, 14.125, stopWidth, 1, stopCaption, "T");
    // Longer captions widen the buttons about the pair's middle, as wide apart as in English.
    const char* downloadCaption = translate("Download Now");
    const char* laterCaption = translate("Maybe Later");
    const double downloadWidth = ezFitWidth('B', kMediumBoldFont, downloadCaption, 14.25);
    const double laterWidth = ezFitWidth('B', kMediumBoldFont, laterCaption, 14.25);
    const double downloadLeft = 10.75 + wider / 2 - (downloadWidth + laterWidth - 28.5) / 2;
    startControl(-1, -1, "FB,HE");
    ezUseIFont("Segoe UI", 10, "BV");
    ezButton(kDownloadNowButton, downloadLeft, 15.625, downloadWidth, 1.875, downloadCaption, "TD");
    startControl(-1, -1, "FB,HE");
    ezUseIFont("Segoe UI", 10, "BV");
    ezButton(kMaybeLaterButton, downloadLeft + downloadWidth + 6.5, 15.625, laterWidth, 1.875,
             laterCaption, "TX");
}

void updateAvailableEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (answerFormEvent(kFormEvents, controlId, eventCode, cancel)) return;
    if (eventCode != kEventClick) return;
    if (controlId == kDownloadNowButton) {
        shown->downloadAccepted = true;
        ezUnloadForm(kUpdateAvailableForm);
    } else if (controlId == kMaybeLaterButton) {
        shown->laterChosen = true;
        ezUnloadForm(kUpdateAvailableForm);
    }
}

void IgnoreUpdate(const std::string& version) {
    // Unchecked (harmless): a lost write only brings the same offer again at the next check.
    WriteSetting(global::settingsPath, kUpdateSection, "Ignore", ignoreSettingOf(version));
    okMessage(translate("Update Not Taken"),
              fillIn(translate("You will no longer be notified about update %1 for %2.{f10}"),
                     {versionShown(version), kProductName}),
              translate("This may cause you to miss important modifications and bug fixes."
                        "|You can manually get this update by going to Help > Check for Program "
                        "Update.{f6}"));
}

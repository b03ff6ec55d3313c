#include "about/about_dialog.h"
#include "common/translate.h"

#include "calendar/dates.h"
#include "common/read_file.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/version.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRightsLabel = 100;
constexpr int kUsageText = 105;
constexpr int kCreditsText = 110;
constexpr int kHistoryBox = 115;
constexpr int kProductLabel = 120;
constexpr int kVersionLabel = 125;
constexpr int kCloseButton = 130;
constexpr int kPageButton = 135;
constexpr int kHeadingBand = 140;

constexpr int kInformationPage = 1;
constexpr int kHistoryPage = 2;
constexpr int kBothPages = 0;

constexpr int kBlack = 0;
constexpr int kBlue = 9;
constexpr int kBrightWhite = 15;
constexpr int kDefaultColour = -1;

constexpr double kWidth = 52.75;
constexpr double kHeight = 18;
constexpr double kLargest = 999;

constexpr const char* kHistoryFileName = "History.rtf";
constexpr const char* kShowHistoryCaption = N_("&View Program History");
constexpr const char* kShowInformationCaption = N_("&View Program Info");
constexpr double kPageButtonWidth = 16.125;
// The rich-text box takes the whole history and room to spare.
constexpr int kHistoryRoom = 1024;
// A history larger than this is not the program's own file; the page stays empty.
constexpr std::size_t kLargestHistory = 4 * 1024 * 1024;

constexpr const char* kRightsNotice =
    N_("Copyright \u00a9 2026 The Merivane Project.|All rights reserved.");
constexpr const char* kUsageNotice =
    N_("You may use this program and give away unchanged copies of it free of charge. It comes "
       "as it is, without warranty of any kind: check every calendar before you rely on it.");
constexpr const char* kCredits =
    N_("Our thanks go to the media buyers and traffic managers\n"
       "who tried every calendar style, and to the Merivane Project team\n"
       "who took part in the development of Zarn Generator.");

// Which page shows; set to the information page each time the dialog loads.
int pageState;

std::string versionLine() {
    // TRANSLATORS: %1 the version, %2 the day it was built, written out ("7 December 2026").
    return fillIn(translate("Version %1 \u2014 Released %2"),
                  {kProgramVersion, writtenDateIn(buildDate(), windowLanguage())});
}

// "History.rtf" holds RTF (plain text also shows); the rich-text box's own reader checks it. Here
// only its size: the whole file, or "" when it is missing, unreadable or too large to be the
// history.
std::string historyText() {
    std::string text;
    const FileRead read = readRegularFile(shippedFilePath(kHistoryFileName), kLargestHistory, text);
    return read == FileRead::Read ? text : "";
}

void loadHistory() {
    const std::string text = historyText();
    if (text.empty()) return;
    ezSetRichTextLen(kAboutForm, kHistoryBox, static_cast<int>(text.size()) + kHistoryRoom);
    ezSetRichText(kAboutForm, kHistoryBox, text, kRichTextRtf);
}

void dialogLoad() {
    ezSetFormMinMax(kAboutForm, kWidth, kHeight, kLargest, kLargest);
    ezSetFormIcon(kAboutForm, ezLoadIcon("$AAPROGRAM"));
    ezSetText(kAboutForm, 0, fillIn(translate("About %1"), {kProductName}));
    ezSetText(kAboutForm, kProductLabel, kProductName);
    ezSetText(kAboutForm, kVersionLabel, versionLine());
    ezSetText(kAboutForm, kRightsLabel, translate(kRightsNotice));
    loadHistory();
    pageState = kInformationPage;
}

void turnPage() {
    const bool toHistory = pageState == kInformationPage;
    pageState = toHistory ? kHistoryPage : kInformationPage;
    ezDisplayLayer(kAboutForm, pageState);
    ezSetText(kAboutForm, kPageButton,
              translate(toHistory ? kShowInformationCaption : kShowHistoryCaption));
}

void startControl(int layer, int foreground, int background, const char* anchors) {
    ezSetLayer(layer);
    ezColor(foreground, background);
    ezUseFont(kDialogFont);
    ezUseAutoSize(anchors);
}

// Only "&Close" ends the dialog.
void refuseClose(int& cancel) {
    cancel = 1;
}

const FormEvents kFormEvents = {kAboutForm, 0, 0, dialogLoad, nullptr, refuseClose, nullptr};

} // namespace

void ShowAboutDialog(const std::string& parent) {
    ezColor(kDefaultColour, kDefaultColour);
    ezForm(kAboutForm, parent, translate("About"), 0, 0, kWidth, kHeight, "CMZ");
}

void aboutDesign() {
    startControl(kInformationPage, kDefaultColour, kDefaultColour, "FL,FR");
    ezLabel(kRightsLabel, 0.75, 4.625, 51.25, 2.125, "", "C");
    startControl(kInformationPage, kDefaultColour, kDefaultColour, "FL,FR");
    ezAllowLoadingEvent(2);
    ezText(kUsageText, 3.125, 7.3125, 46.5, 2.875, "", "CMR");
    startControl(kInformationPage, kDefaultColour, kDefaultColour, "FL,FR");
    ezAllowLoadingEvent(2);
    ezText(kCreditsText, 3.125, 10.75, 46.5, 3.875, "", "CMR");
    startControl(kHistoryPage, kDefaultColour, kDefaultColour, "CL,FR,CT,FB");
    ezRichText(kHistoryBox, 1, 4.75, 50.75, 10.125, "", "STV");
    ezSetRichText(kAboutForm, kHistoryBox, "", kRichTextPlain);

    startControl(kBothPages, kBrightWhite, kBlue, "FL,FR");
    ezUseIFont("Segoe UI", 15, "BV");
    ezLabel(kProductLabel, 0.75, 0.4375, 51.25, 1.75, "", "C");
    startControl(kBothPages, kBrightWhite, kBlue, "FL,FR");
    ezUseIFont("Segoe UI", 9, "BV");
    ezLabel(kVersionLabel, 0.75, 2.5625, 51.25, 1.3125, "", "C");
    startControl(kBothPages, kDefaultColour, kDefaultColour, "FR,FB");
    ezButton(kCloseButton, 43.5, 15.625, 7.5, 1.75, translate("&Close"), "TDX");
    startControl(kBothPages, kDefaultColour, kDefaultColour, "FL,FB");
    // Wide enough for both of its captions, whichever language they are in.
    const double pageButtonWidth = std::max(
        ezFitWidth('B', kDialogFont, translate(kShowHistoryCaption), kPageButtonWidth),
        ezFitWidth('B', kDialogFont, translate(kShowInformationCaption), kPageButtonWidth));
    ezButton(kPageButton, 1.75, 15.625, pageButtonWidth, 1.75, translate(kShowHistoryCaption), "T");
    startControl(kBothPages, kBlack, kBlue, "FL,FR");
    ezLabel(kHeadingBand, 0, 0, kWidth, 4.25, "", "C");
    ezDisplayLayer(kAboutForm, kInformationPage);
    ezSetControlName(kAboutForm, kUsageText, translate("Usage notice"));
    ezSetControlName(kAboutForm, kCreditsText, translate("Thanks"));
    ezSetControlName(kAboutForm, kHistoryBox, translate("Program history"));
}

void aboutEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    switch (controlId) {
    case 0:
        answerFormEvent(kFormEvents, controlId, eventCode, cancel);
        return;
    case kUsageText:
        if (eventCode == kEventLoading) ezSetLoadStr(translate(kUsageNotice));
        return;
    case kCreditsText:
        if (eventCode == kEventLoading) ezSetLoadStr(translate(kCredits));
        return;
    case kCloseButton:
        if (eventCode == kEventClick) ezUnloadForm(kAboutForm);
        return;
    case kPageButton:
        if (eventCode == kEventClick) turnPage();
        return;
    default:
        return;
    }
}

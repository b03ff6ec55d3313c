#pragma once

// The program's fonts by number: start-up defines 6 and up with ezDefFont (its table gives
// their faces and sizes); 0 to 5 are the toolkit's own. Message-box markup picks them by the
// same numbers ("{f6}", "{f10,t4}").
constexpr int kSmallFont = 4; // the toolkit's small font
constexpr int kDialogFont = 6;
constexpr int kDialogBoldFont = 7;
constexpr int kLargeBoldFont = 8;
constexpr int kMediumBoldFont = 9;
constexpr int kMessageFont = 10;
constexpr int kMessageLargeFont = 11;
constexpr int kMessageSmallFont = 12;

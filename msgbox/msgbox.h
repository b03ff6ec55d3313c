#pragma once
#include <string>

// The markup message box, form "DGMSGBOX1". Texts carry their layout inline: "|" breaks lines,
// a trailing option block "{...}" sets fonts, colours, sizes and button kinds. Modal; one at a
// time (the dialog's state is module-level). GUI thread only.

// The dialog's form name, for the program's form routing.
inline constexpr const char* kMessageBoxForm = "DGMSGBOX1";

// Shows the dialog and returns 0 at once if it is already open; otherwise returns the chosen button
// number 1 to 10, or 99 for Escape and for a close from the frame; negated when the check box is
// ticked at that moment. defaultButton: absolute value = the button that starts with the focus;
// negative = the check box starts ticked. styleLetters: any of "c", "j", "w", "f", "r", "s", "l",
// either case.
int messageBox(const std::string& parent, const std::string& title, const std::string& mainText,
               const std::string& detailText, const std::string& checkBoxText,
               const std::string& buttonList, const std::string& picture, int defaultButton,
               const std::string& styleLetters);

// One "&OK" button; the parent is the current form when none is given.
int okMessage(const std::string& title, const std::string& mainText, const std::string& detailText);
int okMessage(const std::string& title, const std::string& mainText, const std::string& detailText,
              const std::string& parent);

// Buttons from `buttonList` over the current form; a close from the frame or Escape with the
// box ticked (-99) is reported as 3.
int choiceMessage(const std::string& title, const std::string& mainText,
                  const std::string& detailText, const std::string& checkBoxText,
                  const std::string& buttonList, int defaultButton);

// Word-wraps each "|"-line of a text to `wrapWidth` columns in `font`: every output line ends
// with "|", so the result ends with an empty line; a word wider than the width stands alone.
std::string wrapMessageText(const std::string& text, double wrapWidth, int font);

// The dialog's design and events routines; the program's design and event callbacks route the
// form kMessageBoxForm to them.
void messageBoxDesign();
void messageBoxEvents(int controlId, int eventCode, int value, int& cancel);

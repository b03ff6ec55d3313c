#pragma once
#include <string>

// The program's GUI toolkit: forms named by text, controls by integer ID within their form,
// positions and sizes in character columns and rows of the form's client area (fractions
// allowed). One column and one row are fixed pixel sizes taken once from the default font.
// Every routine runs on the GUI thread only. Unknown form names and IDs are ignored: setters do
// nothing, getters return 0 or empty.
//
// Property strings are letters in any order; letters a control kind does not know are ignored.
//   Forms:       "C" centred on the screen, "M" modal (ezForm returns after the form has been
//                unloaded), "Z" resizable frame (otherwise fixed size), "A" a message that
//                screen readers announce as an alert. A form with an owner or "M" is a dialog:
//                Escape closes it as its frame's close button would.
//   All controls: "T" tab stop, "H" created hidden (ezShowC shows it).
//   Text box:    "C" centred text, "N" digits only, "[n]" at most n characters,
//                "M" several lines, "V" vertical scroll bar, "D" a date field with a calendar
//                pop-up whose text is the date as YYYY-MM-DD, "R" read-only: the user can select
//                and copy the text, not change it; on one line a longer text is cut.
//   Label:       "L" left-aligned (default), "C" centred, "R" right-aligned; "|" breaks lines,
//                "&" shows as itself.
//   Button, check box, radio: "&" marks the keyboard mnemonic; "|" breaks lines in check boxes.
//   Button:      "D" the form's default: Return presses it while the focus is in a field, a
//                check box or a radio (Return always presses the focused button); "X" Escape
//                presses it.
//   Radio:       "G" starts a new group; the radios created after it join that group. Tab
//                enters a group at its checked radio, the arrow keys move within it.
// Tab follows the layout, left to right and top to bottom. For screen readers the controls
// inside a frame belong to it, a text box is named after the label just left of or above it,
// and a frame without a caption after the first choice it holds.
//   Picture:     "C" centred in the control (otherwise at its top left); "F" flat frame,
//                "R" raised frame, "S" sunken frame; "Z" a larger picture is scaled down into
//                the control, its aspect kept.
//   Rich text:   "V" vertical scroll bar; the box shows text, the user cannot edit it.
//   Fonts (ezDefFont, ezUseIFont): "B" bold, "I" italic, "U" underline; others ignored.

// Event codes delivered to the event callback. ID 0 is the form itself.
constexpr int kEventUnload = 0;        // the form is being unloaded; follows every unload
constexpr int kEventClick = 1;         // buttons, check boxes, radios, menu items, accelerators
constexpr int kEventFocus = 3;         // a control received the keyboard focus
constexpr int kEventTextChanged = 6;   // a text box's text changed (by the user or ezSetText)
constexpr int kEventTooltip = 8;       // a control with a tooltip asks for its text
constexpr int kEventKey = 30;          // key pressed (while key events are on); value: key code
constexpr int kEventCloseRequest = 59; // the frame's close button; setting cancel refuses it
constexpr int kEventLoading = 85;      // a control (or the form, ID 0) is being created
constexpr int kEventStarted = 86;      // the form has been shown for the first time
constexpr int kEventLoaded = 87;       // the form's controls exist; it is not yet shown
constexpr int kEventActivated = 130;   // the form became the active window
constexpr int kEventOwnerDraw = 300;   // an owner-drawn button must be drawn; value: draw token
constexpr int kEventPosted = 410;      // an event posted by ezPostEvent; value as posted
constexpr int kEventMenu = 520;        // reserved for menu notifications; never raised

// Key codes of kEventKey (letters and digits are their upper-case character codes).
constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112; // F2 to F12 follow in order

// Events of a new form, in order: kEventLoading (ID 0),
// the design callback (controls made, kEventLoading for each control while loading events are
// on), kEventLoaded, the window is shown, kEventStarted, kEventActivated when the window system
// activates it. Unload: kEventUnload, then the window goes. A close request from the frame raises
// kEventCloseRequest; unless the handler sets cancel, the form is unloaded.

using EzStartCallback = void (*)();
using EzDesignCallback = void (*)(const std::string& formName);
// Every event of every form; cancel starts at 0 and the handler may set it to 1.
using EzEventCallback = void (*)(const std::string& formName, int controlId, int eventCode,
                                 int value, int& cancel);

// ---- Run loop ----
// Starts the toolkit (or uses the running QApplication), calls start once, then runs the event
// loop until the last form has been unloaded. Returns 0 (also when start loaded no form).
int ezGuiRun(int argc, char** argv, EzStartCallback start, EzEventCallback event,
             EzDesignCallback design);
// Lets pending events run for at most the given milliseconds.
void ezDoEvents(int milliseconds);
// Non-zero shows the busy pointer over every window until called with 0.
void ezShowBusy(int busy);
// The event arrives later as kEventPosted with this ID and value.
void ezPostEvent(const std::string& form, int controlId, int value);
// Non-zero switches on key events (kEventKey) for every form.
void ezAllowKeyEvents(int mode);
// Accepted for the forms' start-up; no form handles these notifications, so none are raised.
void ezAllowCommandEvents(int mode);
void ezAllowNotifyEvents(int mode);
void ezAllowMouseMoveEvents(int mode);
void ezAllowCursorEvents(int mode);
// 1: every control created from now on raises kEventLoading before it is made; 2: only the next
// control; 0: none. The handler may call ezUseFont and ezSetLoadStr for that control.
void ezAllowLoadingEvent(int mode);
// During kEventLoading of a text box or label: the text the control is created with.
void ezSetLoadStr(const std::string& text);

// ---- Forms ----
// Creates form `name` over the form `parent` ("" or unknown: no owner) with its client area at
// column, row of the screen (ignored with "C") and width x height. The current colours give its
// background; a menu bar defined by ezDefMainMenu just before is attached. Returns at once, or
// with "M" after the form has been unloaded. A form of that name already loaded is only raised.
void ezForm(const std::string& name, const std::string& parent, const std::string& title,
            double column, double row, double width, double height, const std::string& properties);
void ezUnloadForm(const std::string& name);
// The form whose event is being handled, else the active form, else the newest form; "" if none.
std::string ezCurrentForm();
bool ezFormLoaded(const std::string& name);
bool ezFormExists(const std::string& name);
void ezSetFormIcon(const std::string& form, const std::string& icon);
// Limits of the client size in columns and rows.
void ezSetFormMinMax(const std::string& form, double minWidth, double minHeight, double maxWidth,
                     double maxHeight);
// New client size in columns and rows; the window keeps its position.
void ezResizeForm(const std::string& form, double width, double height);
// Brings the form's window in front of the others and activates it.
void ezBringToFront(const std::string& form);
// Pixel geometry for placing windows: the outer frame of the form, the screen, the title bar.
struct EzRect {
    int left;
    int top;
    int width;
    int height;
};
EzRect ezWindowRect(const std::string& form);
int ezScreenWidth();
int ezScreenHeight();
int ezCaptionHeight();
// Moves the outer frame's top-left corner to x, y pixels of the screen.
void ezMoveForm(const std::string& form, int x, int y);
// Controls created from now on belong to this layer (0, the default, is always shown).
void ezSetLayer(int layer);
// Shows the controls of `layer` and hides those of every other layer but 0.
void ezDisplayLayer(const std::string& form, int layer);

// ---- Controls (made on the form being designed, with the current font, colours, anchors) ----
void ezText(int id, double column, double row, double width, double height, const std::string& text,
            const std::string& properties);
void ezLabel(int id, double column, double row, double width, double height,
             const std::string& text, const std::string& properties);
void ezButton(int id, double column, double row, double width, double height,
              const std::string& caption, const std::string& properties);
// A button drawn by the program: it raises kEventOwnerDraw, answered with an ezDraw... routine.
void ezODButton(int id, double column, double row, double width, double height,
                const std::string& caption, const std::string& properties);
void ezCheckBox(int id, double column, double row, double width, double height,
                const std::string& caption, const std::string& properties);
void ezRadio(int id, double column, double row, double width, double height,
             const std::string& caption, const std::string& properties);
void ezFrame(int id, double column, double row, double width, double height,
             const std::string& caption, const std::string& properties);
// `picture` is what ezLoadPicture returned ("" for none).
void ezPicture(int id, double column, double row, double width, double height,
               const std::string& picture, const std::string& properties);
void ezProgressBar(int id, double column, double row, double width, double height,
                   const std::string& properties);
// A status bar along the bottom of the client area.
void ezStatusBar(int id, const std::string& text, const std::string& properties);
void ezRichText(int id, double column, double row, double width, double height,
                const std::string& text, const std::string& properties);

// ---- Control state ----
// ID 0 is the form: its caption.
void ezSetText(const std::string& form, int id, const std::string& text);
std::string ezGetText(const std::string& form, int id);
void ezSetCheck(const std::string& form, int id, int checked);
int ezGetCheck(const std::string& form, int id);
void ezEnableC(const std::string& form, int id);
void ezDisableC(const std::string& form, int id);
void ezShowC(const std::string& form, int id);
void ezHideC(const std::string& form, int id);
// what: "" the control exists, "E" it is enabled, "V" it is visible. Returns 1 or 0.
int ezIsControl(const std::string& form, int id, const std::string& what);
void ezSetFocus(const std::string& form, int id);
// The name screen readers speak for a control that shows no text of its own (a picture, a text
// box without a label); "&" marks are dropped.
void ezSetControlName(const std::string& form, int id, const std::string& name);
// ID of the control of `form` that has the keyboard focus; 0 when none has.
int ezGetFocusId(const std::string& form);
// Text box: selects characters start to end (start == end puts the caret there).
void ezSetTextSelection(const std::string& form, int id, int start, int end);
// Integer slots kept with the form until it is unloaded; unset slots read 0.
void ezSetUserData(const std::string& form, int slot, int value);
int ezGetUserData(const std::string& form, int slot);
// Status bar parts as percentages of its width, "70|30"; part 0 is the first. A part's text
// starting with a tab is centred in its part, with two tabs right-aligned.
void ezSetSBParts(const std::string& form, int id, int count, const std::string& percentages);
void ezSetSBText(const std::string& form, int id, int part, const std::string& text);
void ezSetPBar(const std::string& form, int id, int minimum, int maximum, int value);
// Rich-text box content: kRichTextRtf reads `text` as RTF, kRichTextPlain shows it as it is.
constexpr int kRichTextPlain = 0;
constexpr int kRichTextRtf = 1;
void ezSetRichText(const std::string& form, int id, const std::string& text, int format);
// Largest number of characters the box takes; longer content is cut there.
void ezSetRichTextLen(const std::string& form, int id, int length);

// ---- Menus (handles are numbers; menu item IDs raise kEventClick on the form) ----
// An item's text may end with a tab and a key ("&Find...\tCtrl+D"): the menu shows the key, and
// the key chooses the item while its form is the active window.
// The menu bar of the next form created; its first item is (id, text). "-" is a separator.
int ezDefMainMenu(int id, const std::string& text, const std::string& properties);
// A new drop-down menu whose first item is (id, text). Item properties: "R" makes a radio item;
// the radio items of one menu form a group in which one at a time is ticked.
int ezDefSubMenu(int id, const std::string& text, const std::string& properties);
void ezAddMenuItem(int menu, int id, const std::string& text, const std::string& properties);
// Ticks (1) or clears (0) a radio item; clicking one ticks it before its click is raised.
void ezSetMenuCheck(int menu, int id, int checked);
int ezGetMenuCheck(int menu, int id);
// Attaches `subMenu` as the drop-down of item `itemId` of `menu`.
void ezSetSubMenu(int menu, int itemId, int subMenu);
// Menus kept by number per form; number 0 is the form's menu bar.
void ezSaveMenu(const std::string& form, int number, int menu);
int ezGetMenu(const std::string& form, int number);
// Key names and IDs in pairs, "F1,911" or "F1,911,Ctrl+G,145": the key raises kEventClick
// with that ID on the form.
void ezDefAccel(const std::string& form, const std::string& table);

// ---- Tooltips ----
// Tooltip colours (-1 default) and properties: "[n]" wraps texts at n characters.
void ezDefTooltipProp(int foreground, int background, const std::string& properties);
// The control raises kEventTooltip when the pointer rests on it.
void ezAddTooltip(const std::string& form, int id);
// Inside kEventTooltip: the text to show; nothing is shown while it is empty.
void ezSetTooltip(const std::string& text);

// ---- Pictures ----
// Folder of picture files named without a folder (relative to the program's folder).
void ezDefImageFolder(const std::string& folder);
// "$NAME" loads the program's resource NAME; other names are files. Returns the picture to
// hand to ezPicture/ezSetImage, "" when it cannot be loaded.
std::string ezLoadPicture(const std::string& name);
// A picture from pixels decoded elsewhere (8-bit samples row after row, 1 grey or 3 RGB a pixel,
// alpha one a pixel or nullptr), kept under name in place of any earlier one of that name; no
// file is read, nor a twice-size twin looked for. Returns name, "" for no pixels.
std::string ezLoadPixels(const std::string& name, int width, int height, int channels,
                         const unsigned char* colour, const unsigned char* alpha);
std::string ezLoadIcon(const std::string& name);
void ezSetImage(const std::string& form, int id, const std::string& picture);
// Pixel size of a loaded picture; 0 x 0 when it is not loaded.
void ezGetPictureSize(const std::string& picture, int& width, int& height);

// ---- Fonts, colours, drawing ----
// Font numbers 0 to 5 are the toolkit's own (0 the desktop's default font); 6 and up the
// program's (gui/fonts.h names them). A face that is missing falls back to the desktop's
// sans-serif font.
void ezDefFont(int number, const std::string& face, double points, const std::string& properties);
// Font of the controls created next (and of the next status bar).
void ezUseFont(int number);
void ezUseIFont(const std::string& face, double points, const std::string& properties);
// Anchors of the controls created next, for resizable forms, comma-separated:
// "FL","FR","FT","FB" keep the distance to that edge of the client area, "CL","CR","CT","CB"
// keep that side where it is, "H" keeps the control centred across, "HE" keeps its centre at
// the same fraction of the width. Reset by every ezForm.
void ezUseAutoSize(const std::string& anchors);
// Colours of the controls (and form) created next, by number; -1 is the default colour.
// Numbers 0 to 31 are the toolkit palette; others are defined below.
void ezColor(int foreground, int background);
void ezDefColor(int number, int red, int green, int blue);
// Colour `number` follows a desktop colour, by the Windows system colour index it replaces
// (4 menu, 5 window, 8 window text, 13 highlight, 14 highlight text, 15 face, 18 button text,
// 23 tooltip text, 24 tooltip background).
void ezDefSystemColor(int number, int systemColor);
struct EzSize {
    double width;  // columns
    double height; // rows
};
// Extent of one line of text in a font, in columns and rows.
EzSize ezGetTextSize(int font, const std::string& text);
// Columns a control needs to show its caption whole in `font`, never less than leastWidth:
// kind 'B' a button, 'C' a check box, 'R' a radio, 'L' a label (its longest "|"-line). Forms
// laid out for English captions take this for a translated one.
double ezFitWidth(char kind, int font, const std::string& caption, double leastWidth);
double ezCX(int pixels); // pixels across as columns
double ezCY(int pixels); // pixels down as rows
// Owner-drawn buttons, called inside kEventOwnerDraw with its draw token: face colour, text
// colour and font by number; pressed, focused and disabled states are shown.
void ezDrawColorButton(const std::string& form, int id, int drawToken, int face, int text,
                       int font);
void ezDraw3DButton(const std::string& form, int id, int drawToken, int face, int text, int font);
void ezDraw3DButtonRR(const std::string& form, int id, int drawToken, int face, int text,
                      int font); // rounded corners
void ezDraw3DButtonE(const std::string& form, int id, int drawToken, int face, int text,
                     int font); // elliptic ends

// ---- Desktop ----
// The executable's folder, ending with "/".
std::string ezAppPath();
// Opens an https address in the desktop's browser; false for any other address or when it could
// not.
bool ezOpenUrl(const std::string& url);
bool ezOpenFile(const std::string& path);
// A plain modal message with one OK button, for failures outside the markup message box.
void ezPlainMessage(const std::string& caption, const std::string& text);
// Shows an HTML help topic in the program's help window (created on first use, then reused).
void ezShowHelpTopic(const std::string& htmlFile);
// The user's documents folder (the home folder when there is none), ending with "/".
std::string ezDocumentsFolder();
// The save dialog over `form`, proposing suggestedPath; filter as "Calendars (*.ics)", suffix
// added to a name typed without one. Asks before replacing a file. The chosen path, or "" when
// the user cancelled.
std::string ezSaveFileDialog(const std::string& form, const std::string& title,
                             const std::string& suggestedPath, const std::string& filter,
                             const std::string& suffix);
// The open dialog over `form`, starting in folder; filter as "Pictures (*.png *.jpg)". The chosen
// file, or "" when the user cancelled.
std::string ezOpenFileDialog(const std::string& form, const std::string& title,
                             const std::string& folder, const std::string& filter);
// Puts the text on the clipboard.
void ezSetClipboardText(const std::string& text);

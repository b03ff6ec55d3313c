#include "msgbox/msgbox.h"
#include "common/translate.h"

#include "common/numbers.h"
#include "common/text.h"
#include "gui/ezgui.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Message texts lose their spaces at either end; tabs are kept.
std::string trimSpaces(std::string_view text) {
    return trimBlanks(text, " ");
}

constexpr int kNoChoiceYet = 1000;
constexpr int kClosedResult = 99;
constexpr int kCheckedClosedResult = -99;
constexpr int kCheckedClosedChoice = 3;
constexpr int kMaxButtons = 10;
constexpr int kPictureId = 4;
constexpr int kMainTextId = 5;
constexpr int kDetailTextId = 6;
constexpr int kCheckBoxId = 10;
constexpr int kButtonIdBase = 10; // button k is control 10 + k
constexpr int kFaceColorSlot = 10;
constexpr int kTextColorSlot = 30;
constexpr int kFontSlot = 50;
constexpr int kKindSlot = 60;
constexpr int kKind3D = 3;
constexpr int kKindRounded = 4;
constexpr int kKindElliptic = 5;
constexpr int kLabelBackground = 750;
constexpr int kFaceSystemColor = 15;
constexpr double kDefaultButtonWidth = 8;
constexpr double kDefaultButtonHeight = 1.5;
constexpr double kButtonGap = 1;
constexpr double kTextPadding = 1;     // added to a measured text width
constexpr double kCheckBoxPadding = 3; // room for the box itself
constexpr double kCheckBoxExtraHeight = 0.5;
constexpr double kFormStartSize = 20;
constexpr const char* kOkButtonList = N_("&OK{G,f7}");
constexpr const char* kCentredStyle = "C";
// The most of the screen's width a message's text takes.
constexpr double kScreenShare = 0.8;

struct ButtonRecord {
    std::string caption;
    double width = kDefaultButtonWidth;
    double height = kDefaultButtonHeight;
    int font = 0;
    int face = kLabelBackground;
    int textColor = 0;
    char kind = 'C';
};

// The open dialog: the call's values, the result (the default on the way in, then the marker
// until a choice is made) and the button that had the focus last.
struct DialogState {
    std::string parent;
    std::string title;
    std::string mainText;
    std::string detailText;
    std::string checkBoxText;
    std::string buttonList;
    std::string picture;
    int defaultButton = 0;
    std::string styleLetters;
    int result = 0;
    int focusButton = 0;
};

DialogState dialog;

// A markup string is its text, then optionally "{" and an option block: comma-separated fields,
// each an option letter followed by a number read by the leading-number rule ("f11", "t4}").
// The text is what comes before the first "{", trimmed; a "{" is never part of the text.
struct Markup {
    std::string text;
    std::vector<std::string> fields;
};

Markup parseMarkup(const std::string& markup) {
    Markup parsed;
    std::size_t brace = markup.find('{');
    parsed.text = trimSpaces(markup.substr(0, brace));
    if (brace == std::string::npos) return parsed;
    for (const std::string& field : splitText(trimSpaces(markup.substr(brace + 1)), ',')) {
        std::string option = trimSpaces(field);
        if (!option.empty()) parsed.fields.push_back(option);
    }
    return parsed;
}

char optionLetter(const std::string& field) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(field[0])));
}

double optionValue(const std::string& field) {
    return leadingNumber(field.substr(1));
}

bool hasStyle(char letter) {
    for (char style : dialog.styleLetters) {
        if (std::tolower(static_cast<unsigned char>(style)) == letter) return true;
    }
    return false;
}

// Text options of a block: font, colour and wrap width.
struct TextBlock {
    std::string text;
    int font = 0;
    int color = 0;
    double wrapWidth = 0;
    double width = 0;
    double height = 0;
    double y = 0;
};

TextBlock parseTextBlock(const std::string& markup) {
    Markup parsed = parseMarkup(markup);
    TextBlock block;
    block.text = parsed.text;
    for (const std::string& field : parsed.fields) {
        switch (optionLetter(field)) {
        case 'F':
            block.font = leadingInteger(field.substr(1));
            break;
        case 'T':
            block.color = leadingInteger(field.substr(1));
            break;
        case 'W':
            block.wrapWidth = optionValue(field);
            break;
        default:
            break;
        }
    }
    return block;
}

void applyButtonOption(ButtonRecord& button, const std::string& field) {
    switch (optionLetter(field)) {
    case 'W':
        button.width = optionValue(field);
        break;
    case 'H':
        button.height = optionValue(field);
        break;
    case 'F':
        button.font = leadingInteger(field.substr(1));
        break;
    case 'B':
        button.face = leadingInteger(field.substr(1));
        break;
    case 'T':
        button.textColor = leadingInteger(field.substr(1));
        break;
    case 'G':
    case 'C':
    case '3':
    case 'R':
    case 'E':
        button.kind = optionLetter(field);
        break;
    default:
        break;
    }
}

// The button list: "|"-separated fields, the first ten read; "*{...}" sets the defaults of the
// buttons after it, any other non-empty field is a button with its own optional block.
std::vector<ButtonRecord> parseButtons(const std::string& list) {
    std::vector<ButtonRecord> buttons;
    ButtonRecord defaults;
    std::vector<std::string> fields = splitText(list, '|');
    if (fields.size() > static_cast<std::size_t>(kMaxButtons)) fields.resize(kMaxButtons);
    for (const std::string& rawField : fields) {
        std::string field = trimSpaces(rawField);
        if (field.empty()) continue;
        Markup parsed = parseMarkup(field);
        if (field.compare(0, 2, "*{") == 0) {
            for (const std::string& option : parsed.fields)
                applyButtonOption(defaults, option);
            continue;
        }
        ButtonRecord button = defaults;
        button.caption = parsed.text;
        for (const std::string& option : parsed.fields)
            applyButtonOption(button, option);
        buttons.push_back(button);
    }
    return buttons;
}

double textWidth(int font, const std::string& text) {
    return ezGetTextSize(font, text).width;
}

// Width (largest line + padding) and height (sum of line heights) of a "|"-separated block.
void measureLines(const std::string& text, int font, double padding, double& width,
                  double& height) {
    double widest = 0;
    height = 0;
    for (const std::string& line : splitText(text, '|')) {
        EzSize size = ezGetTextSize(font, line);
        widest = std::max(widest, size.width);
        height += size.height;
    }
    width = widest + padding;
}

int checkSign() {
    return ezGetCheck(kMessageBoxForm, kCheckBoxId) == 1 ? -1 : 1;
}

void centreOnScreen(const std::string& form) {
    EzRect outer = ezWindowRect(form);
    int x = (ezScreenWidth() - outer.width) / 2;
    int y = (ezScreenHeight() - (outer.height + ezCaptionHeight())) / 2;
    ezMoveForm(form, x, y);
}

void chooseAndClose(int button) {
    dialog.result = button * checkSign();
    ezUnloadForm(kMessageBoxForm);
}

void drawButton(int id, int drawToken) {
    int k = id - kButtonIdBase;
    int face = ezGetUserData(kMessageBoxForm, k + kFaceColorSlot);
    int text = ezGetUserData(kMessageBoxForm, k + kTextColorSlot);
    int font = ezGetUserData(kMessageBoxForm, k + kFontSlot);
    switch (ezGetUserData(kMessageBoxForm, k + kKindSlot)) {
    case kKind3D:
        ezDraw3DButton(kMessageBoxForm, id, drawToken, face, text, font);
        break;
    case kKindRounded:
        ezDraw3DButtonRR(kMessageBoxForm, id, drawToken, face, text, font);
        break;
    case kKindElliptic:
        ezDraw3DButtonE(kMessageBoxForm, id, drawToken, face, text, font);
        break;
    default:
        ezDrawColorButton(kMessageBoxForm, id, drawToken, face, text, font);
        break;
    }
}

// Each "|"-line wider than `width` broken between characters (a file path has no spaces to
// wrap at), never inside a UTF-8 character.
std::string breakWideLines(const std::string& text, double width, int font) {
    std::string output;
    const std::vector<std::string> lines = splitText(text, '|');
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        if (index > 0) output += "|";
        if (textWidth(font, line) <= width) {
            output += line;
            continue;
        }
        std::string current;
        for (std::size_t pos = 0; pos < line.size();) {
            std::size_t next = pos + 1;
            while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80)
                ++next;
            const std::string piece = line.substr(pos, next - pos);
            if (!current.empty() && textWidth(font, current + piece) > width) {
                output += current + "|";
                current.clear();
            }
            current += piece;
            pos = next;
        }
        output += current;
    }
    return output;
}

bool isButtonId(int id) {
    return id > kButtonIdBase && id <= kButtonIdBase + kMaxButtons;
}

} // namespace

std::string wrapMessageText(const std::string& text, double wrapWidth, int font) {
    std::string output;
    for (const std::string& line : splitText(text, '|')) {
        std::string current;
        std::string pending;
        for (char character : line) {
            if (character == ' ' && !trimSpaces(pending).empty()) {
                std::string candidate = trimSpaces(current + pending);
                if (textWidth(font, candidate) > wrapWidth) {
                    output += trimSpaces(current) + "|";
                    current = pending;
                } else {
                    current = candidate;
                }
                pending.clear();
            }
            pending += character;
        }
        std::string candidate = trimSpaces(current + pending);
        if (textWidth(font, candidate) > wrapWidth) {
            output += trimSpaces(current) + "|" + trimSpaces(pending) + "|";
        } else {
            output += candidate + "|";
        }
    }
    return output;
}

void messageBoxDesign() {
    const std::string form = kMessageBoxForm;
    double margin = hasStyle('l') ? 2 : 1;
    double verticalMargin = hasStyle('l') ? 1 : 0.5;
    dialog.focusButton = std::abs(dialog.defaultButton);

    int formBackground = -1;
    double minimumWidth = 0;
    double minimumHeight = 0;
    for (const std::string& field : parseMarkup(dialog.title).fields) {
        switch (optionLetter(field)) {
        case 'B':
            formBackground = leadingInteger(field.substr(1));
            break;
        case 'W':
            minimumWidth = leadingInteger(field.substr(1));
            break;
        case 'H':
            minimumHeight = leadingInteger(field.substr(1));
            break;
        default:
            break;
        }
    }
    int labelBackground = formBackground >= 0 ? formBackground : kLabelBackground;
    TextBlock mainBlock = parseTextBlock(dialog.mainText);
    TextBlock detailBlock = parseTextBlock(dialog.detailText);
    TextBlock checkBlock = parseTextBlock(dialog.checkBoxText);

    double pictureWidth = 0;
    double pictureHeight = 0;
    std::string picture;
    if (!dialog.picture.empty()) {
        picture = ezLoadPicture(dialog.picture);
        int pixelWidth = 0;
        int pixelHeight = 0;
        ezGetPictureSize(picture, pixelWidth, pixelHeight);
        if (pixelWidth > 0) {
            pictureWidth = ezCX(pixelWidth) + 2;
            pictureHeight = ezCY(pixelHeight);
        }
    }

    std::vector<ButtonRecord> buttons = parseButtons(dialog.buttonList);
    double widest = 0;
    for (ButtonRecord& button : buttons) {
        double needed = textWidth(std::max(button.font, 0), button.caption) + kTextPadding;
        button.width = std::max(button.width, needed);
        widest = std::max(widest, button.width);
    }
    if (hasStyle('w')) {
        for (ButtonRecord& button : buttons)
            button.width = widest;
    }
    double rowWidth = 0;
    double rowHeight = 0;
    for (const ButtonRecord& button : buttons) {
        rowWidth += button.width;
        rowHeight = std::max(rowHeight, button.height);
    }
    if (!buttons.empty()) rowWidth += kButtonGap * static_cast<double>(buttons.size() - 1);

    // No text wider than the screen: a longer block wraps at what fits, and a word still too
    // wide (a long file path) breaks.
    const double widestText = ezCX(ezScreenWidth()) * kScreenShare - pictureWidth - 2 * margin;
    double runningY = verticalMargin;
    for (TextBlock* block : {&mainBlock, &detailBlock}) {
        if (block->text.empty()) continue;
        if (block->wrapWidth > 0) {
            block->text = wrapMessageText(block->text, block->wrapWidth, block->font);
        }
        measureLines(block->text, block->font, kTextPadding, block->width, block->height);
        if (block->width - kTextPadding > widestText) {
            block->text = breakWideLines(wrapMessageText(block->text, widestText, block->font),
                                         widestText, block->font);
            measureLines(block->text, block->font, kTextPadding, block->width, block->height);
        }
        block->y = runningY;
        runningY += block->height;
    }
    if (!checkBlock.text.empty()) {
        measureLines(checkBlock.text, checkBlock.font, kCheckBoxPadding, checkBlock.width,
                     checkBlock.height);
        checkBlock.height += kCheckBoxExtraHeight;
        checkBlock.y = runningY;
        runningY += checkBlock.height;
    }

    double contentWidth =
        std::max({mainBlock.width, detailBlock.width, checkBlock.width, rowWidth});
    double clientWidth = pictureWidth + margin + contentWidth + margin;
    if (minimumWidth > clientWidth) {
        contentWidth += minimumWidth - clientWidth;
        clientWidth = minimumWidth;
    }
    double clientHeight =
        std::max(pictureHeight + 2 * verticalMargin, runningY + rowHeight + 2 * verticalMargin);
    if (minimumHeight > clientHeight) {
        double shift = (minimumHeight - clientHeight) / 2;
        mainBlock.y += shift;
        detailBlock.y += shift;
        checkBlock.y += shift;
        clientHeight = minimumHeight;
    }
    ezResizeForm(form, clientWidth, clientHeight);

    double contentLeft = pictureWidth + margin;
    if (pictureWidth > 2) {
        std::string letters;
        if (hasStyle('f')) letters += "F";
        if (hasStyle('r')) letters += "R";
        if (hasStyle('s')) letters += "S";
        ezPicture(kPictureId, margin, verticalMargin, pictureWidth, pictureHeight, picture,
                  letters);
    }
    const std::string alignment = hasStyle('c') ? "C" : "L";
    const int textIds[] = {kMainTextId, kDetailTextId};
    const TextBlock* blocks[] = {&mainBlock, &detailBlock};
    for (int index = 0; index < 2; ++index) {
        const TextBlock& block = *blocks[index];
        if (block.text.empty()) continue;
        ezColor(block.color, labelBackground);
        ezUseFont(block.font);
        ezLabel(textIds[index], contentLeft, block.y, contentWidth, block.height, block.text,
                alignment);
    }
    if (!checkBlock.text.empty()) {
        double x =
            hasStyle('c') ? contentLeft + (contentWidth - checkBlock.width) / 2 : contentLeft;
        ezColor(checkBlock.color, labelBackground);
        ezUseFont(checkBlock.font);
        ezCheckBox(kCheckBoxId, x, checkBlock.y, checkBlock.width, checkBlock.height,
                   checkBlock.text, "T");
        ezSetCheck(form, kCheckBoxId, dialog.defaultButton < 0 ? 1 : 0);
    }

    double rowTop = clientHeight - rowHeight - verticalMargin;
    double x = contentLeft;
    if (hasStyle('j')) {
        x = clientWidth - margin - rowWidth;
    } else if (hasStyle('c')) {
        x = contentLeft + (contentWidth - rowWidth) / 2;
    }
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        const ButtonRecord& button = buttons[index];
        int k = static_cast<int>(index) + 1;
        double y = rowTop + rowHeight - button.height;
        ezSetUserData(form, k + kFaceColorSlot, button.face);
        ezSetUserData(form, k + kTextColorSlot, button.textColor);
        ezSetUserData(form, k + kFontSlot, button.font);
        if (button.kind == '3') ezSetUserData(form, k + kKindSlot, kKind3D);
        if (button.kind == 'R') ezSetUserData(form, k + kKindSlot, kKindRounded);
        if (button.kind == 'E') ezSetUserData(form, k + kKindSlot, kKindElliptic);
        // Standard buttons keep the toolkit's colours; drawn ones are given theirs when drawn.
        ezColor(-1, -1);
        ezUseFont(button.font);
        // The button Return presses is marked default, for screen readers as for the eye.
        const std::string letters = k == std::abs(dialog.defaultButton) ? "TAD" : "TA";
        if (button.kind == 'G') {
            ezButton(kButtonIdBase + k, x, y, button.width, button.height, button.caption, letters);
        } else {
            ezODButton(kButtonIdBase + k, x, y, button.width, button.height, button.caption,
                       letters);
        }
        x += button.width + kButtonGap;
    }
    ezAllowKeyEvents(2);
}

void messageBoxEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)cancel; // a close from the frame is let through; the unload turns it into 99
    switch (eventCode) {
    case kEventLoaded:
        centreOnScreen(kMessageBoxForm);
        return;
    case kEventKey:
        if (value == kKeyEscape) {
            chooseAndClose(kClosedResult);
        } else if (value == kKeyEnter) {
            int k = ezGetFocusId(kMessageBoxForm) - kButtonIdBase;
            if (k > 0) chooseAndClose(k);
        }
        return;
    case kEventUnload:
        if (dialog.result == kNoChoiceYet) dialog.result = kClosedResult * checkSign();
        return;
    default:
        break;
    }
    if (controlId == 0 && eventCode == kEventStarted) {
        int focus = std::abs(dialog.defaultButton);
        if (focus >= 1 && focus <= kMaxButtons) {
            ezSetFocus(kMessageBoxForm, kButtonIdBase + focus);
        }
        dialog.result = kNoChoiceYet;
        ezBringToFront(kMessageBoxForm);
        return;
    }
    if (controlId == kCheckBoxId && eventCode == kEventClick) {
        if (dialog.focusButton > 0) {
            ezSetFocus(kMessageBoxForm, kButtonIdBase + dialog.focusButton);
        }
        return;
    }
    if (!isButtonId(controlId)) return;
    switch (eventCode) {
    case kEventClick:
        chooseAndClose(controlId - kButtonIdBase);
        break;
    case kEventOwnerDraw:
        drawButton(controlId, value);
        break;
    case kEventFocus:
        dialog.focusButton = controlId - kButtonIdBase;
        break;
    default:
        break;
    }
}

int messageBox(const std::string& parent, const std::string& title, const std::string& mainText,
               const std::string& detailText, const std::string& checkBoxText,
               const std::string& buttonList, const std::string& picture, int defaultButton,
               const std::string& styleLetters) {
    // One dialog at a time: a second call while it is open would overwrite its state.
    if (ezFormLoaded(kMessageBoxForm)) return 0;
    dialog = DialogState{};
    dialog.parent = parent;
    dialog.title = trimSpaces(title);
    dialog.mainText = trimSpaces(mainText);
    dialog.detailText = trimSpaces(detailText);
    dialog.checkBoxText = trimSpaces(checkBoxText);
    dialog.buttonList = trimSpaces(buttonList);
    dialog.picture = trimSpaces(picture);
    dialog.defaultButton = defaultButton;
    dialog.styleLetters = trimSpaces(styleLetters);
    dialog.result = defaultButton;

    ezDefSystemColor(kLabelBackground, kFaceSystemColor);
    std::size_t brace = dialog.title.find('{');
    std::string caption = trimSpaces(dialog.title.substr(0, brace));
    int formBackground = -1;
    for (const std::string& field : parseMarkup(dialog.title).fields) {
        if (optionLetter(field) == 'B') formBackground = leadingInteger(field.substr(1));
    }
    ezColor(-1, formBackground);
    ezForm(kMessageBoxForm, parent, caption, 0, 0, kFormStartSize, kFormStartSize, "CMRA");
    return dialog.result;
}

int okMessage(const std::string& title, const std::string& mainText,
              const std::string& detailText) {
    return okMessage(title, mainText, detailText, std::string());
}

int okMessage(const std::string& title, const std::string& mainText, const std::string& detailText,
              const std::string& parent) {
    std::string owner = parent.empty() ? ezCurrentForm() : parent;
    return messageBox(owner, title, mainText, detailText, "", translate(kOkButtonList), "", 1,
                      kCentredStyle);
}

int choiceMessage(const std::string& title, const std::string& mainText,
                  const std::string& detailText, const std::string& checkBoxText,
                  const std::string& buttonList, int defaultButton) {
    int result = messageBox(ezCurrentForm(), title, mainText, detailText, checkBoxText, buttonList,
                            "", defaultButton, kCentredStyle);
    return result == kCheckedClosedResult ? kCheckedClosedChoice : result;
}

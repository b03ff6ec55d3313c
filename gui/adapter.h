#pragma once
// The GUI adapter's own records and the lookups every piece of it shares. Private to gui/:
// the program sees only gui/ezgui.h.
#include "gui/ezgui.h"

#include <QButtonGroup>
#include <QColor>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QShortcut>
#include <QString>
#include <QTextBrowser>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

class QCloseEvent;
class QHelpEvent;
class QKeyEvent;
class QPainter;

namespace adapter {

enum class ControlKind {
    Text,
    Label,
    Button,
    OwnerDrawButton,
    CheckBox,
    Radio,
    Frame,
    Picture,
    ProgressBar,
    StatusBar,
    RichText
};

struct Control {
    QPointer<QWidget> widget;
    ControlKind kind = ControlKind::Label;
    int layer = 0;
    bool hiddenByProgram = false;
    QRect designRect;
    QSize clientSizeAtCreation;
    std::string anchors;
    bool hasTooltip = false;
    bool centred = false;
    bool defaultButton = false; // Return presses it while the focus is in a field
    bool escapeButton = false;  // Escape presses it
    std::string text;           // labels and status bars: the text as the program gave it
    std::vector<int> statusPercentages;
    std::vector<QPointer<QLabel>> statusParts;
    int richTextLimit = 0;
    QColor ground; // the background colour it was made with; invalid for the default
};

struct Form {
    std::string name;
    std::string parent;
    QPointer<QWidget> window;
    QPointer<QWidget> client;
    std::map<int, Control> controls;
    std::map<int, int> userData;
    std::map<int, int> savedMenus;
    QEventLoop* modalLoop = nullptr;
    bool unloading = false;
    bool resizable = false;
    bool dialog = false;     // has an owner or is modal: Escape closes it
    bool alert = false;      // a message: screen readers announce it as one
    int displayedLayer = -1; // -1: every layer shown
    QPointer<QButtonGroup> radioGroup;
    std::vector<QPointer<QShortcut>> accelerators;
};

struct Menu {
    QPointer<QWidget> widget; // QMenuBar or QMenu
    std::map<int, QPointer<QAction>> items;
    std::string form;
};

struct ColorDefinition {
    bool system = false;
    int systemIndex = 0;
    QColor rgb;
};

// The one toolkit instance of the program: everything the forms share.
struct Toolkit {
    bool ready = false;
    EzEventCallback event = nullptr;
    EzDesignCallback design = nullptr;
    QEventLoop* mainLoop = nullptr;
    double columnPixels = 8;
    double rowPixels = 16;
    std::map<std::string, Form> forms;
    std::vector<std::string> loadOrder;
    std::vector<std::string> dispatching;
    std::vector<std::string> designing;
    std::map<int, QFont> fonts;
    QFont currentFont;
    int currentForeground = -1;
    int currentBackground = -1;
    std::string currentAnchors;
    int currentLayer = 0;
    int loadingMode = 0;
    bool loadStringSet = false;
    std::string loadString;
    bool keyEvents = false;
    std::map<int, ColorDefinition> colors;
    std::vector<Menu> menus; // handle = index + 1
    int pendingMainMenu = 0;
    std::string tooltipText;
    int tooltipWrapColumns = 0;
    std::map<std::string, QImage> pictures;
    std::map<std::string, QImage> sharpPictures; // twice the size, read when a scaled screen first
                                                 // asks; a null image where there is none
    std::map<std::string, QString> picturePaths; // where each picture was read from
    QString imageFolder;
    QPainter* drawPainter = nullptr;
    QWidget* drawWidget = nullptr;
    int drawToken = 0;
    QPointer<QTextBrowser> helpWindow; // the text of the help window, inside its own window
};

extern Toolkit toolkit;

// Dynamic properties that tie Qt widgets back to the program's forms and controls.
inline constexpr const char* kFormProperty = "ezForm";
inline constexpr const char* kIdProperty = "ezId";
inline constexpr const char* kClientProperty = "ezClient";
inline constexpr const char* kOwnerDrawProperty = "ezOwnerDraw";
// A status bar part's whole text; the part shows as much of it as fits.
inline constexpr const char* kWholeTextProperty = "ezWholeText";
// How a date field shows and takes its date: the ISO form the program reads and writes.
inline constexpr const char* kDateFieldFormat = "yyyy-MM-dd";

// ---- Texts (adapter.cpp) ----
QString toQt(const std::string& text);
std::string fromQt(const QString& text);
QString withLineBreaks(const std::string& text);
QString withoutCarriageReturns(const std::string& text);
bool hasLetter(const std::string& properties, char letter);
int bracketNumber(const std::string& properties);

// ---- Lookups and events (adapter.cpp) ----
Form* findForm(const std::string& name);
Control* findControl(const std::string& form, int id);
std::string formNameOf(const QWidget* widget);
int controlIdOf(const QObject* object);
int raiseEvent(const std::string& form, int id, int code, int value);
void raiseClick(const std::string& form, int id);
bool layerShown(const Form& form, const Control& control);
void updateVisibility(const Form& form, Control& control);

// ---- Forms (forms.cpp) ----
void ensureToolkit();
// A modal window, shown or shown again, asks for the keyboard until it has it: first after this
// long, then waiting twice as long each time.
inline constexpr int kActivationRetryMs = 150;
void takeKeyboardWhenShown(QWidget* window, int delayMs = kActivationRetryMs);
void applyAnchors(Form& form);

// ---- Keyboard and screen readers (keyboard.cpp, accessibility.cpp) ----
// Return, Escape and visible focus for the forms; true when the key has been used.
bool handleDialogKey(QWidget* receiver, QKeyEvent* event);
// Only the checked radio of each group (the first when none is) is reached with Tab.
void updateRadioTabStops(Form& form);
// Left to right, top to bottom: tops less than half a row apart stand on one line.
bool seenBefore(const Control& a, const Control& b);
// Tab follows the visual order of the form's controls: left to right, top to bottom.
void orderTabStops(Form& form);
// Once designed: controls inside a frame become its children, siblings stand in visual order,
// and every field is named after the label beside or above it.
void arrangeForAccessibility(Form& form);
void installAccessibility();
// A caption as it is spoken: its line breaks as spaces, without its mnemonic mark.
QString spokenText(const std::string& caption);

// ---- Controls (controls.cpp, control_state.cpp) ----
void placeStatusParts(Control& control);
// A control drawn in the desktop's text colour over a band of a fixed colour reads on the band.
void keepTextReadableOnBands(Form& form);
// A part's text as the program gave it: a leading tab centres it, two right-align it.
void setStatusPartText(Control& control, std::size_t part, const std::string& text);
bool handleTooltip(QWidget* widget, QHelpEvent* event);

// ---- Menus (menus.cpp) ----
Menu* findMenu(int handle);
// A key of a menu item of the receiver's window wins over the focused field's own use of it
// (Ctrl+E moves to the end of a text line on X11); true when it is such a key.
bool handleMenuKey(QWidget* receiver, QKeyEvent* event);

// ---- Look: grid, colours, fonts, pictures, drawing (look.cpp) ----
int toPixelsAcross(double columns);
int toPixelsDown(double rows);
QRect toPixelRect(double column, double row, double width, double height);
QColor colorOf(int number);
QFont fontOf(int number);
void setUpGrid();
void setUpFonts();
bool handleOwnerDraw(QWidget* widget);
// The property of a picture label that scales larger pictures down into it (ezPicture "Z").
inline constexpr const char* kFitsPictureProperty = "merivaneFitsPicture";
QPixmap pixmapFor(const std::string& picture, const QWidget* widget);
// Text needs this contrast to its ground to be read easily (WCAG's 4.5:1).
inline constexpr double kReadableContrast = 4.5;
double contrastRatio(const QColor& first, const QColor& second);
QColor readableOn(const QColor& text, const QColor& ground, double least);
// A designed text colour that reads on its ground stays; one that does not (black on a dark
// theme's face) gives way to the theme's own text colour, which reads like every other text of
// the desktop, and only where that does not read either is the designed colour made readable.
QColor legibleOn(const QColor& designed, const QColor& ground, const QColor& themeText);
// True for a colour number defined to follow a desktop colour.
bool followsDesktop(int number);

} // namespace adapter

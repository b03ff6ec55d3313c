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
    std::string text; // labels and status bars: the text as the program gave it
    std::vector<int> statusPercentages;
    std::vector<QPointer<QLabel>> statusParts;
    int richTextLimit = 0;
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
    QString imageFolder;
    QPainter* drawPainter = nullptr;
    QWidget* drawWidget = nullptr;
    int drawToken = 0;
    QPointer<QTextBrowser> helpWindow;
};

extern Toolkit toolkit;

// Dynamic properties that tie Qt widgets back to the program's forms and controls.
inline constexpr const char* kFormProperty = "ezForm";
inline constexpr const char* kIdProperty = "ezId";
inline constexpr const char* kClientProperty = "ezClient";
inline constexpr const char* kOwnerDrawProperty = "ezOwnerDraw";
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
void applyAnchors(Form& form);

// ---- Controls (controls.cpp, control_state.cpp) ----
void placeStatusParts(Control& control);
void setStatusPartText(QLabel* part, const std::string& text);
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

} // namespace adapter

#include "gui/ezgui.h"

#include "calendar/numbers.h"
#include "calendar/text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHelpEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#ifdef MERIVANE_HAVE_RTF
#include "gui/rtf_qt.h"
#endif

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

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

Toolkit toolkit;

// Windows' sixteen colours, then the same sixteen halfway to white.
constexpr int kPaletteSize = 16;
constexpr int kPalette[kPaletteSize][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 80, 200},   {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
constexpr int kPaletteEnd = 32;
constexpr int kToolkitFontCount = 6;
// A character column is the default font's mean letter width times this, rounded to a quarter
// pixel; never smaller than the 8 x 16 pixel cell the window layouts were designed on.
constexpr double kColumnPerLetterWidth = 1.25;
constexpr double kLeastColumnPixels = 8;
constexpr double kLeastRowPixels = 16;
constexpr int kRowPaddingPixels = 2;
constexpr int kStatusBarPaddingPixels = 8;
constexpr const char* kFormProperty = "ezForm";
constexpr const char* kIdProperty = "ezId";
constexpr const char* kClientProperty = "ezClient";
constexpr const char* kOwnerDrawProperty = "ezOwnerDraw";

// ---- Texts ----

// Program texts are UTF-8; a text that is not is read as Windows-1252, the single-byte code
// page the program's texts were written in.
QString toQt(const std::string& text) {
    QString utf8 = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (!utf8.contains(QChar::ReplacementCharacter)) return utf8;
    static const char16_t kHighHalf[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char byte : text) {
        if (byte >= 0x80 && byte < 0xA0) {
            result.append(QChar(kHighHalf[byte - 0x80]));
        } else {
            result.append(QChar(byte));
        }
    }
    return result;
}

std::string fromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

QString withLineBreaks(const std::string& text) {
    QString result = toQt(text);
    result.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return result;
}

QString withoutCarriageReturns(const std::string& text) {
    QString result = toQt(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

bool hasLetter(const std::string& properties, char letter) {
    return properties.find(letter) != std::string::npos;
}

// "[n]" in a property string: n, or 0 without one.
int bracketNumber(const std::string& properties) {
    std::size_t open = properties.find('[');
    if (open == std::string::npos) return 0;
    return leadingInteger(std::string_view(properties).substr(open + 1));
}

// ---- Units ----

int toPixelsAcross(double columns) {
    return static_cast<int>(std::lround(columns * toolkit.columnPixels));
}
int toPixelsDown(double rows) {
    return static_cast<int>(std::lround(rows * toolkit.rowPixels));
}

QRect toPixelRect(double column, double row, double width, double height) {
    int left = toPixelsAcross(column);
    int top = toPixelsDown(row);
    return QRect(left, top, toPixelsAcross(column + width) - left,
                 toPixelsDown(row + height) - top);
}

// ---- Colours and fonts ----

QColor systemColor(int index) {
    QPalette palette = QApplication::palette();
    switch (index) {
    case 5:
        return palette.color(QPalette::Base);
    case 6:
        return palette.color(QPalette::Shadow);
    case 7:
    case 9:
        return palette.color(QPalette::WindowText);
    case 8:
        return palette.color(QPalette::Text);
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 16:
        return palette.color(QPalette::Dark);
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
        return palette.color(QPalette::Light);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

// Invalid for -1 and unknown numbers: the control keeps its default colour.
QColor colorOf(int number) {
    auto found = toolkit.colors.find(number);
    if (found != toolkit.colors.end()) {
        return found->second.system ? systemColor(found->second.systemIndex) : found->second.rgb;
    }
    if (number >= 0 && number < kPaletteSize) {
        return QColor(kPalette[number][0], kPalette[number][1], kPalette[number][2]);
    }
    if (number >= kPaletteSize && number < kPaletteEnd) {
        const int* base = kPalette[number - kPaletteSize];
        return QColor((base[0] + 255) / 2, (base[1] + 255) / 2, (base[2] + 255) / 2);
    }
    return QColor();
}

QFont makeFont(const std::string& face, double points, const std::string& properties) {
    QFont font(toQt(face));
    font.setPointSizeF(points > 0 ? points : QApplication::font().pointSizeF());
    if (QFontInfo(font).family().compare(toQt(face), Qt::CaseInsensitive) != 0) {
        font.setFamily(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    }
    font.setBold(hasLetter(properties, 'B'));
    font.setItalic(hasLetter(properties, 'I'));
    font.setUnderline(hasLetter(properties, 'U'));
    return font;
}

QFont fontOf(int number) {
    auto found = toolkit.fonts.find(number);
    if (found != toolkit.fonts.end()) return found->second;
    return QApplication::font();
}

// ---- Forms and controls ----

Form* findForm(const std::string& name) {
    auto found = toolkit.forms.find(name);
    if (found == toolkit.forms.end() || !found->second.window) return nullptr;
    return &found->second;
}

Control* findControl(const std::string& form, int id) {
    Form* record = findForm(form);
    if (record == nullptr) return nullptr;
    auto found = record->controls.find(id);
    if (found == record->controls.end() || !found->second.widget) return nullptr;
    return &found->second;
}

std::string formNameOf(const QWidget* widget) {
    if (widget == nullptr) return {};
    QVariant name = widget->window()->property(kFormProperty);
    return name.isValid() ? name.toString().toStdString() : std::string();
}

// The control a widget belongs to (a text box's inner viewport included): its ID, or 0.
int controlIdOf(const QObject* object) {
    while (object != nullptr) {
        QVariant id = object->property(kIdProperty);
        if (id.isValid()) return id.toInt();
        if (object->property(kClientProperty).isValid()) return 0;
        const QWidget* widget = qobject_cast<const QWidget*>(object);
        if (widget != nullptr && widget->isWindow()) return 0;
        object = object->parent();
    }
    return 0;
}

int raiseEvent(const std::string& form, int id, int code, int value) {
    if (toolkit.event == nullptr) return 0;
    int cancel = 0;
    toolkit.dispatching.push_back(form);
    toolkit.event(form, id, code, value, cancel);
    toolkit.dispatching.pop_back();
    return cancel;
}

bool layerShown(const Form& form, const Control& control) {
    return control.layer == 0 || form.displayedLayer < 0 || form.displayedLayer == control.layer;
}

void updateVisibility(const Form& form, Control& control) {
    if (!control.widget) return;
    control.widget->setVisible(!control.hiddenByProgram && layerShown(form, control));
}

bool hasAnchor(const std::vector<std::string>& anchors, const char* name) {
    return std::find(anchors.begin(), anchors.end(), name) != anchors.end();
}

void placeStatusParts(Control& control) {
    if (!control.widget) return;
    int width = control.widget->width();
    int height = control.widget->height();
    int left = 0;
    for (std::size_t part = 0; part < control.statusParts.size(); ++part) {
        if (!control.statusParts[part]) continue;
        bool last = part + 1 == control.statusParts.size();
        int partWidth = last ? width - left : width * control.statusPercentages[part] / 100;
        control.statusParts[part]->setGeometry(left, 0, std::max(partWidth, 0), height);
        left += partWidth;
    }
}

// Keeps each anchored control where its anchors say, for the client's new size.
void applyAnchors(Form& form) {
    if (!form.client) return;
    QSize size = form.client->size();
    for (auto& [id, control] : form.controls) {
        if (!control.widget) continue;
        if (control.kind == ControlKind::StatusBar) {
            int height = control.designRect.height();
            control.widget->setGeometry(0, size.height() - height, size.width(), height);
            placeStatusParts(control);
            continue;
        }
        if (control.anchors.empty()) continue;
        std::vector<std::string> anchors;
        for (const std::string& piece : splitText(control.anchors, ',')) {
            anchors.push_back(trimBlanks(piece));
        }
        QRect design = control.designRect;
        int addedWidth = size.width() - control.clientSizeAtCreation.width();
        int addedHeight = size.height() - control.clientSizeAtCreation.height();
        int left = design.left();
        int right = design.left() + design.width();
        if (hasAnchor(anchors, "FR")) {
            right += addedWidth;
            if (!hasAnchor(anchors, "FL") && !hasAnchor(anchors, "CL")) left += addedWidth;
        }
        if (hasAnchor(anchors, "H")) {
            left += addedWidth / 2;
            right += addedWidth / 2;
        }
        if (hasAnchor(anchors, "HE") && control.clientSizeAtCreation.width() > 0) {
            int centre = (design.left() + design.width() / 2) * size.width() /
                         control.clientSizeAtCreation.width();
            left = centre - design.width() / 2;
            right = left + design.width();
        }
        int top = design.top();
        int bottom = design.top() + design.height();
        if (hasAnchor(anchors, "FB")) {
            bottom += addedHeight;
            if (!hasAnchor(anchors, "FT") && !hasAnchor(anchors, "CT")) top += addedHeight;
        }
        control.widget->setGeometry(left, top, std::max(right - left, 0),
                                    std::max(bottom - top, 0));
    }
}

int menuBarHeight(QWidget* window) {
    QWidget* bar = window->layout() != nullptr ? window->layout()->menuBar() : nullptr;
    return bar != nullptr ? bar->sizeHint().height() : 0;
}

Form* designForm() {
    std::string name = toolkit.designing.empty() ? ezCurrentForm() : toolkit.designing.back();
    return findForm(name);
}

void applyColors(QWidget* widget, ControlKind kind) {
    QColor foreground = colorOf(toolkit.currentForeground);
    QColor background = colorOf(toolkit.currentBackground);
    QPalette palette = widget->palette();
    if (foreground.isValid()) {
        palette.setColor(QPalette::WindowText, foreground);
        palette.setColor(QPalette::Text, foreground);
        palette.setColor(QPalette::ButtonText, foreground);
    }
    bool paintsBackground = kind == ControlKind::Label || kind == ControlKind::CheckBox ||
                            kind == ControlKind::Radio || kind == ControlKind::Picture ||
                            kind == ControlKind::Frame;
    if (background.isValid() && kind != ControlKind::Button &&
        kind != ControlKind::OwnerDrawButton) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        if (paintsBackground) widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

void raiseClick(const std::string& form, int id) {
    if (findForm(form) != nullptr) raiseEvent(form, id, kEventClick, 0);
}

// Creates a control on the form in design: the loading event first (when on), then the widget
// with the current font, colours, anchors and layer. Returns the record, or nullptr.
Control* addControl(int id, ControlKind kind, QRect rect, std::string& text,
                    const std::string& properties) {
    Form* form = designForm();
    if (form == nullptr) return nullptr;
    std::string formName = form->name;
    if (toolkit.loadingMode != 0) {
        if (toolkit.loadingMode == 2) toolkit.loadingMode = 0;
        toolkit.loadStringSet = false;
        raiseEvent(formName, id, kEventLoading, 0);
        form = findForm(formName);
        if (form == nullptr) return nullptr;
        if (toolkit.loadStringSet) text = toolkit.loadString;
        toolkit.loadStringSet = false;
    }
    auto existing = form->controls.find(id);
    if (existing != form->controls.end() && existing->second.widget) {
        existing->second.widget->deleteLater();
    }
    QWidget* widget = nullptr;
    switch (kind) {
    case ControlKind::Text:
        if (hasLetter(properties, 'M')) {
            auto* edit = new QTextEdit(form->client);
            edit->setAcceptRichText(false);
            edit->setVerticalScrollBarPolicy(hasLetter(properties, 'V') ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
            if (hasLetter(properties, 'C')) {
                QTextOption option = edit->document()->defaultTextOption();
                option.setAlignment(Qt::AlignHCenter);
                edit->document()->setDefaultTextOption(option);
            }
            edit->setPlainText(withoutCarriageReturns(text));
            QObject::connect(edit, &QTextEdit::textChanged, [formName, id] {
                if (findForm(formName) != nullptr) {
                    raiseEvent(formName, id, kEventTextChanged, 0);
                }
            });
            widget = edit;
        } else {
            auto* edit = new QLineEdit(form->client);
            if (hasLetter(properties, 'C')) edit->setAlignment(Qt::AlignCenter);
            if (int limit = bracketNumber(properties); limit > 0) edit->setMaxLength(limit);
            if (hasLetter(properties, 'N')) {
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            }
            edit->setText(toQt(text));
            QObject::connect(edit, &QLineEdit::textChanged, [formName, id] {
                if (findForm(formName) != nullptr) {
                    raiseEvent(formName, id, kEventTextChanged, 0);
                }
            });
            widget = edit;
        }
        break;
    case ControlKind::Label: {
        auto* label = new QLabel(form->client);
        label->setTextFormat(Qt::PlainText);
        label->setText(withLineBreaks(text));
        Qt::Alignment across = Qt::AlignLeft;
        if (hasLetter(properties, 'C')) across = Qt::AlignHCenter;
        if (hasLetter(properties, 'R')) across = Qt::AlignRight;
        label->setAlignment(across | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::Button:
    case ControlKind::OwnerDrawButton: {
        auto* button = new QPushButton(toQt(text), form->client);
        button->setAutoDefault(false);
        if (kind == ControlKind::OwnerDrawButton) button->setProperty(kOwnerDrawProperty, true);
        QObject::connect(button, &QPushButton::clicked,
                         [formName, id] { raiseClick(formName, id); });
        widget = button;
        break;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(withLineBreaks(text), form->client);
        box->setAutoFillBackground(true);
        QObject::connect(box, &QCheckBox::clicked, [formName, id] { raiseClick(formName, id); });
        widget = box;
        break;
    }
    case ControlKind::Radio: {
        auto* radio = new QRadioButton(toQt(text), form->client);
        // Like a dialog's buttons, it paints the form's face, hiding a frame line behind it.
        radio->setAutoFillBackground(true);
        if (hasLetter(properties, 'G') || !form->radioGroup) {
            form->radioGroup = new QButtonGroup(form->client);
            form->radioGroup->setExclusive(true);
        }
        form->radioGroup->addButton(radio);
        QObject::connect(radio, &QRadioButton::clicked,
                         [formName, id] { raiseClick(formName, id); });
        widget = radio;
        break;
    }
    case ControlKind::Frame: {
        auto* frame = new QGroupBox(toQt(text), form->client);
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        frame->setFocusPolicy(Qt::NoFocus);
        // The caption sits on the frame's top line, so the controls placed below the caption
        // are inside the frame as the layouts intend.
        int halfCaption = QFontMetrics(toolkit.currentFont).height() / 2;
        frame->setStyleSheet(
            QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 3px;"
                           " margin-top: %1px; }"
                           "QGroupBox::title { subcontrol-origin: margin; left: 7px;"
                           " padding: 0px 3px; }")
                .arg(halfCaption));
        widget = frame;
        break;
    }
    case ControlKind::Picture: {
        auto* picture = new QLabel(form->client);
        picture->setAlignment(hasLetter(properties, 'C') ? Qt::AlignCenter
                                                         : Qt::AlignLeft | Qt::AlignTop);
        if (hasLetter(properties, 'F')) picture->setFrameStyle(QFrame::Box | QFrame::Plain);
        if (hasLetter(properties, 'R')) picture->setFrameStyle(QFrame::Panel | QFrame::Raised);
        if (hasLetter(properties, 'S')) picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto found = toolkit.pictures.find(text);
        if (found != toolkit.pictures.end()) {
            picture->setPixmap(QPixmap::fromImage(found->second));
        }
        widget = picture;
        break;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(form->client);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
        break;
    }
    case ControlKind::StatusBar: {
        auto* bar = new QWidget(form->client);
        QFontMetrics metrics(toolkit.currentFont);
        int height = metrics.height() + kStatusBarPaddingPixels;
        rect = QRect(0, form->client->height() - height, form->client->width(), height);
        widget = bar;
        break;
    }
    case ControlKind::RichText: {
        auto* browser = new QTextBrowser(form->client);
        browser->setOpenExternalLinks(true);
        browser->setVerticalScrollBarPolicy(hasLetter(properties, 'V') ? Qt::ScrollBarAsNeeded
                                                                       : Qt::ScrollBarAlwaysOff);
        browser->setPlainText(withoutCarriageReturns(text));
        widget = browser;
        break;
    }
    }
    widget->setProperty(kIdProperty, id);
    widget->setFont(toolkit.currentFont);
    applyColors(widget, kind);
    widget->setGeometry(rect);
    bool focusable = kind == ControlKind::Text || kind == ControlKind::Button ||
                     kind == ControlKind::OwnerDrawButton || kind == ControlKind::CheckBox ||
                     kind == ControlKind::Radio || kind == ControlKind::RichText;
    if (focusable && !hasLetter(properties, 'T')) widget->setFocusPolicy(Qt::ClickFocus);
    // Controls made earlier stay in front of later ones, so a band made after its labels stays
    // behind them and a frame made after its radios does not cover them.
    widget->lower();

    Control& control = form->controls[id];
    control = Control{};
    control.widget = widget;
    control.kind = kind;
    control.layer = toolkit.currentLayer;
    control.designRect = rect;
    control.clientSizeAtCreation = form->client->size();
    control.anchors = toolkit.currentAnchors;
    control.text = text;
    control.hiddenByProgram = hasLetter(properties, 'H');
    updateVisibility(*form, control);
    if (kind == ControlKind::StatusBar) {
        control.anchors.clear();
        control.statusPercentages = {100};
        auto* part = new QLabel(widget);
        part->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        part->setFont(toolkit.currentFont);
        control.statusParts = {part};
        placeStatusParts(control);
    }
    return &control;
}

void setStatusPartText(QLabel* part, const std::string& text) {
    if (part == nullptr) return;
    std::size_t tabs = 0;
    while (tabs < text.size() && text[tabs] == '\t')
        ++tabs;
    Qt::Alignment across = tabs == 0   ? Qt::AlignLeft
                           : tabs == 1 ? Qt::AlignHCenter
                                       : Qt::AlignRight;
    part->setAlignment(across | Qt::AlignVCenter);
    part->setText(toQt(text.substr(tabs)));
}

QString wrappedTooltip(const std::string& text) {
    QString plain = toQt(text);
    if (toolkit.tooltipWrapColumns <= 0) return plain;
    QString result;
    int lineLength = 0;
    for (const QString& word : plain.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > toolkit.tooltipWrapColumns) {
            result.append(QLatin1Char('\n'));
            lineLength = 0;
        } else if (lineLength > 0) {
            result.append(QLatin1Char(' '));
            ++lineLength;
        }
        result.append(word);
        lineLength += static_cast<int>(word.size());
    }
    return result;
}

int keyCodeOf(const QKeyEvent* event) {
    int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kKeyF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Escape:
        return kKeyEscape;
    case Qt::Key_Space:
        return kKeySpace;
    case Qt::Key_Left:
        return kKeyLeft;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Right:
        return kKeyRight;
    case Qt::Key_Down:
        return kKeyDown;
    case Qt::Key_Delete:
        return kKeyDelete;
    default:
        return 0;
    }
}

bool handleKeyPress(QWidget* receiver, QKeyEvent* event) {
    if (!toolkit.keyEvents) return false;
    std::string form = formNameOf(receiver);
    if (findForm(form) == nullptr) return false;
    // A key the focused control leaves alone travels up to the window; raise it only once.
    QWidget* focus = receiver->window()->focusWidget();
    bool firstDelivery = focus != nullptr ? receiver == focus : receiver->isWindow();
    if (!firstDelivery) return false;
    int code = keyCodeOf(event);
    if (code == 0) return false;
    raiseEvent(form, controlIdOf(receiver), kEventKey, code);
    Form* record = findForm(form);
    return record == nullptr || record->unloading;
}

bool handleClose(QWidget* window, QCloseEvent* event) {
    std::string form = formNameOf(window);
    Form* record = findForm(form);
    if (record == nullptr || record->unloading) return false;
    event->ignore();
    if (raiseEvent(form, 0, kEventCloseRequest, 0) != 0) return true;
    ezUnloadForm(form);
    return true;
}

bool handleTooltip(QWidget* widget, QHelpEvent* event) {
    std::string form = formNameOf(widget);
    int id = controlIdOf(widget);
    Control* control = findControl(form, id);
    if (control == nullptr || !control->hasTooltip) return false;
    toolkit.tooltipText.clear();
    raiseEvent(form, id, kEventTooltip, 0);
    if (toolkit.tooltipText.empty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(event->globalPos(), wrappedTooltip(toolkit.tooltipText), widget);
    }
    return true;
}

bool handleOwnerDraw(QWidget* widget) {
    std::string form = formNameOf(widget);
    int id = controlIdOf(widget);
    if (findControl(form, id) == nullptr) return false;
    QPainter painter(widget);
    QPainter* outerPainter = toolkit.drawPainter;
    QWidget* outerWidget = toolkit.drawWidget;
    toolkit.drawPainter = &painter;
    toolkit.drawWidget = widget;
    int token = ++toolkit.drawToken;
    raiseEvent(form, id, kEventOwnerDraw, token);
    toolkit.drawPainter = outerPainter;
    toolkit.drawWidget = outerWidget;
    return true;
}

// Qt hands every event to one filter; this routes the ones the toolkit raises as its own.
class ToolkitEventFilter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWidget* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr) return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            return handleKeyPress(widget, static_cast<QKeyEvent*>(event));
        case QEvent::Close:
            if (!widget->property(kFormProperty).isValid()) return false;
            return handleClose(widget, static_cast<QCloseEvent*>(event));
        case QEvent::WindowActivate:
            if (widget->property(kFormProperty).isValid() && findForm(formNameOf(widget))) {
                raiseEvent(formNameOf(widget), 0, kEventActivated, 0);
            }
            return false;
        case QEvent::FocusIn:
            if (widget->property(kIdProperty).isValid() && findForm(formNameOf(widget))) {
                raiseEvent(formNameOf(widget), widget->property(kIdProperty).toInt(), kEventFocus,
                           0);
            }
            return false;
        case QEvent::ToolTip:
            return handleTooltip(widget, static_cast<QHelpEvent*>(event));
        case QEvent::Paint:
            if (!widget->property(kOwnerDrawProperty).isValid()) return false;
            return handleOwnerDraw(widget);
        case QEvent::Resize:
            if (widget->property(kClientProperty).isValid()) {
                if (Form* form = findForm(formNameOf(widget))) applyAnchors(*form);
            }
            return false;
        default:
            return false;
        }
    }
};

void setUpGrid() {
    QFontMetricsF metrics(QApplication::font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    double letterWidth = metrics.horizontalAdvance(letters) / letters.size();
    double column = std::round(letterWidth * kColumnPerLetterWidth * 4) / 4;
    toolkit.columnPixels = std::max(kLeastColumnPixels, column);
    toolkit.rowPixels =
        std::max(kLeastRowPixels,
                 std::ceil(QFontMetricsF(QApplication::font()).height()) + kRowPaddingPixels);
}

void setUpFonts() {
    QFont standard = QApplication::font();
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(standard.pointSizeF());
    QFont bold = standard;
    bold.setBold(true);
    QFont large = standard;
    large.setPointSizeF(standard.pointSizeF() + 3);
    QFont small = standard;
    small.setPointSizeF(std::max(standard.pointSizeF() - 1, 6.0));
    QFont italic = standard;
    italic.setItalic(true);
    const QFont toolkitFonts[kToolkitFontCount] = {standard, fixed, bold, large, small, italic};
    for (int number = 0; number < kToolkitFontCount; ++number) {
        toolkit.fonts[number] = toolkitFonts[number];
    }
    toolkit.currentFont = standard;
}

// The toolkit needs a running QApplication; made here when the program has none yet.
void ensureToolkit() {
    if (toolkit.ready) return;
    if (QApplication::instance() == nullptr) {
        static int argumentCount = 1;
        static char programName[] = "merivane";
        static char* arguments[] = {programName, nullptr};
        new QApplication(argumentCount, arguments);
    }
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(new ToolkitEventFilter);
    setUpGrid();
    setUpFonts();
    toolkit.ready = true;
}

int addMenuRecord(QWidget* widget) {
    Menu menu;
    menu.widget = widget;
    toolkit.menus.push_back(menu);
    return static_cast<int>(toolkit.menus.size());
}

Menu* findMenu(int handle) {
    if (handle < 1 || handle > static_cast<int>(toolkit.menus.size())) return nullptr;
    Menu& menu = toolkit.menus[static_cast<std::size_t>(handle - 1)];
    return menu.widget ? &menu : nullptr;
}

QImage loadImage(const std::string& name) {
    if (name.empty()) return QImage();
    if (name[0] == '$') {
        QString resource = toQt(name.substr(1));
        for (const char* folder : {":/", ":/images/"}) {
            for (const char* extension : {"", ".png", ".bmp", ".ico", ".svg"}) {
                QString path = QLatin1String(folder) + resource + QLatin1String(extension);
                if (QFile::exists(path)) return QImage(path);
            }
        }
        return QImage();
    }
    QString path = toQt(name);
    if (QFileInfo(path).isRelative() && !toolkit.imageFolder.isEmpty()) {
        QString inFolder = QDir(toolkit.imageFolder).filePath(path);
        if (QFile::exists(inFolder)) return QImage(inFolder);
    }
    return QImage(path);
}

// The draw token of the owner-draw event being handled, checked against the control.
QPainter* painterFor(const std::string& form, int id, int drawToken) {
    Control* control = findControl(form, id);
    if (control == nullptr || toolkit.drawPainter == nullptr || drawToken != toolkit.drawToken ||
        control->widget != toolkit.drawWidget) {
        return nullptr;
    }
    return toolkit.drawPainter;
}

enum class ButtonShape { Flat, Bevelled, Rounded, Elliptic };

void drawButton(const std::string& form, int id, int drawToken, int face, int text, int font,
                ButtonShape shape) {
    QPainter* painter = painterFor(form, id, drawToken);
    if (painter == nullptr) return;
    auto* button = qobject_cast<QPushButton*>(toolkit.drawWidget);
    if (button == nullptr) return;
    QColor faceColor = colorOf(face);
    if (!faceColor.isValid()) faceColor = button->palette().color(QPalette::Button);
    QColor textColor = colorOf(text);
    if (!textColor.isValid()) textColor = button->palette().color(QPalette::ButtonText);
    if (!button->isEnabled())
        textColor = button->palette().color(QPalette::Disabled, QPalette::ButtonText);
    bool pressed = button->isDown() || button->isChecked();
    QRectF area = QRectF(button->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->setRenderHint(QPainter::Antialiasing, shape != ButtonShape::Bevelled);
    QColor fill = pressed ? faceColor.darker(115) : faceColor;
    QColor edge = faceColor.darker(160);
    painter->setPen(edge);
    painter->setBrush(fill);
    switch (shape) {
    case ButtonShape::Flat:
        painter->drawRect(area);
        break;
    case ButtonShape::Bevelled: {
        painter->fillRect(button->rect(), fill);
        QColor light = pressed ? faceColor.darker(150) : faceColor.lighter(140);
        QColor dark = pressed ? faceColor.lighter(140) : faceColor.darker(150);
        QRect r = button->rect().adjusted(0, 0, -1, -1);
        painter->setPen(light);
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.topLeft(), r.bottomLeft());
        painter->setPen(dark);
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        break;
    }
    case ButtonShape::Rounded:
        painter->drawRoundedRect(area, 5, 5);
        break;
    case ButtonShape::Elliptic:
        painter->drawRoundedRect(area, area.height() / 2, area.height() / 2);
        break;
    }
    QRect textArea = button->rect();
    if (pressed) textArea.translate(1, 1);
    painter->setFont(fontOf(font));
    painter->setPen(textColor);
    painter->drawText(textArea, Qt::AlignCenter | Qt::TextShowMnemonic, button->text());
    if (button->hasFocus()) {
        QPen focusPen(textColor, 1, Qt::DotLine);
        painter->setPen(focusPen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(button->rect().adjusted(3, 3, -4, -4));
    }
}

} // namespace

// ---- Run loop ----

int ezGuiRun(int argc, char** argv, EzStartCallback start, EzEventCallback event,
             EzDesignCallback design) {
    if (QApplication::instance() == nullptr) {
        static int argumentCount = argc;
        new QApplication(argumentCount, argv);
    }
    ensureToolkit();
    toolkit.event = event;
    toolkit.design = design;
    if (start != nullptr) start();
    if (toolkit.forms.empty()) return 0;
    QEventLoop loop;
    QEventLoop* outerLoop = toolkit.mainLoop;
    toolkit.mainLoop = &loop;
    loop.exec();
    toolkit.mainLoop = outerLoop;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

void ezDoEvents(int milliseconds) {
    ensureToolkit();
    QCoreApplication::processEvents(QEventLoop::AllEvents, std::max(milliseconds, 0));
}

void ezPostEvent(const std::string& form, int controlId, int value) {
    ensureToolkit();
    QMetaObject::invokeMethod(
        qApp,
        [form, controlId, value] {
            if (findForm(form) != nullptr) raiseEvent(form, controlId, kEventPosted, value);
        },
        Qt::QueuedConnection);
}

void ezAllowKeyEvents(int mode) {
    toolkit.keyEvents = mode != 0;
}
void ezAllowCommandEvents(int) {}
void ezAllowNotifyEvents(int) {}
void ezAllowMouseMoveEvents(int) {}
void ezAllowCursorEvents(int) {}
void ezAllowLoadingEvent(int mode) {
    toolkit.loadingMode = mode;
}

void ezSetLoadStr(const std::string& text) {
    toolkit.loadString = text;
    toolkit.loadStringSet = true;
}

// ---- Forms ----

void ezForm(const std::string& name, const std::string& parent, const std::string& title,
            double column, double row, double width, double height, const std::string& properties) {
    ensureToolkit();
    if (findForm(name) != nullptr) {
        ezBringToFront(name);
        return;
    }
    Form* parentForm = parent == name ? nullptr : findForm(parent);
    QWidget* parentWindow = parentForm != nullptr ? parentForm->window.data() : nullptr;
    auto* window = new QWidget(parentWindow, parentWindow != nullptr ? Qt::Dialog : Qt::Window);
    window->setProperty(kFormProperty, QString::fromStdString(name));
    window->setWindowTitle(toQt(title));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* client = new QWidget(window);
    client->setProperty(kClientProperty, true);
    layout->addWidget(client);
    if (Menu* bar = findMenu(toolkit.pendingMainMenu)) {
        layout->setMenuBar(bar->widget);
        bar->form = name;
    }
    QColor background = colorOf(toolkit.currentBackground);
    if (background.isValid()) {
        QPalette palette = client->palette();
        palette.setColor(QPalette::Window, background);
        client->setPalette(palette);
        client->setAutoFillBackground(true);
    }
    QSize clientSize(toPixelsAcross(width), toPixelsDown(height));
    bool resizable = hasLetter(properties, 'Z');
    if (resizable) {
        client->resize(clientSize);
        window->resize(clientSize.width(), clientSize.height() + menuBarHeight(window));
    } else {
        client->setFixedSize(clientSize);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    bool modal = hasLetter(properties, 'M');
    if (modal) window->setWindowModality(Qt::ApplicationModal);

    Form& form = toolkit.forms[name];
    form = Form{};
    form.name = name;
    form.parent = parentForm != nullptr ? parent : std::string();
    form.window = window;
    form.client = client;
    form.resizable = resizable;
    if (toolkit.pendingMainMenu != 0) form.savedMenus[0] = toolkit.pendingMainMenu;
    toolkit.pendingMainMenu = 0;
    toolkit.loadOrder.push_back(name);
    toolkit.currentAnchors.clear();
    toolkit.currentLayer = 0;

    raiseEvent(name, 0, kEventLoading, 0);
    if (findForm(name) == nullptr) return;
    toolkit.designing.push_back(name);
    if (toolkit.design != nullptr) toolkit.design(name);
    toolkit.designing.pop_back();
    if (findForm(name) == nullptr) return;
    layout->activate();
    // The native window exists before the form is seen, so its frame can be measured.
    window->winId();
    if (hasLetter(properties, 'C')) {
        QRect screen = QApplication::primaryScreen()->availableGeometry();
        QSize outer = window->frameGeometry().size();
        window->move(screen.left() + (screen.width() - outer.width()) / 2,
                     screen.top() + (screen.height() - outer.height()) / 2);
    } else {
        window->move(toPixelsAcross(column), toPixelsDown(row));
    }
    raiseEvent(name, 0, kEventLoaded, 0);
    if (findForm(name) == nullptr) return;
    window->show();
    window->raise();
    window->activateWindow();
    raiseEvent(name, 0, kEventStarted, 0);
    Form* shown = findForm(name);
    if (!modal || shown == nullptr) return;
    QEventLoop loop;
    shown->modalLoop = &loop;
    loop.exec();
}

void ezUnloadForm(const std::string& name) {
    Form* form = findForm(name);
    if (form == nullptr || form->unloading) return;
    form->unloading = true;
    std::vector<std::string> owned;
    for (const auto& [otherName, other] : toolkit.forms) {
        if (other.parent == name && otherName != name) owned.push_back(otherName);
    }
    for (const std::string& child : owned)
        ezUnloadForm(child);
    raiseEvent(name, 0, kEventUnload, 0);
    form = findForm(name);
    if (form == nullptr) return;
    QWidget* window = form->window;
    QEventLoop* loop = form->modalLoop;
    toolkit.forms.erase(name);
    std::erase(toolkit.loadOrder, name);
    if (window != nullptr) {
        window->hide();
        window->deleteLater();
    }
    if (loop != nullptr) loop->quit();
    if (toolkit.forms.empty() && toolkit.mainLoop != nullptr) toolkit.mainLoop->quit();
}

std::string ezCurrentForm() {
    for (auto name = toolkit.dispatching.rbegin(); name != toolkit.dispatching.rend(); ++name) {
        if (findForm(*name) != nullptr) return *name;
    }
    if (!toolkit.designing.empty() && findForm(toolkit.designing.back()) != nullptr) {
        return toolkit.designing.back();
    }
    std::string active = formNameOf(QApplication::activeWindow());
    if (findForm(active) != nullptr) return active;
    for (auto name = toolkit.loadOrder.rbegin(); name != toolkit.loadOrder.rend(); ++name) {
        if (findForm(*name) != nullptr) return *name;
    }
    return {};
}

bool ezFormLoaded(const std::string& name) {
    return findForm(name) != nullptr;
}

void ezSetFormIcon(const std::string& form, const std::string& icon) {
    Form* record = findForm(form);
    auto found = toolkit.pictures.find(icon);
    if (record == nullptr || found == toolkit.pictures.end()) return;
    record->window->setWindowIcon(QIcon(QPixmap::fromImage(found->second)));
}

void ezSetFormMinMax(const std::string& form, double minWidth, double minHeight, double maxWidth,
                     double maxHeight) {
    Form* record = findForm(form);
    if (record == nullptr || !record->resizable) return;
    auto limit = [](int pixels) { return std::min(std::max(pixels, 0), QWIDGETSIZE_MAX); };
    record->client->setMinimumSize(limit(toPixelsAcross(minWidth)), limit(toPixelsDown(minHeight)));
    record->client->setMaximumSize(limit(toPixelsAcross(maxWidth)), limit(toPixelsDown(maxHeight)));
}

void ezResizeForm(const std::string& form, double width, double height) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    QSize size(toPixelsAcross(width), toPixelsDown(height));
    if (record->resizable) {
        record->window->resize(size.width(), size.height() + menuBarHeight(record->window));
    } else {
        record->client->setFixedSize(size);
        record->window->layout()->activate();
    }
}

void ezBringToFront(const std::string& form) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    if (record->window->isMinimized()) record->window->showNormal();
    record->window->raise();
    record->window->activateWindow();
}

EzRect ezWindowRect(const std::string& form) {
    Form* record = findForm(form);
    if (record == nullptr) return EzRect{0, 0, 0, 0};
    QRect frame = record->window->frameGeometry();
    return EzRect{frame.left(), frame.top(), frame.width(), frame.height()};
}

int ezScreenWidth() {
    ensureToolkit();
    return QApplication::primaryScreen()->geometry().width();
}

int ezScreenHeight() {
    ensureToolkit();
    return QApplication::primaryScreen()->geometry().height();
}

int ezCaptionHeight() {
    ensureToolkit();
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

void ezMoveForm(const std::string& form, int x, int y) {
    if (Form* record = findForm(form)) record->window->move(x, y);
}

void ezSetLayer(int layer) {
    toolkit.currentLayer = std::max(layer, 0);
}

void ezDisplayLayer(const std::string& form, int layer) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    record->displayedLayer = layer;
    for (auto& [id, control] : record->controls)
        updateVisibility(*record, control);
}

// ---- Controls ----

void ezText(int id, double column, double row, double width, double height, const std::string& text,
            const std::string& properties) {
    std::string content = text;
    addControl(id, ControlKind::Text, toPixelRect(column, row, width, height), content, properties);
}

void ezLabel(int id, double column, double row, double width, double height,
             const std::string& text, const std::string& properties) {
    std::string content = text;
    addControl(id, ControlKind::Label, toPixelRect(column, row, width, height), content,
               properties);
}

void ezButton(int id, double column, double row, double width, double height,
              const std::string& caption, const std::string& properties) {
    std::string content = caption;
    addControl(id, ControlKind::Button, toPixelRect(column, row, width, height), content,
               properties);
}

void ezODButton(int id, double column, double row, double width, double height,
                const std::string& caption, const std::string& properties) {
    std::string content = caption;
    addControl(id, ControlKind::OwnerDrawButton, toPixelRect(column, row, width, height), content,
               properties);
}

void ezCheckBox(int id, double column, double row, double width, double height,
                const std::string& caption, const std::string& properties) {
    std::string content = caption;
    addControl(id, ControlKind::CheckBox, toPixelRect(column, row, width, height), content,
               properties);
}

void ezRadio(int id, double column, double row, double width, double height,
             const std::string& caption, const std::string& properties) {
    std::string content = caption;
    addControl(id, ControlKind::Radio, toPixelRect(column, row, width, height), content,
               properties);
}

void ezFrame(int id, double column, double row, double width, double height,
             const std::string& caption, const std::string& properties) {
    std::string content = caption;
    addControl(id, ControlKind::Frame, toPixelRect(column, row, width, height), content,
               properties);
}

void ezPicture(int id, double column, double row, double width, double height,
               const std::string& picture, const std::string& properties) {
    std::string content = picture;
    addControl(id, ControlKind::Picture, toPixelRect(column, row, width, height), content,
               properties);
}

void ezProgressBar(int id, double column, double row, double width, double height,
                   const std::string& properties) {
    std::string content;
    addControl(id, ControlKind::ProgressBar, toPixelRect(column, row, width, height), content,
               properties);
}

void ezStatusBar(int id, const std::string& text, const std::string& properties) {
    std::string content = text;
    Control* control = addControl(id, ControlKind::StatusBar, QRect(), content, properties);
    if (control != nullptr && !control->statusParts.empty()) {
        setStatusPartText(control->statusParts[0], content);
    }
}

void ezRichText(int id, double column, double row, double width, double height,
                const std::string& text, const std::string& properties) {
    std::string content = text;
    addControl(id, ControlKind::RichText, toPixelRect(column, row, width, height), content,
               properties);
}

// ---- Control state ----

void ezSetText(const std::string& form, int id, const std::string& text) {
    if (id == 0) {
        if (Form* record = findForm(form)) record->window->setWindowTitle(toQt(text));
        return;
    }
    Control* control = findControl(form, id);
    if (control == nullptr) return;
    control->text = text;
    QWidget* widget = control->widget;
    switch (control->kind) {
    case ControlKind::Text:
        if (auto* line = qobject_cast<QLineEdit*>(widget)) line->setText(toQt(text));
        if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
            edit->setPlainText(withoutCarriageReturns(text));
        }
        break;
    case ControlKind::Label:
        static_cast<QLabel*>(widget)->setText(withLineBreaks(text));
        break;
    case ControlKind::Button:
    case ControlKind::OwnerDrawButton:
    case ControlKind::Radio:
        static_cast<QAbstractButton*>(widget)->setText(toQt(text));
        break;
    case ControlKind::CheckBox:
        static_cast<QAbstractButton*>(widget)->setText(withLineBreaks(text));
        break;
    case ControlKind::Frame:
        static_cast<QGroupBox*>(widget)->setTitle(toQt(text));
        break;
    case ControlKind::StatusBar:
        if (!control->statusParts.empty()) setStatusPartText(control->statusParts[0], text);
        break;
    case ControlKind::RichText:
        static_cast<QTextBrowser*>(widget)->setPlainText(withoutCarriageReturns(text));
        break;
    case ControlKind::Picture:
    case ControlKind::ProgressBar:
        break;
    }
}

std::string ezGetText(const std::string& form, int id) {
    if (id == 0) {
        Form* record = findForm(form);
        return record != nullptr ? fromQt(record->window->windowTitle()) : std::string();
    }
    Control* control = findControl(form, id);
    if (control == nullptr) return {};
    QWidget* widget = control->widget;
    switch (control->kind) {
    case ControlKind::Text:
        if (auto* line = qobject_cast<QLineEdit*>(widget)) return fromQt(line->text());
        if (auto* edit = qobject_cast<QTextEdit*>(widget)) return fromQt(edit->toPlainText());
        return {};
    case ControlKind::Button:
    case ControlKind::OwnerDrawButton:
    case ControlKind::Radio:
        return fromQt(static_cast<QAbstractButton*>(widget)->text());
    case ControlKind::Frame:
        return fromQt(static_cast<QGroupBox*>(widget)->title());
    case ControlKind::RichText:
        return fromQt(static_cast<QTextBrowser*>(widget)->toPlainText());
    default:
        return control->text;
    }
}

void ezSetCheck(const std::string& form, int id, int checked) {
    Control* control = findControl(form, id);
    if (control == nullptr) return;
    auto* button = qobject_cast<QAbstractButton*>(control->widget.data());
    if (button == nullptr || !button->isCheckable()) return;
    QButtonGroup* group = button->group();
    // An exclusive group refuses to untick its ticked radio; the program may do so.
    bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && checked == 0) group->setExclusive(false);
    button->setChecked(checked != 0);
    if (exclusive && checked == 0) group->setExclusive(true);
}

int ezGetCheck(const std::string& form, int id) {
    Control* control = findControl(form, id);
    if (control == nullptr) return 0;
    auto* button = qobject_cast<QAbstractButton*>(control->widget.data());
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void ezEnableC(const std::string& form, int id) {
    if (Control* control = findControl(form, id)) control->widget->setEnabled(true);
}

void ezDisableC(const std::string& form, int id) {
    if (Control* control = findControl(form, id)) control->widget->setEnabled(false);
}

void ezShowC(const std::string& form, int id) {
    Control* control = findControl(form, id);
    if (control == nullptr) return;
    control->hiddenByProgram = false;
    updateVisibility(*findForm(form), *control);
}

void ezHideC(const std::string& form, int id) {
    Control* control = findControl(form, id);
    if (control == nullptr) return;
    control->hiddenByProgram = true;
    updateVisibility(*findForm(form), *control);
}

int ezIsControl(const std::string& form, int id, const std::string& what) {
    Control* control = findControl(form, id);
    if (control == nullptr) return 0;
    if (hasLetter(what, 'E') && !control->widget->isEnabled()) return 0;
    if (hasLetter(what, 'V') &&
        (control->hiddenByProgram || !layerShown(*findForm(form), *control))) {
        return 0;
    }
    return 1;
}

void ezSetFocus(const std::string& form, int id) {
    if (id == 0) {
        if (Form* record = findForm(form)) record->window->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (Control* control = findControl(form, id)) control->widget->setFocus(Qt::OtherFocusReason);
}

int ezGetFocusId(const std::string& form) {
    Form* record = findForm(form);
    if (record == nullptr) return 0;
    return controlIdOf(record->window->focusWidget());
}

void ezSetTextSelection(const std::string& form, int id, int start, int end) {
    Control* control = findControl(form, id);
    if (control == nullptr) return;
    if (auto* line = qobject_cast<QLineEdit*>(control->widget.data())) {
        int length = static_cast<int>(line->text().size());
        int from = std::clamp(start, 0, length);
        int to = std::clamp(end, 0, length);
        if (from == to) {
            line->deselect();
            line->setCursorPosition(from);
        } else {
            line->setSelection(from, to - from);
        }
    }
}

void ezSetUserData(const std::string& form, int slot, int value) {
    if (Form* record = findForm(form)) record->userData[slot] = value;
}

int ezGetUserData(const std::string& form, int slot) {
    Form* record = findForm(form);
    if (record == nullptr) return 0;
    auto found = record->userData.find(slot);
    return found != record->userData.end() ? found->second : 0;
}

void ezSetSBParts(const std::string& form, int id, int count, const std::string& percentages) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::StatusBar || count < 1) return;
    std::vector<std::string> pieces = splitText(percentages, '|');
    control->statusPercentages.clear();
    for (int part = 0; part < count; ++part) {
        int percent = part < static_cast<int>(pieces.size())
                          ? leadingInteger(pieces[static_cast<std::size_t>(part)])
                          : 0;
        control->statusPercentages.push_back(std::clamp(percent, 0, 100));
    }
    while (static_cast<int>(control->statusParts.size()) < count) {
        auto* part = new QLabel(control->widget);
        part->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        part->setFont(control->statusParts.empty() ? control->widget->font()
                                                   : control->statusParts[0]->font());
        part->show();
        control->statusParts.push_back(part);
    }
    while (static_cast<int>(control->statusParts.size()) > count) {
        if (control->statusParts.back()) control->statusParts.back()->deleteLater();
        control->statusParts.pop_back();
    }
    placeStatusParts(*control);
}

void ezSetSBText(const std::string& form, int id, int part, const std::string& text) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::StatusBar || part < 0 ||
        part >= static_cast<int>(control->statusParts.size())) {
        return;
    }
    setStatusPartText(control->statusParts[static_cast<std::size_t>(part)], text);
}

void ezSetPBar(const std::string& form, int id, int minimum, int maximum, int value) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::ProgressBar) return;
    auto* bar = static_cast<QProgressBar*>(control->widget.data());
    bar->setRange(minimum, std::max(minimum, maximum));
    bar->setValue(std::clamp(value, minimum, std::max(minimum, maximum)));
}

void ezSetRichText(const std::string& form, int id, const std::string& text, int format) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::RichText) return;
    auto* browser = static_cast<QTextBrowser*>(control->widget.data());
#ifdef MERIVANE_HAVE_RTF
    if (format == kRichTextRtf) {
        fillDocumentFromRtf(*browser->document(), text);
    } else {
        browser->setPlainText(withoutCarriageReturns(text));
    }
#else
    (void)format;
    browser->setPlainText(withoutCarriageReturns(text));
#endif
    if (control->richTextLimit > 0 &&
        browser->document()->characterCount() > control->richTextLimit) {
        QTextCursor cursor(browser->document());
        cursor.setPosition(control->richTextLimit);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    browser->moveCursor(QTextCursor::Start);
}

void ezSetRichTextLen(const std::string& form, int id, int length) {
    Control* control = findControl(form, id);
    if (control != nullptr && control->kind == ControlKind::RichText) {
        control->richTextLimit = std::max(length, 0);
    }
}

// ---- Menus ----

namespace {

void addMenuItem(Menu& menu, int handle, int id, const std::string& text) {
    QAction* action = nullptr;
    if (text == "-") {
        if (auto* bar = qobject_cast<QMenuBar*>(menu.widget.data())) {
            action = bar->addSeparator();
        } else {
            action = static_cast<QMenu*>(menu.widget.data())->addSeparator();
        }
    } else {
        action = new QAction(toQt(text), menu.widget);
        menu.widget->addAction(action);
        QObject::connect(action, &QAction::triggered, [handle, id] {
            Menu* owner = findMenu(handle);
            std::string form =
                owner != nullptr && !owner->form.empty() ? owner->form : ezCurrentForm();
            raiseClick(form, id);
        });
    }
    menu.items[id] = action;
}

} // namespace

int ezDefMainMenu(int id, const std::string& text, const std::string&) {
    ensureToolkit();
    int handle = addMenuRecord(new QMenuBar(nullptr));
    addMenuItem(*findMenu(handle), handle, id, text);
    toolkit.pendingMainMenu = handle;
    return handle;
}

int ezDefSubMenu(int id, const std::string& text, const std::string&) {
    ensureToolkit();
    int handle = addMenuRecord(new QMenu(nullptr));
    addMenuItem(*findMenu(handle), handle, id, text);
    return handle;
}

void ezAddMenuItem(int menu, int id, const std::string& text, const std::string&) {
    if (Menu* record = findMenu(menu)) addMenuItem(*record, menu, id, text);
}

void ezSetSubMenu(int menu, int itemId, int subMenu) {
    Menu* parent = findMenu(menu);
    Menu* child = findMenu(subMenu);
    if (parent == nullptr || child == nullptr) return;
    auto item = parent->items.find(itemId);
    auto* dropDown = qobject_cast<QMenu*>(child->widget.data());
    if (item == parent->items.end() || !item->second || dropDown == nullptr) return;
    dropDown->setParent(parent->widget, dropDown->windowFlags());
    item->second->setMenu(dropDown);
    if (child->form.empty()) child->form = parent->form;
}

void ezSaveMenu(const std::string& form, int number, int menu) {
    Form* record = findForm(form);
    Menu* saved = findMenu(menu);
    if (record == nullptr || saved == nullptr) return;
    record->savedMenus[number] = menu;
    saved->form = form;
}

int ezGetMenu(const std::string& form, int number) {
    Form* record = findForm(form);
    if (record == nullptr) return 0;
    auto found = record->savedMenus.find(number);
    return found != record->savedMenus.end() ? found->second : 0;
}

// The table is key name, comma, control ID, repeated: "F1,911".
void ezDefAccel(const std::string& form, const std::string& table) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    for (QPointer<QShortcut>& old : record->accelerators) {
        if (old) old->deleteLater();
    }
    record->accelerators.clear();
    std::vector<std::string> fields = splitText(table, ',');
    for (std::size_t index = 0; index + 1 < fields.size(); index += 2) {
        QKeySequence keys = QKeySequence::fromString(toQt(trimBlanks(fields[index])));
        int id = leadingInteger(trimBlanks(fields[index + 1]));
        if (keys.isEmpty() || id == 0) continue;
        auto* shortcut = new QShortcut(keys, record->window);
        shortcut->setContext(Qt::WindowShortcut);
        std::string formName = form;
        QObject::connect(shortcut, &QShortcut::activated,
                         [formName, id] { raiseClick(formName, id); });
        record->accelerators.push_back(shortcut);
    }
}

// ---- Tooltips ----

void ezDefTooltipProp(int foreground, int background, const std::string& properties) {
    ensureToolkit();
    QPalette palette = QToolTip::palette();
    if (QColor text = colorOf(foreground); text.isValid()) {
        palette.setColor(QPalette::ToolTipText, text);
    }
    if (QColor base = colorOf(background); base.isValid()) {
        palette.setColor(QPalette::ToolTipBase, base);
    }
    QToolTip::setPalette(palette);
    toolkit.tooltipWrapColumns = bracketNumber(properties);
}

void ezAddTooltip(const std::string& form, int id) {
    if (Control* control = findControl(form, id)) control->hasTooltip = true;
}

void ezSetTooltip(const std::string& text) {
    toolkit.tooltipText = text;
}

// ---- Pictures ----

void ezDefImageFolder(const std::string& folder) {
    QString path = toQt(folder);
    if (QFileInfo(path).isRelative())
        path = QDir(QCoreApplication::applicationDirPath()).filePath(path);
    toolkit.imageFolder = path;
}

std::string ezLoadPicture(const std::string& name) {
    ensureToolkit();
    if (toolkit.pictures.count(name) != 0) return name;
    QImage image = loadImage(name);
    if (image.isNull()) return {};
    toolkit.pictures[name] = image;
    return name;
}

std::string ezLoadIcon(const std::string& name) {
    return ezLoadPicture(name);
}

void ezSetImage(const std::string& form, int id, const std::string& picture) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::Picture) return;
    auto* label = static_cast<QLabel*>(control->widget.data());
    auto found = toolkit.pictures.find(picture);
    if (found == toolkit.pictures.end()) {
        label->clear();
        return;
    }
    label->setPixmap(QPixmap::fromImage(found->second));
}

void ezGetPictureSize(const std::string& picture, int& width, int& height) {
    auto found = toolkit.pictures.find(picture);
    width = found != toolkit.pictures.end() ? found->second.width() : 0;
    height = found != toolkit.pictures.end() ? found->second.height() : 0;
}

// ---- Fonts, colours, drawing ----

void ezDefFont(int number, const std::string& face, double points, const std::string& properties) {
    ensureToolkit();
    toolkit.fonts[number] = makeFont(face, points, properties);
}

void ezUseFont(int number) {
    ensureToolkit();
    toolkit.currentFont = fontOf(number);
}

void ezUseIFont(const std::string& face, double points, const std::string& properties) {
    ensureToolkit();
    toolkit.currentFont = makeFont(face, points, properties);
}

void ezUseAutoSize(const std::string& anchors) {
    toolkit.currentAnchors = anchors;
}

void ezColor(int foreground, int background) {
    toolkit.currentForeground = foreground;
    toolkit.currentBackground = background;
}

void ezDefColor(int number, int red, int green, int blue) {
    ColorDefinition definition;
    definition.rgb =
        QColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
    toolkit.colors[number] = definition;
}

void ezDefSystemColor(int number, int systemColor) {
    ColorDefinition definition;
    definition.system = true;
    definition.systemIndex = systemColor;
    toolkit.colors[number] = definition;
}

EzSize ezGetTextSize(int font, const std::string& text) {
    ensureToolkit();
    // A line takes whole pixels down, as a label lays it out.
    QFontMetricsF metrics(fontOf(font));
    double width = metrics.horizontalAdvance(toQt(text));
    double height = std::ceil(std::max(metrics.height(), metrics.lineSpacing()));
    return EzSize{width / toolkit.columnPixels, height / toolkit.rowPixels};
}

double ezCX(int pixels) {
    ensureToolkit();
    return pixels / toolkit.columnPixels;
}

double ezCY(int pixels) {
    ensureToolkit();
    return pixels / toolkit.rowPixels;
}

void ezDrawColorButton(const std::string& form, int id, int drawToken, int face, int text,
                       int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Flat);
}

void ezDraw3DButton(const std::string& form, int id, int drawToken, int face, int text, int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Bevelled);
}

void ezDraw3DButtonRR(const std::string& form, int id, int drawToken, int face, int text,
                      int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Rounded);
}

void ezDraw3DButtonE(const std::string& form, int id, int drawToken, int face, int text, int font) {
    drawButton(form, id, drawToken, face, text, font, ButtonShape::Elliptic);
}

// ---- Desktop ----

std::string ezAppPath() {
    ensureToolkit();
    return fromQt(QCoreApplication::applicationDirPath()) + "/";
}

bool ezOpenUrl(const std::string& url) {
    ensureToolkit();
    return QDesktopServices::openUrl(QUrl(toQt(url)));
}

bool ezOpenFile(const std::string& path) {
    ensureToolkit();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQt(path)));
}

void ezPlainMessage(const std::string& caption, const std::string& text) {
    ensureToolkit();
    QMessageBox box(QMessageBox::NoIcon, toQt(caption), toQt(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void ezShowHelpTopic(const std::string& htmlFile) {
    ensureToolkit();
    if (!toolkit.helpWindow) {
        toolkit.helpWindow = new QTextBrowser;
        toolkit.helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        toolkit.helpWindow->setOpenExternalLinks(true);
        toolkit.helpWindow->resize(toPixelsAcross(70), toPixelsDown(30));
    }
    toolkit.helpWindow->setSource(QUrl::fromLocalFile(toQt(htmlFile)));
    toolkit.helpWindow->setWindowTitle(toolkit.helpWindow->documentTitle());
    toolkit.helpWindow->show();
    toolkit.helpWindow->raise();
    toolkit.helpWindow->activateWindow();
}

// Controls made on the form in design, one small maker per kind.
#include "gui/adapter.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTextEdit>

using namespace adapter;

namespace {

constexpr int kStatusBarPaddingPixels = 8;
constexpr int kTightMarginPixels = 1;
// A check box's or radio's box against the form's face, as WCAG asks of controls' parts.
constexpr double kIndicatorContrast = 3.0;

// Styles draw the box of a check box or radio in the palette's base colour and edge it with a
// shade of the face; on a dark face both vanish, so the box is lightened until it stands out.
void keepIndicatorVisible(QPalette& palette) {
    QColor face = palette.color(QPalette::Window);
    bool darkFace = contrastRatio(face, Qt::white) > contrastRatio(face, Qt::black);
    if (!darkFace) return;
    QColor box = readableOn(palette.color(QPalette::Base), face, kIndicatorContrast);
    palette.setColor(QPalette::Base, box);
    palette.setColor(QPalette::Text,
                     readableOn(palette.color(QPalette::Text), box, kIndicatorContrast));
}

Form* designForm() {
    std::string name = toolkit.designing.empty() ? ezCurrentForm() : toolkit.designing.back();
    return findForm(name);
}

void applyColors(QWidget* widget, ControlKind kind) {
    QColor foreground = colorOf(toolkit.currentForeground);
    QColor background = colorOf(toolkit.currentBackground);
    QPalette palette = widget->palette();
    // A fixed colour meets the desktop's colours here: a dark theme must not swallow the text.
    bool fixedForeground = foreground.isValid() && !followsDesktop(toolkit.currentForeground);
    bool fixedBackground = background.isValid() && !followsDesktop(toolkit.currentBackground);
    QColor ground = background.isValid() ? background : palette.color(QPalette::Window);
    if (fixedForeground || fixedBackground) {
        QColor text = foreground.isValid() ? foreground : palette.color(QPalette::WindowText);
        QColor readable = legibleOn(text, ground, palette.color(QPalette::WindowText));
        if (readable != text) foreground = readable;
    }
    if (kind == ControlKind::CheckBox || kind == ControlKind::Radio) {
        // They paint the form's face behind them, not a button's.
        widget->setBackgroundRole(QPalette::Window);
        if (background.isValid()) palette.setColor(QPalette::Window, background);
        keepIndicatorVisible(palette);
    }
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

// The form in design, after the control's loading event (when on) has had its say about the
// text; a control of the same ID made earlier goes. Returns nullptr when there is no such form.
Form* startControl(int id, std::string& text) {
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
    return form;
}

// Gives the new widget the current font, colours, anchors and layer and records it.
Control& recordControl(Form& form, int id, ControlKind kind, QWidget* widget, QRect rect,
                       const std::string& text, const std::string& properties) {
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

    Control& control = form.controls[id];
    control = Control{};
    control.widget = widget;
    control.kind = kind;
    control.layer = toolkit.currentLayer;
    control.designRect = rect;
    control.clientSizeAtCreation = form.client->size();
    control.anchors = toolkit.currentAnchors;
    control.text = text;
    control.ground = colorOf(toolkit.currentBackground);
    control.hiddenByProgram = hasLetter(properties, 'H');
    bool button = kind == ControlKind::Button || kind == ControlKind::OwnerDrawButton;
    control.defaultButton = button && hasLetter(properties, 'D');
    control.escapeButton = button && hasLetter(properties, 'X');
    // Marked as Qt marks a dialog's default button, for screen readers and the eye alike.
    if (auto* push = qobject_cast<QPushButton*>(widget); push != nullptr && control.defaultButton)
        push->setDefault(true);
    updateVisibility(form, control);
    return control;
}

void raiseTextChanged(const std::string& formName, int id) {
    if (findForm(formName) != nullptr) raiseEvent(formName, id, kEventTextChanged, 0);
}

// At a fractional scale (1.5) the opaque inner area of a text box, rounded outwards to whole
// screen pixels, paints over the frame's bottom and right lines; the box paints its ground
// itself instead, under its frame.
void keepFrameLines(QAbstractScrollArea* box) {
    box->viewport()->setAutoFillBackground(false);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);
}

// Text to read, select and copy, not to type: it sits on the form's face. On one line a longer
// text is cut at the box's end rather than wrapped out of sight.
void showReadOnly(QTextEdit* edit, bool oneLine) {
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    if (!oneLine) return;
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QWidget* makeDateField(Form& form, int id, const std::string& text) {
    auto* field = new QDateEdit(form.client);
    field->setDisplayFormat(QString::fromLatin1(kDateFieldFormat));
    field->setCalendarPopup(true);
    // The broadcast week runs Monday to Sunday, whatever the locale's own week.
    field->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    const QDate date = QDate::fromString(toQt(text), Qt::ISODate);
    if (date.isValid()) field->setDate(date);
    std::string formName = form.name;
    QObject::connect(field, &QDateEdit::dateChanged,
                     [formName, id] { raiseTextChanged(formName, id); });
    return field;
}

QWidget* makeTextBox(Form& form, int id, const std::string& text, const std::string& properties) {
    std::string formName = form.name;
    const bool readOnly = hasLetter(properties, 'R');
    // Read-only text is a text box even on one line: Qt tells screen readers that a read-only
    // line field is editable.
    if (hasLetter(properties, 'M') || readOnly) {
        auto* edit = new QTextEdit(form.client);
        if (readOnly) showReadOnly(edit, !hasLetter(properties, 'M'));
        keepFrameLines(edit);
        edit->setAcceptRichText(false);
        edit->setVerticalScrollBarPolicy(hasLetter(properties, 'V') ? Qt::ScrollBarAsNeeded
                                                                    : Qt::ScrollBarAlwaysOff);
        // Without a scroll bar every line must show: the layouts give such a box just the
        // height of its lines, which Qt's wider inner margin would cut.
        if (!hasLetter(properties, 'V')) edit->document()->setDocumentMargin(kTightMarginPixels);
        if (hasLetter(properties, 'C')) {
            QTextOption option = edit->document()->defaultTextOption();
            option.setAlignment(Qt::AlignHCenter);
            edit->document()->setDefaultTextOption(option);
        }
        edit->setPlainText(withoutCarriageReturns(text));
        QObject::connect(edit, &QTextEdit::textChanged,
                         [formName, id] { raiseTextChanged(formName, id); });
        return edit;
    }
    if (hasLetter(properties, 'D')) return makeDateField(form, id, text);
    auto* edit = new QLineEdit(form.client);
    if (hasLetter(properties, 'C')) edit->setAlignment(Qt::AlignCenter);
    if (int limit = bracketNumber(properties); limit > 0) edit->setMaxLength(limit);
    if (hasLetter(properties, 'N')) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    edit->setText(toQt(text));
    QObject::connect(edit, &QLineEdit::textChanged,
                     [formName, id] { raiseTextChanged(formName, id); });
    return edit;
}

QWidget* makeLabel(Form& form, const std::string& text, const std::string& properties) {
    auto* label = new QLabel(form.client);
    label->setTextFormat(Qt::PlainText);
    label->setText(withLineBreaks(text));
    Qt::Alignment across = Qt::AlignLeft;
    if (hasLetter(properties, 'C')) across = Qt::AlignHCenter;
    if (hasLetter(properties, 'R')) across = Qt::AlignRight;
    label->setAlignment(across | Qt::AlignTop);
    return label;
}

QWidget* makeButton(Form& form, int id, const std::string& caption, bool ownerDrawn) {
    auto* button = new QPushButton(toQt(caption), form.client);
    button->setAutoDefault(false);
    if (ownerDrawn) button->setProperty(kOwnerDrawProperty, true);
    std::string formName = form.name;
    QObject::connect(button, &QPushButton::clicked, [formName, id] { raiseClick(formName, id); });
    return button;
}

QWidget* makeCheckBox(Form& form, int id, const std::string& caption) {
    auto* box = new QCheckBox(withLineBreaks(caption), form.client);
    box->setAutoFillBackground(true);
    std::string formName = form.name;
    QObject::connect(box, &QCheckBox::clicked, [formName, id] { raiseClick(formName, id); });
    return box;
}

QWidget* makeRadio(Form& form, int id, const std::string& caption, const std::string& properties) {
    auto* radio = new QRadioButton(toQt(caption), form.client);
    // Like a dialog's buttons, it paints the form's face, hiding a frame line behind it.
    radio->setAutoFillBackground(true);
    if (hasLetter(properties, 'G') || !form.radioGroup) {
        form.radioGroup = new QButtonGroup(form.client);
        form.radioGroup->setExclusive(true);
    }
    form.radioGroup->addButton(radio);
    std::string formName = form.name;
    QObject::connect(radio, &QRadioButton::clicked, [formName, id] { raiseClick(formName, id); });
    QObject::connect(radio, &QRadioButton::toggled, [formName] {
        if (Form* owner = findForm(formName)) updateRadioTabStops(*owner);
    });
    return radio;
}

QWidget* makeFrame(Form& form, const std::string& caption) {
    auto* frame = new QGroupBox(toQt(caption), form.client);
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
    return frame;
}

QWidget* makePicture(Form& form, const std::string& picture, const std::string& properties) {
    auto* label = new QLabel(form.client);
    label->setAlignment(hasLetter(properties, 'C') ? Qt::AlignCenter
                                                   : Qt::AlignLeft | Qt::AlignTop);
    if (hasLetter(properties, 'F')) label->setFrameStyle(QFrame::Box | QFrame::Plain);
    if (hasLetter(properties, 'R')) label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    if (hasLetter(properties, 'S')) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setProperty(kFitsPictureProperty, hasLetter(properties, 'Z'));
    // A picture with a tab stop is one the user acts on (a preview that opens).
    if (hasLetter(properties, 'T')) label->setFocusPolicy(Qt::StrongFocus);
    if (toolkit.pictures.count(picture) != 0) label->setPixmap(pixmapFor(picture, label));
    return label;
}

QWidget* makeProgressBar(Form& form) {
    auto* bar = new QProgressBar(form.client);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QWidget* makeRichText(Form& form, const std::string& text, const std::string& properties) {
    auto* browser = new QTextBrowser(form.client);
    keepFrameLines(browser);
    browser->setOpenExternalLinks(true);
    browser->setVerticalScrollBarPolicy(hasLetter(properties, 'V') ? Qt::ScrollBarAsNeeded
                                                                   : Qt::ScrollBarAlwaysOff);
    browser->setPlainText(withoutCarriageReturns(text));
    return browser;
}

} // namespace

namespace adapter {

void keepTextReadableOnBands(Form& form) {
    for (auto& [id, control] : form.controls) {
        bool drawsText = control.kind == ControlKind::Label ||
                         control.kind == ControlKind::CheckBox ||
                         control.kind == ControlKind::Radio;
        if (!control.widget || !drawsText || control.ground.isValid()) continue;
        for (const auto& [bandId, band] : form.controls) {
            if (bandId == id || band.kind != ControlKind::Label || !band.ground.isValid() ||
                !band.designRect.contains(control.designRect)) {
                continue;
            }
            QPalette palette = control.widget->palette();
            for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
                palette.setColor(role,
                                 readableOn(palette.color(role), band.ground, kReadableContrast));
            }
            control.widget->setPalette(palette);
            break;
        }
    }
}

} // namespace adapter

// ---- Controls ----

void ezText(int id, double column, double row, double width, double height, const std::string& text,
            const std::string& properties) {
    std::string content = text;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::Text, makeTextBox(*form, id, content, properties),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezLabel(int id, double column, double row, double width, double height,
             const std::string& text, const std::string& properties) {
    std::string content = text;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::Label, makeLabel(*form, content, properties),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezButton(int id, double column, double row, double width, double height,
              const std::string& caption, const std::string& properties) {
    std::string content = caption;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::Button, makeButton(*form, id, content, false),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezODButton(int id, double column, double row, double width, double height,
                const std::string& caption, const std::string& properties) {
    std::string content = caption;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::OwnerDrawButton, makeButton(*form, id, content, true),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezCheckBox(int id, double column, double row, double width, double height,
                const std::string& caption, const std::string& properties) {
    std::string content = caption;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::CheckBox, makeCheckBox(*form, id, content),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezRadio(int id, double column, double row, double width, double height,
             const std::string& caption, const std::string& properties) {
    std::string content = caption;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::Radio, makeRadio(*form, id, content, properties),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezFrame(int id, double column, double row, double width, double height,
             const std::string& caption, const std::string& properties) {
    std::string content = caption;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::Frame, makeFrame(*form, content),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezPicture(int id, double column, double row, double width, double height,
               const std::string& picture, const std::string& properties) {
    std::string content = picture;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::Picture, makePicture(*form, content, properties),
                  toPixelRect(column, row, width, height), content, properties);
}

void ezProgressBar(int id, double column, double row, double width, double height,
                   const std::string& properties) {
    std::string content;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::ProgressBar, makeProgressBar(*form),
                  toPixelRect(column, row, width, height), content, properties);
}

// The bar lies along the bottom of the client area, one line of its font high, and starts
// with one part that fills it.
void ezStatusBar(int id, const std::string& text, const std::string& properties) {
    std::string content = text;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    // A QStatusBar, so that screen readers know it as the window's status bar.
    auto* bar = new QStatusBar(form->client);
    bar->setSizeGripEnabled(false);
    int height = QFontMetrics(toolkit.currentFont).height() + kStatusBarPaddingPixels;
    QRect rect(0, form->client->height() - height, form->client->width(), height);
    Control& control =
        recordControl(*form, id, ControlKind::StatusBar, bar, rect, content, properties);
    control.anchors.clear();
    control.statusPercentages = {100};
    auto* part = new QLabel(bar);
    part->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    part->setFont(toolkit.currentFont);
    control.statusParts = {part};
    placeStatusParts(control);
    setStatusPartText(control, 0, content);
}

void ezRichText(int id, double column, double row, double width, double height,
                const std::string& text, const std::string& properties) {
    std::string content = text;
    Form* form = startControl(id, content);
    if (form == nullptr) return;
    recordControl(*form, id, ControlKind::RichText, makeRichText(*form, content, properties),
                  toPixelRect(column, row, width, height), content, properties);
}

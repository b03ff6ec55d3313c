// What the program reads and sets on controls once they exist, status bars and tooltips.
#include "gui/adapter.h"

#include "common/numbers.h"
#include "common/text.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolTip>

#ifdef MERIVANE_HAVE_RTF
#include "gui/rtf_qt.h"
#endif

#include <algorithm>

using namespace adapter;

namespace {

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

// The colours a document names were picked for a white page; on a dark theme's ground each is
// brought to a readable contrast. Text without a colour of its own follows the theme already.
[[maybe_unused]] void keepTextReadable(QTextDocument& document, const QColor& ground) {
    struct Recolour {
        int start;
        int length;
        QColor colour;
    };
    // Collected first: changing a format merges and splits the fragments being walked.
    std::vector<Recolour> changes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            QTextFragment fragment = piece.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (format.foreground().style() == Qt::NoBrush) continue;
            QColor colour = format.foreground().color();
            QColor readable = readableOn(colour, ground, kReadableContrast);
            if (readable != colour)
                changes.push_back({fragment.position(), fragment.length(), readable});
        }
    }
    for (const Recolour& change : changes) {
        QTextCursor cursor(&document);
        cursor.setPosition(change.start);
        cursor.setPosition(change.start + change.length, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(change.colour);
        cursor.mergeCharFormat(format);
    }
}

// A text longer than its part loses its middle; one that names a file loses its start instead,
// so the folder and the file's name stay in sight, which matter most when no reader opened it.
// The whole text is the part's tooltip.
void showStatusPartText(QLabel* part) {
    const QString whole = part->property(kWholeTextProperty).toString();
    // A framed label indents its text by half an "x" unless told otherwise.
    const int indent = part->indent() >= 0      ? part->indent()
                       : part->frameWidth() > 0 ? part->fontMetrics().horizontalAdvance('x') / 2
                                                : 0;
    const int room = part->contentsRect().width() - 2 * part->margin() - indent;
    const Qt::TextElideMode mode =
        whole.contains(QLatin1Char('/')) ? Qt::ElideLeft : Qt::ElideMiddle;
    const QString shown = part->fontMetrics().elidedText(whole, mode, std::max(room, 0));
    part->setText(shown);
    part->setToolTip(shown == whole ? QString() : whole);
}

} // namespace

namespace adapter {

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
        showStatusPartText(control.statusParts[part]);
        left += partWidth;
    }
}

void setStatusPartText(Control& control, std::size_t part, const std::string& text) {
    if (part >= control.statusParts.size() || !control.statusParts[part]) return;
    QLabel* label = control.statusParts[part];
    std::size_t tabs = 0;
    while (tabs < text.size() && text[tabs] == '\t')
        ++tabs;
    Qt::Alignment across = tabs == 0   ? Qt::AlignLeft
                           : tabs == 1 ? Qt::AlignHCenter
                                       : Qt::AlignRight;
    label->setAlignment(across | Qt::AlignVCenter);
    const QString whole = toQt(text.substr(tabs));
    label->setProperty(kWholeTextProperty, whole);
    label->setAccessibleName(whole);
    showStatusPartText(label);
    // The bar speaks for all its parts, and a screen reader hears when what it says changes.
    QStringList parts;
    for (const QPointer<QLabel>& each : control.statusParts)
        if (each && !each->accessibleName().isEmpty()) parts << each->accessibleName();
    const QString name = parts.join(QLatin1String(", "));
    if (!control.widget || control.widget->accessibleName() == name) return;
    control.widget->setAccessibleName(name);
    QAccessibleEvent changed(control.widget.data(), QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
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

} // namespace adapter

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
        if (auto* field = qobject_cast<QDateEdit*>(widget)) {
            const QDate date = QDate::fromString(toQt(text), Qt::ISODate);
            if (date.isValid()) field->setDate(date);
        }
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
        setStatusPartText(*control, 0, text);
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
        if (auto* field = qobject_cast<QDateEdit*>(widget))
            return fromQt(field->date().toString(Qt::ISODate));
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
    setStatusPartText(*control, static_cast<std::size_t>(part), text);
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
        keepTextReadable(*browser->document(), browser->palette().color(QPalette::Base));
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

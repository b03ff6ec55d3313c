// What screen readers see of the forms: windows as frames, dialogs and alerts, controls grouped
// in the frames that enclose them and listed in the order they are seen, fields named after
// their labels.
#include "gui/adapter.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QTextBrowser>

#include <algorithm>

using namespace adapter;

namespace {

// A frame and the controls it holds are this many pixels apart at most on the same edge.
constexpr int kEdgeTolerancePixels = 2;

QAccessible::Role formRole(const Form& form) {
    if (form.alert) return QAccessible::AlertMessage;
    return form.dialog ? QAccessible::Dialog : QAccessible::Window;
}

bool decorative(const QWidget* widget) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label != nullptr)
        return label->text().isEmpty() && label->pixmap().isNull() &&
               label->accessibleName().isEmpty();
    const auto* frame = qobject_cast<const QGroupBox*>(widget);
    return frame != nullptr && frame->title().isEmpty() && frame->accessibleName().isEmpty();
}

// Qt gives a text browser (the help page, the program's history, release notes) to screen readers
// as a label, which they neither read as a page nor let the user move through; it is read-only
// text, as a read-only text edit is, with the text, caret and selection they walk it by.
class ReadOnlyTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit ReadOnlyTextAccessible(QTextBrowser* browser)
        : QAccessibleWidget(browser, QAccessible::EditableText) {}
    // The name and description stay the widget's; text(start, end) below is the page's.
    using QAccessibleWidget::text;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    void selection(int index, int* start, int* end) const override {
        const QTextCursor cursor = browser()->textCursor();
        const bool selected = index == 0 && cursor.hasSelection();
        *start = selected ? cursor.selectionStart() : 0;
        *end = selected ? cursor.selectionEnd() : 0;
    }
    int selectionCount() const override { return browser()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { select(start, end); }
    void removeSelection(int) override { select(cursorPosition(), cursorPosition()); }
    void setSelection(int, int start, int end) override { select(start, end); }
    int cursorPosition() const override { return browser()->textCursor().position(); }
    void setCursorPosition(int position) override { select(position, position); }
    QString text(int start, int end) const override {
        QString text = cursorOver(start, end).selectedText();
        return text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    int characterCount() const override { return browser()->document()->characterCount() - 1; }
    QRect characterRect(int offset) const override {
        const QRect place = browser()->cursorRect(cursorOver(offset, offset));
        return QRect(browser()->viewport()->mapToGlobal(place.topLeft()), place.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint inside = browser()->viewport()->mapFromGlobal(point);
        return browser()->cursorForPosition(inside).position();
    }
    void scrollToSubstring(int start, int) override {
        select(start, start);
        browser()->ensureCursorVisible();
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = offset;
        *end = offset;
        return {};
    }

  private:
    QTextBrowser* browser() const { return static_cast<QTextBrowser*>(widget()); }
    // Offsets outside the text (-1 is its end) are taken as its nearest end.
    QTextCursor cursorOver(int start, int end) const {
        const int last = characterCount();
        QTextCursor cursor(browser()->document());
        cursor.setPosition(start < 0 ? last : std::min(start, last));
        cursor.setPosition(end < 0 ? last : std::min(end, last), QTextCursor::KeepAnchor);
        return cursor;
    }
    void select(int start, int end) { browser()->setTextCursor(cursorOver(start, end)); }
};

// Form windows are plain widgets, which Qt would announce as mere fillers; an empty band or an
// unnamed frame is decoration, a filler indeed. A text browser is read-only text.
QAccessibleInterface* accessibleFor(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (widget->isWindow() && widget->property(kFormProperty).isValid()) {
        Form* form = findForm(formNameOf(widget));
        if (form == nullptr) return nullptr;
        return new QAccessibleWidget(widget, formRole(*form));
    }
    // The help window, a plain widget too.
    if (widget->isWindow() && widget->metaObject() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (auto* browser = qobject_cast<QTextBrowser*>(widget))
        return new ReadOnlyTextAccessible(browser);
    if (widget->property(kIdProperty).isValid() && decorative(widget))
        return new QAccessibleWidget(widget, QAccessible::Client);
    return nullptr;
}

bool encloses(const QRect& outer, const QRect& inner) {
    return outer
        .adjusted(-kEdgeTolerancePixels, -kEdgeTolerancePixels, kEdgeTolerancePixels,
                  kEdgeTolerancePixels)
        .contains(inner);
}

// The smallest frame that holds the control; nullptr when none does.
Control* enclosingFrame(Form& form, const Control& control) {
    Control* best = nullptr;
    for (auto& [id, candidate] : form.controls) {
        if (candidate.kind != ControlKind::Frame || &candidate == &control || !candidate.widget)
            continue;
        if (!encloses(candidate.designRect, control.designRect)) continue;
        if (best == nullptr || best->designRect.width() * best->designRect.height() >
                                   candidate.designRect.width() * candidate.designRect.height()) {
            best = &candidate;
        }
    }
    return best;
}

void moveIntoFrames(Form& form) {
    for (auto& [id, control] : form.controls) {
        if (!control.widget || control.kind == ControlKind::Frame ||
            control.kind == ControlKind::StatusBar) {
            continue;
        }
        Control* frame = enclosingFrame(form, control);
        if (frame == nullptr) continue;
        const bool visible = control.widget->isVisibleTo(form.client);
        control.widget->setParent(frame->widget);
        control.widget->move(control.designRect.topLeft() - frame->designRect.topLeft());
        control.widget->setVisible(visible);
        // Its controls take their own clicks now that they are inside it.
        frame->widget->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    }
}

// Qt lists children in stacking order; raising them in visual order lists them so, and keeps a
// frame or band (which starts above or left of what it holds) behind its contents.
void raiseInVisualOrder(Form& form) {
    std::vector<Control*> controls;
    for (auto& [id, control] : form.controls)
        if (control.widget) controls.push_back(&control);
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Control* a, const Control* b) { return seenBefore(*a, *b); });
    for (Control* control : controls)
        control->widget->raise();
}

bool overlapsAcross(const QRect& a, const QRect& b) {
    return a.left() < b.right() && b.left() < a.right();
}
bool overlapsDown(const QRect& a, const QRect& b) {
    return a.top() < b.bottom() && b.top() < a.bottom();
}

// The label on the field's line just left of it, else the one right above it.
QLabel* labelOf(Form& form, const Control& field) {
    const QRect place = field.designRect;
    QLabel* best = nullptr;
    int bestDistance = 0;
    const int reach = toPixelsDown(1.5);
    for (auto& [id, control] : form.controls) {
        auto* label = qobject_cast<QLabel*>(control.widget.data());
        if (control.kind != ControlKind::Label || label == nullptr || label->text().isEmpty())
            continue;
        const QRect rect = control.designRect;
        int distance = -1;
        if (overlapsDown(rect, place) && rect.right() <= place.left() + kEdgeTolerancePixels)
            distance = place.left() - rect.right();
        else if (overlapsAcross(rect, place) && rect.bottom() <= place.top() + kEdgeTolerancePixels)
            distance = place.top() - rect.bottom();
        if (distance < 0 || distance > reach) continue;
        if (best == nullptr || distance < bestDistance) {
            best = label;
            bestDistance = distance;
        }
    }
    return best;
}

void nameFields(Form& form) {
    for (auto& [id, control] : form.controls) {
        QWidget* widget = control.widget;
        if (widget == nullptr || !widget->accessibleName().isEmpty()) continue;
        const bool field = control.kind == ControlKind::Text ||
                           control.kind == ControlKind::RichText ||
                           control.kind == ControlKind::ProgressBar;
        if (field) {
            if (QLabel* label = labelOf(form, control)) {
                if (label->parentWidget() == widget->parentWidget()) label->setBuddy(widget);
                widget->setAccessibleName(spokenText(fromQt(label->text())));
            }
            continue;
        }
        // A frame without a caption is named by the first choice it holds.
        auto* frame = qobject_cast<QGroupBox*>(widget);
        if (frame == nullptr || !frame->title().isEmpty()) continue;
        for (QObject* child : frame->children()) {
            auto* choice = qobject_cast<QAbstractButton*>(child);
            if (choice == nullptr) continue;
            frame->setAccessibleName(spokenText(fromQt(choice->text())));
            break;
        }
    }
}

} // namespace

namespace adapter {

QString spokenText(const std::string& caption) {
    QString text = toQt(caption);
    text.replace(QLatin1Char('|'), QLatin1Char(' '));
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text.trimmed();
}

void arrangeForAccessibility(Form& form) {
    moveIntoFrames(form);
    raiseInVisualOrder(form);
    nameFields(form);
}

void installAccessibility() {
    QAccessible::installFactory(accessibleFor);
}

} // namespace adapter

void ezSetControlName(const std::string& form, int id, const std::string& name) {
    Control* control = findControl(form, id);
    if (control == nullptr || !control->widget) return;
    control->widget->setAccessibleName(spokenText(name));
}

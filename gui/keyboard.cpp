// The keyboard as desktop users expect it on every form: Return presses the focused button or
// the form's default button, Escape closes a dialog, Tab follows the layout and enters a group
// of radios at its checked one.
#include "gui/adapter.h"
#include "gui/pdf_view_plugin.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

using namespace adapter;

namespace {

bool usable(const QWidget* widget) {
    return widget != nullptr && widget->isEnabled() && widget->isVisible();
}

QPushButton* buttonMarked(Form& form, bool Control::*mark) {
    for (auto& [id, control] : form.controls) {
        if (!(control.*mark)) continue;
        auto* button = qobject_cast<QPushButton*>(control.widget.data());
        if (usable(button)) return button;
    }
    return nullptr;
}

// Return belongs to a field that takes several lines of typing.
bool typesLines(const QWidget* focus) {
    const auto* edit = qobject_cast<const QTextEdit*>(focus);
    return edit != nullptr && !edit->isReadOnly();
}

// The button is pressed after the key has been handled, as a click would be: what it opens
// (a modal dialog, another form) then does not run inside the key's delivery.
void pressLater(QPushButton* button) {
    QPointer<QPushButton> guarded = button;
    QMetaObject::invokeMethod(
        button,
        [guarded] {
            if (usable(guarded)) guarded->click();
        },
        Qt::QueuedConnection);
}

bool pressReturn(Form& form, QWidget* focus) {
    if (typesLines(focus)) return false;
    // Return on the preview opens it, as a click does.
    if (isPreviewPicture(focus)) {
        const std::string name = form.name;
        const int id = controlIdOf(focus);
        QMetaObject::invokeMethod(
            focus, [name, id] { raiseClick(name, id); }, Qt::QueuedConnection);
        return true;
    }
    auto* focusedButton = qobject_cast<QPushButton*>(focus);
    if (focusedButton != nullptr && controlIdOf(focusedButton) != 0) {
        pressLater(focusedButton);
        return true;
    }
    QPushButton* fallback = buttonMarked(form, &Control::defaultButton);
    if (fallback == nullptr) return false;
    pressLater(fallback);
    return true;
}

bool pressEscape(Form& form) {
    if (QPushButton* button = buttonMarked(form, &Control::escapeButton)) {
        pressLater(button);
        return true;
    }
    if (!form.dialog) return false;
    // As the frame's close button: the form may refuse it.
    QPointer<QWidget> window = form.window;
    QMetaObject::invokeMethod(
        window,
        [window] {
            if (window) window->close();
        },
        Qt::QueuedConnection);
    return true;
}

// Rows are half a character row apart: controls whose tops differ by less stand on one line.
long visualRow(const Control& control) {
    return std::lround(control.designRect.top() * 2.0 / std::max(toolkit.rowPixels, 1.0));
}

} // namespace

namespace adapter {

bool seenBefore(const Control& a, const Control& b) {
    if (visualRow(a) != visualRow(b)) return visualRow(a) < visualRow(b);
    return a.designRect.left() < b.designRect.left();
}

bool handleDialogKey(QWidget* receiver, QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    Form* form = findForm(formNameOf(receiver));
    if (form == nullptr || form->unloading || receiver->window() != form->window) return false;
    QWidget* focus = form->window->focusWidget();
    // Keys the focused control leaves alone travel up to the window; act on the first delivery.
    if (focus != nullptr ? receiver != focus : !receiver->isWindow()) return false;
    if (key == Qt::Key_Escape) return pressEscape(*form);
    return pressReturn(*form, focus);
}

void updateRadioTabStops(Form& form) {
    std::vector<QButtonGroup*> groups;
    for (auto& [id, control] : form.controls) {
        auto* radio = qobject_cast<QRadioButton*>(control.widget.data());
        if (radio == nullptr || radio->group() == nullptr) continue;
        if (std::find(groups.begin(), groups.end(), radio->group()) == groups.end())
            groups.push_back(radio->group());
    }
    for (QButtonGroup* group : groups) {
        QAbstractButton* entry = group->checkedButton();
        if (entry == nullptr && !group->buttons().isEmpty()) entry = group->buttons().first();
        for (QAbstractButton* radio : group->buttons()) {
            // A radio made without a tab stop stays without one.
            if (radio->focusPolicy() == Qt::NoFocus) continue;
            radio->setFocusPolicy(radio == entry ? Qt::StrongFocus : Qt::ClickFocus);
        }
    }
}

void orderTabStops(Form& form) {
    std::vector<const Control*> stops;
    for (const auto& [id, control] : form.controls) {
        if (!control.widget || control.kind == ControlKind::Frame ||
            control.kind == ControlKind::Label ||
            (control.kind == ControlKind::Picture &&
             control.widget->focusPolicy() == Qt::NoFocus)) {
            continue;
        }
        stops.push_back(&control);
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Control* a, const Control* b) { return seenBefore(*a, *b); });
    for (std::size_t at = 1; at < stops.size(); ++at)
        QWidget::setTabOrder(stops[at - 1]->widget, stops[at]->widget);
}

} // namespace adapter

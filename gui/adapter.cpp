// The adapter's one toolkit record, the program's texts in Qt's terms, and the lookups from
// form names and control IDs to widgets.
#include "gui/adapter.h"

#include "common/numbers.h"

#include <QApplication>

namespace adapter {

Toolkit toolkit;

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

// ---- Lookups and events ----

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

void raiseClick(const std::string& form, int id) {
    if (findForm(form) != nullptr) raiseEvent(form, id, kEventClick, 0);
}

} // namespace adapter

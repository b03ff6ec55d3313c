// Menu bars, drop-down menus and accelerator keys; each item raises a click with its ID.
#include "gui/adapter.h"

#include "common/numbers.h"
#include "common/text.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

using namespace adapter;

namespace adapter {

Menu* findMenu(int handle) {
    if (handle < 1 || handle > static_cast<int>(toolkit.menus.size())) return nullptr;
    Menu& menu = toolkit.menus[static_cast<std::size_t>(handle - 1)];
    return menu.widget ? &menu : nullptr;
}

} // namespace adapter

// ---- Menus ----

namespace {

int addMenuRecord(QWidget* widget) {
    Menu menu;
    menu.widget = widget;
    toolkit.menus.push_back(menu);
    return static_cast<int>(toolkit.menus.size());
}

// The one group that holds a menu's radio items, made with the first of them.
QActionGroup* radioGroupOf(QWidget* menu) {
    auto* group = menu->findChild<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly);
    if (group == nullptr) group = new QActionGroup(menu);
    return group;
}

void addMenuItem(Menu& menu, int handle, int id, const std::string& text,
                 const std::string& properties) {
    QAction* action = nullptr;
    if (text == "-") {
        if (auto* bar = qobject_cast<QMenuBar*>(menu.widget.data())) {
            action = bar->addSeparator();
        } else {
            action = static_cast<QMenu*>(menu.widget.data())->addSeparator();
        }
    } else {
        action = new QAction(toQt(text), menu.widget);
        if (properties.find('R') != std::string::npos) {
            action->setCheckable(true);
            radioGroupOf(menu.widget)->addAction(action);
        }
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
    addMenuItem(*findMenu(handle), handle, id, text, "");
    toolkit.pendingMainMenu = handle;
    return handle;
}

int ezDefSubMenu(int id, const std::string& text, const std::string& properties) {
    ensureToolkit();
    int handle = addMenuRecord(new QMenu(nullptr));
    addMenuItem(*findMenu(handle), handle, id, text, properties);
    return handle;
}

void ezAddMenuItem(int menu, int id, const std::string& text, const std::string& properties) {
    if (Menu* record = findMenu(menu)) addMenuItem(*record, menu, id, text, properties);
}

void ezSetMenuCheck(int menu, int id, int checked) {
    Menu* record = findMenu(menu);
    if (record == nullptr) return;
    auto item = record->items.find(id);
    if (item == record->items.end() || !item->second || !item->second->isCheckable()) return;
    item->second->setChecked(checked != 0);
}

int ezGetMenuCheck(int menu, int id) {
    Menu* record = findMenu(menu);
    if (record == nullptr) return 0;
    auto item = record->items.find(id);
    return item != record->items.end() && item->second && item->second->isChecked() ? 1 : 0;
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

#pragma once
// Script steps that most runs of the program begin or end with.
#include "app_harness.h"
#include "common/translate.h"

#include <QAbstractButton>
#include <QApplication>

// The main window, with no dialog over it.
inline ScriptStep mainWindowShown() {
    return {"main window", [] { return mainWindow() && !QApplication::activeModalWidget(); },
            [] {}};
}

// Exit pressed, in the window's language, once no dialog is left open.
inline ScriptStep exitProgram() {
    return {"exit", [] { return QApplication::activeModalWidget() == nullptr; },
            [] { click(buttonIn(mainWindow(), translate("E&xit"))); }};
}

// A message box titled title: its texts kept in texts, then closed with OK.
inline ScriptStep messageRead(const char* title, std::string& texts) {
    return {title, [title] { return modalTitled(title) != nullptr; },
            [title, &texts] {
                QWidget* box = modalTitled(title);
                texts = labelTextsOf(box);
                click(buttonIn(box, "&OK"));
            }};
}

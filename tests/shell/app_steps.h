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

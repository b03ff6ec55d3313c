#pragma once
// Runs the real program in the test process on the offscreen platform and drives its windows
// with a script of steps, each waiting for its moment (a window shown, a dialog up, a file
// opened) before it acts.
#include "support/test_files.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QWidget;

// A program folder of its own, and a desktop of its own: XDG folders whose only PDF viewer
// writes each file it is asked to open into openedLog.
struct AppScratch {
    std::filesystem::path root;
    std::filesystem::path programFolder;
    std::filesystem::path pdfFolder;
    std::filesystem::path settingsFile;
    std::filesystem::path openedLog;
};

AppScratch makeAppScratch(bool withPdfViewer);
void removeAppScratch(const AppScratch& scratch);

struct ScriptStep {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
};

// Starts the program from scratch.programFolder and runs the steps in order; each acts once its
// `ready` holds. Returns "" when the program ended after the last step, else what went wrong
// (a step that never became ready within timeoutMs, or a program that did not end).
std::string runProgram(const AppScratch& scratch, const std::vector<ScriptStep>& steps,
                       int timeoutMs = 20000);
// While held, no further step starts, even from events that an acting step lets run: keys still
// being typed by an outside tool reach the program before the next step types its own.
void holdSteps(bool held);

// The program's windows as a user sees them.
QWidget* mainWindow();
// The active modal dialog when its caption is `title`, else nullptr.
QWidget* modalTitled(const std::string& title);
QAbstractButton* buttonIn(QWidget* window, const std::string& text);
QLineEdit* yearField();
// The main window's preview picture.
QLabel* previewPicture();
void click(QAbstractButton* button);
// The item of the main window's menus, drop-downs within drop-downs included; nullptr if none.
QAction* menuItem(const std::string& text);
// Chooses an item of the main window's menus, as clicking it would.
void chooseMenuItem(const std::string& text);
// Replaces the year field's text as typing would.
void typeYear(const std::string& text);
// The tooltip a control shows when the pointer rests on it; "" when none.
std::string tooltipOf(QWidget* widget);
// Every label text of a window and every read-only box's text, one per line.
std::string labelTextsOf(QWidget* window);

// The lines the fake viewer has written: the files it was asked to open.
std::vector<std::string> openedFiles(const AppScratch& scratch);
// The "*.PDF" files in the PDF folder, sorted by name.
std::vector<std::string> pdfFilesIn(const AppScratch& scratch);

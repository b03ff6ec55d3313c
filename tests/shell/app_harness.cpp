#include "app_harness.h"
#include "support/test_files.h"

#include "support/fake_desktop.h"

#include "gui/ezgui.h"
#include "shell/startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kPollMilliseconds = 10;
int stepHolds = 0;

void ensureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "app_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Where the program stood when a step waited in vain.
std::string windowState() {
    const auto titleOf = [](QWidget* window) {
        return window ? window->windowTitle().toStdString() : std::string("none");
    };
    QWidget* focus = QApplication::focusWidget();
    return " (active window: " + titleOf(QApplication::activeWindow()) +
           ", modal: " + titleOf(QApplication::activeModalWidget()) +
           ", focus: " + (focus ? focus->metaObject()->className() : std::string("none")) + ")";
}

void closeEverything() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QApplication::processEvents();
        if (QApplication::activeModalWidget() == modal) break;
    }
    ezUnloadForm("MF");
}

} // namespace

AppScratch makeAppScratch(bool withPdfViewer) {
    char pattern[] = "/tmp/merivane-app-XXXXXX";
    const char* made = mkdtemp(pattern);
    AppScratch scratch;
    scratch.root = made ? fs::path(made) : fs::path("/tmp/merivane-app-failed");
    scratch.programFolder = scratch.root / "program";
    scratch.pdfFolder = scratch.programFolder / "PDF";
    scratch.settingsFile = scratch.programFolder / "Zarn.ini";
    scratch.openedLog = scratch.root / "opened.txt";
    fs::create_directories(scratch.programFolder);
    makeFakeDesktop(scratch.root, withPdfViewer ? "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" +
                                                      scratch.openedLog.string() + "'\n"
                                                : "");
    enterFakeDesktop(scratch.root);
    // xdg-open looks up desktop entries only where a display is named; the fake viewer
    // itself needs none. On a Wayland compositor of the test's own there is one.
    if (!std::getenv("WAYLAND_DISPLAY")) setenv("DISPLAY", ":merivane-test", 0);
    ensureApplication();
    return scratch;
}

void removeAppScratch(const AppScratch& scratch) {
    std::error_code ignored;
    fs::remove_all(scratch.root, ignored);
}

std::string runProgram(const AppScratch& scratch, const std::vector<ScriptStep>& steps,
                       int timeoutMs) {
    std::size_t next = 0;
    std::string failure;
    QElapsedTimer clock;
    clock.start();
    QTimer poller;
    // The actions run from a timer of their own: one may open a modal dialog and wait in it,
    // while the poller goes on serving the steps after it.
    QObject::connect(&poller, &QTimer::timeout, [&] {
        if (!failure.empty()) return;
        if (clock.elapsed() > timeoutMs) {
            failure = next < steps.size() ? "never ready: " + steps[next].what + windowState()
                                          : "the program did not end after the last step";
            closeEverything();
            return;
        }
        if (stepHolds > 0 || next >= steps.size() || !steps[next].ready()) return;
        const std::function<void()> act = steps[next].act;
        ++next;
        QTimer::singleShot(0, act);
    });
    poller.start(kPollMilliseconds);
    runMerivane(0, nullptr, scratch.programFolder.string());
    poller.stop();
    if (failure.empty() && next < steps.size())
        failure = "the program ended before: " + steps[next].what;
    QApplication::processEvents();
    return failure;
}

void holdSteps(bool held) {
    stepHolds += held ? 1 : -1;
}

QWidget* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == "Merivane") return widget;
    return nullptr;
}

QWidget* modalTitled(const std::string& title) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return nullptr;
    return modal->windowTitle() == QString::fromStdString(title) ? modal : nullptr;
}

QAbstractButton* buttonIn(QWidget* window, const std::string& text) {
    if (!window) return nullptr;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->text() == QString::fromStdString(text)) return button;
    return nullptr;
}

QLineEdit* yearField() {
    QWidget* window = mainWindow();
    return window ? window->findChild<QLineEdit*>() : nullptr;
}

QLabel* previewPicture() {
    QWidget* window = mainWindow();
    if (!window) return nullptr;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->property("merivanePreview").toBool()) return label;
    return nullptr;
}

void click(QAbstractButton* button) {
    if (!button) {
        ADD_FAILURE() << "no such button";
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

namespace {
QAction* findMenuAction(const QList<QAction*>& actions, const QString& text) {
    for (QAction* action : actions) {
        if (action->text() == text) return action;
        if (!action->menu()) continue;
        if (QAction* found = findMenuAction(action->menu()->actions(), text)) return found;
    }
    return nullptr;
}
} // namespace

QAction* menuItem(const std::string& text) {
    QWidget* window = mainWindow();
    QMenuBar* bar = window ? window->findChild<QMenuBar*>() : nullptr;
    return bar ? findMenuAction(bar->actions(), QString::fromStdString(text)) : nullptr;
}

void chooseMenuItem(const std::string& text) {
    QAction* item = menuItem(text);
    if (!item) {
        ADD_FAILURE() << "no menu item " << text;
        return;
    }
    item->trigger();
}

void typeYear(const std::string& text) {
    QLineEdit* field = yearField();
    if (!field) {
        ADD_FAILURE() << "no year field";
        return;
    }
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, QString::fromStdString(text));
}

// A hidden tooltip lingers for a moment and keeps its text; only a visible one counts.
void waitForTooltipGone() {
    QToolTip::hideText();
    for (int waited = 0; QToolTip::isVisible() && waited < 2000; waited += kPollMilliseconds)
        QTest::qWait(kPollMilliseconds);
}

std::string tooltipOf(QWidget* widget) {
    waitForTooltipGone();
    if (!widget) return "";
    const QPoint middle = widget->rect().center();
    QHelpEvent event(QEvent::ToolTip, middle, widget->mapToGlobal(middle));
    QApplication::sendEvent(widget, &event);
    std::string text = QToolTip::isVisible() ? QToolTip::text().toStdString() : "";
    waitForTooltipGone();
    // Long tooltips are wrapped for showing; the words are what matters.
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

std::string labelTextsOf(QWidget* window) {
    std::string texts;
    if (!window) return texts;
    for (QLabel* label : window->findChildren<QLabel*>())
        texts += label->text().toStdString() + "\n";
    // Answers shown in read-only boxes are read as labels are.
    for (QTextEdit* answer : window->findChildren<QTextEdit*>())
        if (answer->isReadOnly()) texts += answer->toPlainText().toStdString() + "\n";
    return texts;
}

std::vector<std::string> openedFiles(const AppScratch& scratch) {
    std::vector<std::string> lines;
    std::istringstream in(readText(scratch.openedLog));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::string> pdfFilesIn(const AppScratch& scratch) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.pdfFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".PDF") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

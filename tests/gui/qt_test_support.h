#pragma once
// Drives the GUI adapter on Qt's offscreen platform: records every event, routes forms to the
// test's handlers, finds the widgets behind form names and control IDs, and makes sure a modal
// form cannot hang a test.
#include "gui/ezgui.h"
#include "gui/fonts.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <string>
#include <vector>

namespace testgui {

struct RecordedEvent {
    std::string form;
    int id;
    int code;
    int value;
};

inline std::vector<RecordedEvent> events;
inline std::function<void()> onStart;
inline std::function<void(const std::string&)> onDesign;
inline std::function<void(const std::string&, int, int, int, int&)> onEvent;
inline bool watchdogFired = false;
// Timers armed during a run die with it, so none fires into a later test.
inline QObject* runScope = nullptr;

inline void startTrampoline() {
    if (onStart) onStart();
}
inline void designTrampoline(const std::string& form) {
    if (onDesign) onDesign(form);
}
inline void eventTrampoline(const std::string& form, int id, int code, int value, int& cancel) {
    events.push_back(RecordedEvent{form, id, code, value});
    if (onEvent) onEvent(form, id, code, value, cancel);
}

// Runs the toolkit with `start`; every form still loaded after `limitMs` is unloaded and the
// watchdog flag set, so a test that waits for a user forever fails instead of hanging.
inline void run(std::function<void()> start, const std::vector<std::string>& forms,
                int limitMs = 10000) {
    events.clear();
    watchdogFired = false;
    onStart = std::move(start);
    static int argc = 1;
    static char name[] = "merivane-test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [forms] {
        watchdogFired = true;
        for (const std::string& form : forms)
            ezUnloadForm(form);
    });
    watchdog.start(limitMs);
    QObject scope;
    runScope = &scope;
    ezGuiRun(argc, argv, startTrampoline, eventTrampoline, designTrampoline);
    runScope = nullptr;
    watchdog.stop();
    onStart = nullptr;
    onDesign = nullptr;
    onEvent = nullptr;
}

// Runs `action` once the event loop of the open (modal) form is running.
inline void later(std::function<void()> action, int delayMs = 0) {
    QTimer::singleShot(delayMs, runScope != nullptr ? runScope : qApp, std::move(action));
}

inline QWidget* formWindow(const std::string& form) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->property("ezForm").toString().toStdString() == form && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

inline QWidget* control(const std::string& form, int id) {
    QWidget* window = formWindow(form);
    if (window == nullptr) return nullptr;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        QVariant property = child->property("ezId");
        if (property.isValid() && property.toInt() == id) return child;
    }
    return nullptr;
}

// A click through the platform layer, as a user's click arrives.
inline void click(QWidget* widget) {
    if (widget == nullptr) return;
    QWidget* window = widget->window();
    QPoint centre = widget->mapTo(window, widget->rect().center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
}

// A key press through the platform layer into the form's window (its focused control).
inline void key(const std::string& form, Qt::Key keyCode) {
    QWidget* window = formWindow(form);
    if (window == nullptr) return;
    QTest::keyClick(window->windowHandle(), keyCode);
}

// A close request as the window frame's close button makes it.
inline void closeFromFrame(const std::string& form) {
    if (QWidget* window = formWindow(form)) window->windowHandle()->close();
}

inline std::vector<int> codesOf(const std::string& form, int id) {
    std::vector<int> codes;
    for (const RecordedEvent& event : events) {
        if (event.form == form && event.id == id) codes.push_back(event.code);
    }
    return codes;
}

// The application fonts and colours the program defines at start-up.
inline void defineApplicationLook() {
    ezDefFont(kDialogFont, "Segoe UI", 9, " L+V");
    ezDefFont(kDialogBoldFont, "Segoe UI", 9, " BV");
    ezDefFont(kLargeBoldFont, "Segoe UI", 12, " BV");
    ezDefFont(kMediumBoldFont, "Segoe UI", 10, "BV");
    ezDefFont(kMessageFont, "Segoe UI", 10, "BV");
    ezDefFont(kMessageLargeFont, "Segoe UI", 11, "BV");
    ezDefFont(kMessageSmallFont, "Segoe UI", 7, "L+V");
    ezDefSystemColor(32, 4);
    ezDefSystemColor(33, 5);
    ezDefSystemColor(34, 15);
    ezDefSystemColor(35, 24);
    ezDefColor(36, 255, 111, 185);
    ezDefColor(37, 159, 171, 20);
    ezDefColor(38, 255, 167, 71);
    ezDefColor(39, 207, 170, 210);
    ezDefColor(40, 227, 213, 28);
    ezDefColor(41, 67, 137, 188);
    ezDefColor(42, 183, 106, 108);
    ezDefColor(43, 137, 68, 221);
    ezDefSystemColor(70, 13);
}

} // namespace testgui

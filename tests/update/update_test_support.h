#pragma once
// Runs the update routines with their real windows on the offscreen platform: every form is
// routed as the program routes it, each dialog that comes up is recorded (caption and texts)
// and answered by the test, and a scratch program folder holds the settings files.
#include "gui/qt_test_support.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "support/test_files.h"
#include "update/download.h"
#include "update/update_available_dialog.h"
#include "update/update_state.h"
#include "update/whats_new_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace updatetest {

struct SeenDialog {
    std::string caption;
    std::string texts; // every label's text, lines joined with blanks
};

inline std::vector<SeenDialog> seen;
// What to do when a dialog with this caption comes up; without an entry it is closed from its
// frame, as a user who walks away from it would never do, so a test fails instead of hanging.
inline std::map<std::string, std::function<void(QWidget*)>> answers;

inline std::string labelTexts(QWidget* window) {
    std::string texts;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window)) continue;
        std::string text = label->text().toStdString();
        for (char& c : text)
            if (c == '\n') c = ' ';
        texts += text + " ";
    }
    return texts;
}

inline QAbstractButton* buttonNamed(QWidget* window, const std::string& text) {
    if (window == nullptr) return nullptr;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->text().toStdString() == text) return button;
    return nullptr;
}

inline void press(QWidget* window, const std::string& text) {
    QAbstractButton* button = buttonNamed(window, text);
    if (button == nullptr) {
        ADD_FAILURE() << "no button " << text << " in " << window->windowTitle().toStdString();
        window->close();
        return;
    }
    testgui::click(button);
}

inline void routeDesign(const std::string& form) {
    if (form == kMessageBoxForm) messageBoxDesign();
    if (form == kUpdateAvailableForm) updateAvailableDesign();
    if (form == kWhatsNewForm) whatsNewDesign();
    if (form == kDownloadProgressForm) downloadProgressDesign();
}

inline void routeEvent(const std::string& form, int id, int code, int value, int& cancel) {
    if (form == kMessageBoxForm) messageBoxEvents(id, code, value, cancel);
    if (form == kUpdateAvailableForm) updateAvailableEvents(id, code, value, cancel);
    if (form == kWhatsNewForm) whatsNewEvents(id, code, value, cancel);
    if (form == kDownloadProgressForm) downloadProgressEvents(id, code, value, cancel);
}

// Runs `work` inside the toolkit with every dialog answered from `answers`.
inline void runWithAnswers(const std::function<void()>& work, int limitMs = 15000) {
    testgui::defineApplicationLook();
    seen.clear();
    testgui::onDesign = routeDesign;
    testgui::onEvent = routeEvent;
    // Every window answered so far: one that is closing may be the active modal again for a
    // moment after the message it raised is gone.
    std::vector<QPointer<QWidget>> handled;
    QTimer poller;
    QObject::connect(&poller, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() ||
            std::find(handled.begin(), handled.end(), modal) != handled.end())
            return;
        handled.push_back(modal);
        const std::string caption = modal->windowTitle().toStdString();
        seen.push_back({caption, labelTexts(modal)});
        QPointer<QWidget> window = modal;
        auto answer = answers.find(caption);
        std::function<void(QWidget*)> act =
            answer != answers.end() ? answer->second : [](QWidget* w) { w->close(); };
        QTimer::singleShot(0, [window, act] {
            if (window) act(window);
        });
    });
    poller.start(10);
    testgui::run(
        [&] { work(); },
        {kMessageBoxForm, kUpdateAvailableForm, kWhatsNewForm, kDownloadProgressForm, "MF"},
        limitMs);
    poller.stop();
    answers.clear();
}

inline std::vector<std::string> captionsSeen() {
    std::vector<std::string> captions;
    for (const SeenDialog& dialog : seen)
        captions.push_back(dialog.caption);
    return captions;
}

inline std::string textsOf(const std::string& caption) {
    for (const SeenDialog& dialog : seen)
        if (dialog.caption == caption) return dialog.texts;
    return "";
}

// A program folder of its own with its settings file; removed with the object.
struct ScratchProgram {
    std::filesystem::path folder;
    std::filesystem::path shipped;
    ScratchProgram() {
        char pattern[] = "/tmp/merivane-update-XXXXXX";
        folder = mkdtemp(pattern);
        global::programFolder = folder.string() + "/";
        global::settingsPath = global::programFolder + "Zarn.ini";
        // The files an installed copy ships live apart from the writable folder.
        shipped = folder.string() + "-shipped";
        std::filesystem::create_directory(shipped);
        global::dataFolder = shipped.string() + "/";
    }
    ~ScratchProgram() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::remove_all(shipped, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return folder / name; }
};

} // namespace updatetest

#pragma once
#include <string>

// How rendering reaches whoever shows messages and documents: the GUI wires these to its
// message box and the PDF viewer; the command line prints messages to standard error.
// Texts carry the message box's markup ("|" line breaks, a trailing "{...}" option block).
struct RenderSeam {
    void (*showMessage)(const std::string& title, const std::string& mainText,
                        const std::string& detailText);
    void (*openDocument)(const std::string& path);
    // A PDF library error ends the program's main window.
    void (*closeMainWindow)();
    // A front end that words failed saves in its own way; without one they are messages.
    void (*showSaveFailure)(const std::string& destination, const std::string& reason);
};

namespace global {
extern RenderSeam renderSeam;
} // namespace global

// The plain text of a marked-up message: "|" becomes a line break, option blocks go.
std::string plainMessageText(const std::string& markup);

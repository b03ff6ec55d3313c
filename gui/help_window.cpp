// The help window: HTML topics in a text browser of its own.
#include "gui/adapter.h"

#include <QApplication>
#include <QUrl>

using namespace adapter;

namespace {

constexpr double kHelpColumns = 70;
constexpr double kHelpRows = 30;

// The help window has no owner: no modal dialog blocks it, and it outlives the form that opened
// it. Its caption is the title of the page it shows, link after link.
QTextBrowser* makeHelpWindow() {
    auto* browser = new QTextBrowser;
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setOpenExternalLinks(true);
    browser->resize(toPixelsAcross(kHelpColumns), toPixelsDown(kHelpRows));
    QObject::connect(browser, &QTextBrowser::sourceChanged,
                     [browser] { browser->setWindowTitle(browser->documentTitle()); });
    return browser;
}

// The icon of the form help was asked from, which is the program's icon.
QIcon programIcon() {
    Form* form = findForm(ezCurrentForm());
    if (form != nullptr && !form->window->windowIcon().isNull()) return form->window->windowIcon();
    return QApplication::windowIcon();
}

} // namespace

void ezShowHelpTopic(const std::string& htmlFile) {
    ensureToolkit();
    if (!toolkit.helpWindow) toolkit.helpWindow = makeHelpWindow();
    QIcon icon = programIcon();
    if (!icon.isNull()) toolkit.helpWindow->setWindowIcon(icon);
    toolkit.helpWindow->setSource(QUrl::fromLocalFile(toQt(htmlFile)));
    toolkit.helpWindow->setWindowTitle(toolkit.helpWindow->documentTitle());
    toolkit.helpWindow->show();
    toolkit.helpWindow->raise();
    toolkit.helpWindow->activateWindow();
}

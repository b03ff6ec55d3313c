#include "gui/adapter.h"

#include <QUrl>

using namespace adapter;

void ezShowHelpTopic(const std::string& htmlFile) {
    ensureToolkit();
    if (!toolkit.helpWindow) {
        toolkit.helpWindow = new QTextBrowser;
        toolkit.helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        toolkit.helpWindow->setOpenExternalLinks(true);
        toolkit.helpWindow->resize(toPixelsAcross(70), toPixelsDown(30));
    }
    toolkit.helpWindow->setSource(QUrl::fromLocalFile(toQt(htmlFile)));
    toolkit.helpWindow->setWindowTitle(toolkit.helpWindow->documentTitle());
    toolkit.helpWindow->show();
    toolkit.helpWindow->raise();
    toolkit.helpWindow->activateWindow();
}

// The help window: HTML topics in a text browser of its own, with a find bar, zoom and the
// usual keys to close it.
#include "common/translate.h"
#include "gui/adapter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>

using namespace adapter;

namespace {

constexpr double kHelpColumns = 70;
constexpr double kHelpRows = 30;
// Names the tests and screen readers find the parts by.
constexpr const char* kHelpWindowName = "helpWindow";
constexpr const char* kHelpTextName = "helpText";
constexpr const char* kFindFieldName = "helpFind";

void findText(QTextBrowser* browser, QLineEdit* field, bool backwards) {
    if (field->text().isEmpty()) return;
    QTextDocument::FindFlags flags;
    if (backwards) flags |= QTextDocument::FindBackward;
    if (browser->find(field->text(), flags)) return;
    // Not found after the cursor: once more from the other end.
    QTextCursor cursor = browser->textCursor();
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    browser->setTextCursor(cursor);
    browser->find(field->text(), flags);
}

void addShortcut(QWidget* window, const QKeySequence& keys, const std::function<void()>& act) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, act);
}

// The help window has no owner: no modal dialog blocks it, and it outlives the form that opened
// it. Its caption is the title of the page it shows, link after link.
QTextBrowser* makeHelpWindow() {
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QLatin1String(kHelpWindowName));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* browser = new QTextBrowser(window);
    browser->setObjectName(QLatin1String(kHelpTextName));
    browser->setOpenExternalLinks(true);
    auto* findBar = new QWidget(window);
    auto* findLabel = new QLabel(QString::fromUtf8(translate("&Find:")), findBar);
    auto* findField = new QLineEdit(findBar);
    findField->setObjectName(QLatin1String(kFindFieldName));
    findLabel->setBuddy(findField);
    findField->setAccessibleName(QString::fromUtf8(translate("Find")));
    auto* nextButton = new QPushButton(QString::fromUtf8(translate("&Next")), findBar);
    auto* previousButton = new QPushButton(QString::fromUtf8(translate("&Previous")), findBar);
    auto* barLayout = new QHBoxLayout(findBar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    barLayout->addWidget(findLabel);
    barLayout->addWidget(findField, 1);
    barLayout->addWidget(previousButton);
    barLayout->addWidget(nextButton);
    findBar->hide();
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(browser, 1);
    layout->addWidget(findBar);
    window->resize(toPixelsAcross(kHelpColumns), toPixelsDown(kHelpRows));

    QObject::connect(browser, &QTextBrowser::sourceChanged,
                     [browser] { browser->window()->setWindowTitle(browser->documentTitle()); });
    QObject::connect(findField, &QLineEdit::returnPressed,
                     [browser, findField] { findText(browser, findField, false); });
    QObject::connect(nextButton, &QPushButton::clicked,
                     [browser, findField] { findText(browser, findField, false); });
    QObject::connect(previousButton, &QPushButton::clicked,
                     [browser, findField] { findText(browser, findField, true); });
    addShortcut(window, QKeySequence::Find, [findBar, findField] {
        findBar->show();
        findField->setFocus(Qt::ShortcutFocusReason);
        findField->selectAll();
    });
    addShortcut(window, QKeySequence::FindNext,
                [browser, findField] { findText(browser, findField, false); });
    addShortcut(window, QKeySequence::FindPrevious,
                [browser, findField] { findText(browser, findField, true); });
    // Escape first leaves the find bar, then closes the window.
    addShortcut(window, QKeySequence(Qt::Key_Escape), [window, browser, findBar] {
        if (!findBar->isVisible()) {
            window->close();
            return;
        }
        findBar->hide();
        browser->setFocus(Qt::ShortcutFocusReason);
    });
    addShortcut(window, QKeySequence(QStringLiteral("Ctrl+W")), [window] { window->close(); });
    for (const QKeySequence& keys :
         {QKeySequence(QKeySequence::ZoomIn), QKeySequence(QStringLiteral("Ctrl+="))}) {
        addShortcut(window, keys, [browser] { browser->zoomIn(); });
    }
    addShortcut(window, QKeySequence::ZoomOut, [browser] { browser->zoomOut(); });
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
    QWidget* window = toolkit.helpWindow->window();
    QIcon icon = programIcon();
    if (!icon.isNull()) window->setWindowIcon(icon);
    toolkit.helpWindow->setSource(QUrl::fromLocalFile(toQt(htmlFile)));
    window->setWindowTitle(toolkit.helpWindow->documentTitle());
    toolkit.helpWindow->setAccessibleName(toolkit.helpWindow->documentTitle());
    window->show();
    window->raise();
    window->activateWindow();
    toolkit.helpWindow->setFocus(Qt::OtherFocusReason);
}

// Forms and the run loop: windows made and unloaded, modal forms waiting in a loop of their own,
// and the one event filter through which Qt's events become the program's.
#include "gui/adapter.h"

#include "common/text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

using namespace adapter;

namespace {

constexpr int kActivationRetryLimitMs = 5000;

bool hasAnchor(const std::vector<std::string>& anchors, const char* name) {
    return std::find(anchors.begin(), anchors.end(), name) != anchors.end();
}

int menuBarHeight(QWidget* window) {
    QWidget* bar = window->layout() != nullptr ? window->layout()->menuBar() : nullptr;
    return bar != nullptr ? bar->sizeHint().height() : 0;
}

int keyCodeOf(const QKeyEvent* event) {
    int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kKeyF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Escape:
        return kKeyEscape;
    case Qt::Key_Space:
        return kKeySpace;
    case Qt::Key_Left:
        return kKeyLeft;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Right:
        return kKeyRight;
    case Qt::Key_Down:
        return kKeyDown;
    case Qt::Key_Delete:
        return kKeyDelete;
    default:
        return 0;
    }
}

bool handleKeyPress(QWidget* receiver, QKeyEvent* event) {
    if (!toolkit.keyEvents) return false;
    std::string form = formNameOf(receiver);
    if (findForm(form) == nullptr) return false;
    // A key the focused control leaves alone travels up to the window; raise it only once.
    QWidget* focus = receiver->window()->focusWidget();
    bool firstDelivery = focus != nullptr ? receiver == focus : receiver->isWindow();
    if (!firstDelivery) return false;
    int code = keyCodeOf(event);
    if (code == 0) return false;
    raiseEvent(form, controlIdOf(receiver), kEventKey, code);
    Form* record = findForm(form);
    return record == nullptr || record->unloading;
}

bool handleClose(QWidget* window, QCloseEvent* event) {
    std::string form = formNameOf(window);
    Form* record = findForm(form);
    if (record == nullptr || record->unloading) return false;
    event->ignore();
    if (raiseEvent(form, 0, kEventCloseRequest, 0) != 0) return true;
    ezUnloadForm(form);
    return true;
}

// Qt draws the focus only once Tab or a mnemonic has moved it, and forgets that it was asked to
// as the window is shown; a form the keyboard opened shows where its keys go from the start.
void showFocus(QWidget* window) {
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    if (QWidget* focus = window->focusWidget()) focus->update();
}

// Set on a window fitted to the screen before the window manager framed it: once it has its
// frame, it is looked at again.
constexpr const char* kRefitProperty = "ezRefitWhenFramed";

// Every window the program opens, its own forms, the help window and Qt's dialogs alike, fits
// the screen's free area (a large font or a scaled screen can make it taller than the screen)
// and stands in its middle unless the program placed it there already. Menus, tooltips and other
// pop-ups place themselves.
void fitOnScreen(QWidget* window) {
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog) return;
    QScreen* screen = window->screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    // Before the window manager has framed the window its frame is not known, and Qt places the
    // window's inside where it is asked to place the frame: a title bar above it and a thin
    // border round it are expected.
    const bool framed = window->frameGeometry().size() != window->size();
    window->setProperty(kRefitProperty, !framed);
    const int titleBar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int border = titleBar / 4;
    const QRect frame = framed ? window->frameGeometry()
                               : window->geometry().adjusted(-border, -titleBar, border, border);
    const QPoint inside = framed ? QPoint(0, 0) : QPoint(border, titleBar);
    const QSize margins = frame.size() - window->size();
    const QSize room = area.size() - margins;
    if (window->width() > room.width() || window->height() > room.height()) {
        window->resize(std::min(window->width(), room.width()),
                       std::min(window->height(), room.height()));
    }
    const QSize outer = window->size() + margins;
    if (window->testAttribute(Qt::WA_Moved) && area.contains(QRect(frame.topLeft(), outer))) return;
    window->move(QPoint(area.left() + (area.width() - outer.width()) / 2,
                        area.top() + (area.height() - outer.height()) / 2) +
                 inside);
}

// Qt hands every event to one filter; this routes the ones the toolkit raises as its own.
class ToolkitEventFilter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWidget* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr) return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            return handleKeyPress(widget, static_cast<QKeyEvent*>(event)) ||
                   handleDialogKey(widget, static_cast<QKeyEvent*>(event));
        case QEvent::ShortcutOverride:
            return handleMenuKey(widget, static_cast<QKeyEvent*>(event));
        case QEvent::Close:
            if (!widget->property(kFormProperty).isValid()) return false;
            return handleClose(widget, static_cast<QCloseEvent*>(event));
        case QEvent::WindowActivate:
            if (widget->property(kFormProperty).isValid() && findForm(formNameOf(widget))) {
                showFocus(widget);
                raiseEvent(formNameOf(widget), 0, kEventActivated, 0);
            }
            return false;
        case QEvent::FocusIn:
            if (widget->property(kIdProperty).isValid() && findForm(formNameOf(widget))) {
                raiseEvent(formNameOf(widget), widget->property(kIdProperty).toInt(), kEventFocus,
                           0);
            }
            return false;
        case QEvent::ToolTip:
            return handleTooltip(widget, static_cast<QHelpEvent*>(event));
        case QEvent::Paint:
            if (!widget->property(kOwnerDrawProperty).isValid()) return false;
            return handleOwnerDraw(widget);
        case QEvent::Show:
            if (widget->isWindow() && !event->spontaneous()) fitOnScreen(widget);
            return false;
        case QEvent::Move:
            if (widget->isWindow() && widget->property(kRefitProperty).toBool() &&
                widget->frameGeometry().size() != widget->size()) {
                fitOnScreen(widget);
            }
            return false;
        case QEvent::Resize:
            if (widget->property(kClientProperty).isValid()) {
                if (Form* form = findForm(formNameOf(widget))) applyAnchors(*form);
            }
            return false;
        default:
            return false;
        }
    }
};

// The title-bar buttons that fit the window: a dialog can only be closed; a main window can be
// minimised too, and maximised only when it can be resized.
Qt::WindowFlags windowFlagsFor(bool dialog, bool resizable) {
    Qt::WindowFlags flags = (dialog ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (!dialog) flags |= Qt::WindowMinimizeButtonHint;
    if (resizable) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

} // namespace

namespace adapter {

// Keeps each anchored control where its anchors say, for the client's new size.
void applyAnchors(Form& form) {
    if (!form.client) return;
    QSize size = form.client->size();
    for (auto& [id, control] : form.controls) {
        if (!control.widget) continue;
        if (control.kind == ControlKind::StatusBar) {
            int height = control.designRect.height();
            control.widget->setGeometry(0, size.height() - height, size.width(), height);
            placeStatusParts(control);
            continue;
        }
        if (control.anchors.empty()) continue;
        // Inside a frame a control is placed relative to the frame.
        QPoint origin = control.widget->parentWidget() != nullptr
                            ? control.widget->parentWidget()->mapTo(form.client, QPoint(0, 0))
                            : QPoint(0, 0);
        std::vector<std::string> anchors;
        for (const std::string& piece : splitText(control.anchors, ',')) {
            anchors.push_back(trimBlanks(piece));
        }
        QRect design = control.designRect;
        int addedWidth = size.width() - control.clientSizeAtCreation.width();
        int addedHeight = size.height() - control.clientSizeAtCreation.height();
        int left = design.left();
        int right = design.left() + design.width();
        if (hasAnchor(anchors, "FR")) {
            right += addedWidth;
            if (!hasAnchor(anchors, "FL") && !hasAnchor(anchors, "CL")) left += addedWidth;
        }
        if (hasAnchor(anchors, "H")) {
            left += addedWidth / 2;
            right += addedWidth / 2;
        }
        if (hasAnchor(anchors, "HE") && control.clientSizeAtCreation.width() > 0) {
            int centre = (design.left() + design.width() / 2) * size.width() /
                         control.clientSizeAtCreation.width();
            left = centre - design.width() / 2;
            right = left + design.width();
        }
        int top = design.top();
        int bottom = design.top() + design.height();
        if (hasAnchor(anchors, "FB")) {
            bottom += addedHeight;
            if (!hasAnchor(anchors, "FT") && !hasAnchor(anchors, "CT")) top += addedHeight;
        }
        control.widget->setGeometry(left - origin.x(), top - origin.y(), std::max(right - left, 0),
                                    std::max(bottom - top, 0));
    }
}

// The toolkit needs a running QApplication; made here when the program has none yet.
void ensureToolkit() {
    if (toolkit.ready) return;
    if (QApplication::instance() == nullptr) {
        static int argumentCount = 1;
        static char programName[] = "merivane";
        static char* arguments[] = {programName, nullptr};
        new QApplication(argumentCount, arguments);
    }
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(new ToolkitEventFilter);
    installAccessibility();
    setUpGrid();
    setUpFonts();
    toolkit.ready = true;
}

// A window manager may keep the focus on a window that was appearing at the same moment, and
// on a busy desktop it may not yet manage the new one when asked: a form the user must answer
// asks again, waiting longer each time, until it has the keyboard.
void takeKeyboardWhenShown(QWidget* window, int delayMs) {
    if (window->windowModality() == Qt::NonModal || delayMs > kActivationRetryLimitMs) return;
    QPointer<QWidget> guarded = window;
    QTimer::singleShot(delayMs, window, [guarded, delayMs] {
        if (!guarded || !guarded->isVisible() || guarded->isActiveWindow()) return;
        guarded->raise();
        guarded->activateWindow();
        takeKeyboardWhenShown(guarded, delayMs * 2);
    });
}

} // namespace adapter

// ---- Run loop ----

int ezGuiRun(int argc, char** argv, EzStartCallback start, EzEventCallback event,
             EzDesignCallback design) {
    if (QApplication::instance() == nullptr) {
        static int argumentCount = argc;
        new QApplication(argumentCount, argv);
    }
    ensureToolkit();
    toolkit.event = event;
    toolkit.design = design;
    if (start != nullptr) start();
    if (toolkit.forms.empty()) return 0;
    QEventLoop loop;
    QEventLoop* outerLoop = toolkit.mainLoop;
    toolkit.mainLoop = &loop;
    loop.exec();
    toolkit.mainLoop = outerLoop;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

void ezDoEvents(int milliseconds) {
    ensureToolkit();
    QCoreApplication::processEvents(QEventLoop::AllEvents, std::max(milliseconds, 0));
}

void ezShowBusy(int busy) {
    ensureToolkit();
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The pointer changes before the work starts, not after it.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else if (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
}

void ezPostEvent(const std::string& form, int controlId, int value) {
    ensureToolkit();
    QMetaObject::invokeMethod(
        qApp,
        [form, controlId, value] {
            if (findForm(form) != nullptr) raiseEvent(form, controlId, kEventPosted, value);
        },
        Qt::QueuedConnection);
}

void ezAllowKeyEvents(int mode) {
    toolkit.keyEvents = mode != 0;
}
void ezAllowCommandEvents(int) {}
void ezAllowNotifyEvents(int) {}
void ezAllowMouseMoveEvents(int) {}
void ezAllowCursorEvents(int) {}
void ezAllowLoadingEvent(int mode) {
    toolkit.loadingMode = mode;
}

void ezSetLoadStr(const std::string& text) {
    toolkit.loadString = text;
    toolkit.loadStringSet = true;
}

// ---- Forms ----

void ezForm(const std::string& name, const std::string& parent, const std::string& title,
            double column, double row, double width, double height, const std::string& properties) {
    ensureToolkit();
    if (findForm(name) != nullptr) {
        ezBringToFront(name);
        return;
    }
    Form* parentForm = parent == name ? nullptr : findForm(parent);
    QWidget* parentWindow = parentForm != nullptr ? parentForm->window.data() : nullptr;
    bool modal = hasLetter(properties, 'M');
    bool resizable = hasLetter(properties, 'Z');
    auto* window =
        new QWidget(parentWindow, windowFlagsFor(parentWindow != nullptr || modal, resizable));
    window->setProperty(kFormProperty, QString::fromStdString(name));
    window->setWindowTitle(toQt(title));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* client = new QWidget(window);
    client->setProperty(kClientProperty, true);
    layout->addWidget(client);
    if (Menu* bar = findMenu(toolkit.pendingMainMenu)) {
        layout->setMenuBar(bar->widget);
        bar->form = name;
        // Listed as it stands, above the client area, for screen readers.
        client->raise();
    }
    QColor background = colorOf(toolkit.currentBackground);
    if (background.isValid()) {
        QPalette palette = client->palette();
        palette.setColor(QPalette::Window, background);
        client->setPalette(palette);
        client->setAutoFillBackground(true);
    }
    QSize clientSize(toPixelsAcross(width), toPixelsDown(height));
    if (resizable) {
        client->resize(clientSize);
        window->resize(clientSize.width(), clientSize.height() + menuBarHeight(window));
    } else {
        client->setFixedSize(clientSize);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    // A modal form blocks its owner (and the owner's owners) only, so the help window, which
    // has no owner, stays usable beside it.
    if (modal) {
        window->setWindowModality(parentWindow != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    }

    Form& form = toolkit.forms[name];
    form = Form{};
    form.name = name;
    form.parent = parentForm != nullptr ? parent : std::string();
    form.window = window;
    form.client = client;
    form.resizable = resizable;
    form.dialog = parentWindow != nullptr || modal;
    form.alert = hasLetter(properties, 'A');
    if (toolkit.pendingMainMenu != 0) form.savedMenus[0] = toolkit.pendingMainMenu;
    toolkit.pendingMainMenu = 0;
    toolkit.loadOrder.push_back(name);
    toolkit.currentAnchors.clear();
    toolkit.currentLayer = 0;

    raiseEvent(name, 0, kEventLoading, 0);
    if (findForm(name) == nullptr) return;
    toolkit.designing.push_back(name);
    if (toolkit.design != nullptr) toolkit.design(name);
    toolkit.designing.pop_back();
    if (Form* designed = findForm(name)) {
        arrangeForAccessibility(*designed);
        keepTextReadableOnBands(*designed);
        orderTabStops(*designed);
        updateRadioTabStops(*designed);
    } else {
        return;
    }
    layout->activate();
    // The native window exists before the form is seen, so its frame can be measured.
    window->winId();
    if (hasLetter(properties, 'C')) {
        QRect screen = QApplication::primaryScreen()->availableGeometry();
        QSize outer = window->frameGeometry().size();
        window->move(screen.left() + (screen.width() - outer.width()) / 2,
                     screen.top() + (screen.height() - outer.height()) / 2);
    } else {
        window->move(toPixelsAcross(column), toPixelsDown(row));
    }
    raiseEvent(name, 0, kEventLoaded, 0);
    if (findForm(name) == nullptr) return;
    window->show();
    window->raise();
    window->activateWindow();
    QPointer<QWidget> shownWindow = window;
    raiseEvent(name, 0, kEventStarted, 0);
    // The started event may have unloaded the form already.
    if (shownWindow && findForm(name) != nullptr) takeKeyboardWhenShown(shownWindow);
    Form* shown = findForm(name);
    if (!modal || shown == nullptr) return;
    QEventLoop loop;
    shown->modalLoop = &loop;
    loop.exec();
}

void ezUnloadForm(const std::string& name) {
    Form* form = findForm(name);
    if (form == nullptr || form->unloading) return;
    form->unloading = true;
    std::vector<std::string> owned;
    for (const auto& [otherName, other] : toolkit.forms) {
        if (other.parent == name && otherName != name) owned.push_back(otherName);
    }
    for (const std::string& child : owned)
        ezUnloadForm(child);
    raiseEvent(name, 0, kEventUnload, 0);
    form = findForm(name);
    if (form == nullptr) return;
    QWidget* window = form->window;
    QEventLoop* loop = form->modalLoop;
    toolkit.forms.erase(name);
    std::erase(toolkit.loadOrder, name);
    if (window != nullptr) {
        window->hide();
        window->deleteLater();
    }
    if (loop != nullptr) loop->quit();
    if (toolkit.forms.empty() && toolkit.mainLoop != nullptr) toolkit.mainLoop->quit();
}

std::string ezCurrentForm() {
    for (auto name = toolkit.dispatching.rbegin(); name != toolkit.dispatching.rend(); ++name) {
        if (findForm(*name) != nullptr) return *name;
    }
    if (!toolkit.designing.empty() && findForm(toolkit.designing.back()) != nullptr) {
        return toolkit.designing.back();
    }
    std::string active = formNameOf(QApplication::activeWindow());
    if (findForm(active) != nullptr) return active;
    for (auto name = toolkit.loadOrder.rbegin(); name != toolkit.loadOrder.rend(); ++name) {
        if (findForm(*name) != nullptr) return *name;
    }
    return {};
}

bool ezFormLoaded(const std::string& name) {
    return findForm(name) != nullptr;
}

void ezSetFormIcon(const std::string& form, const std::string& icon) {
    Form* record = findForm(form);
    auto found = toolkit.pictures.find(icon);
    if (record == nullptr || found == toolkit.pictures.end()) return;
    record->window->setWindowIcon(QIcon(QPixmap::fromImage(found->second)));
}

void ezSetFormMinMax(const std::string& form, double minWidth, double minHeight, double maxWidth,
                     double maxHeight) {
    Form* record = findForm(form);
    if (record == nullptr || !record->resizable) return;
    auto limit = [](int pixels) { return std::min(std::max(pixels, 0), QWIDGETSIZE_MAX); };
    record->client->setMinimumSize(limit(toPixelsAcross(minWidth)), limit(toPixelsDown(minHeight)));
    record->client->setMaximumSize(limit(toPixelsAcross(maxWidth)), limit(toPixelsDown(maxHeight)));
}

void ezResizeForm(const std::string& form, double width, double height) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    QSize size(toPixelsAcross(width), toPixelsDown(height));
    if (record->resizable) {
        record->window->resize(size.width(), size.height() + menuBarHeight(record->window));
    } else {
        record->client->setFixedSize(size);
        record->window->layout()->activate();
    }
}

void ezBringToFront(const std::string& form) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    if (record->window->isMinimized()) record->window->showNormal();
    record->window->raise();
    record->window->activateWindow();
}

EzRect ezWindowRect(const std::string& form) {
    Form* record = findForm(form);
    if (record == nullptr) return EzRect{0, 0, 0, 0};
    QRect frame = record->window->frameGeometry();
    return EzRect{frame.left(), frame.top(), frame.width(), frame.height()};
}

int ezScreenWidth() {
    ensureToolkit();
    return QApplication::primaryScreen()->geometry().width();
}

int ezScreenHeight() {
    ensureToolkit();
    return QApplication::primaryScreen()->geometry().height();
}

int ezCaptionHeight() {
    ensureToolkit();
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

void ezMoveForm(const std::string& form, int x, int y) {
    if (Form* record = findForm(form)) record->window->move(x, y);
}

void ezSetLayer(int layer) {
    toolkit.currentLayer = std::max(layer, 0);
}

void ezDisplayLayer(const std::string& form, int layer) {
    Form* record = findForm(form);
    if (record == nullptr) return;
    record->displayedLayer = layer;
    for (auto& [id, control] : record->controls)
        updateVisibility(*record, control);
}

// ---- Desktop ----

std::string ezAppPath() {
    ensureToolkit();
    return fromQt(QCoreApplication::applicationDirPath()) + "/";
}

bool ezOpenUrl(const std::string& url) {
    ensureToolkit();
    const QUrl address(toQt(url));
    // Web pages only: a file or a program's own scheme would hand the desktop something to run.
    if (address.scheme() != QStringLiteral("https")) return false;
    return QDesktopServices::openUrl(address);
}

bool ezOpenFile(const std::string& path) {
    ensureToolkit();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQt(path)));
}

void ezPlainMessage(const std::string& caption, const std::string& text) {
    ensureToolkit();
    QMessageBox box(QMessageBox::NoIcon, toQt(caption), toQt(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

// The preview window: every page of the calendar the main window previews, large, paged with
// Page Up, Page Down, Home and End, zoomed with Ctrl+plus, Ctrl+minus and Ctrl+0 (fit), closed
// with Escape. Pages are drawn at the screen's own pixels, so a scaled screen shows them sharp.
#include "common/translate.h"
#include "gui/adapter.h"
#include "gui/pdf_view_plugin.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace adapter;

namespace {

constexpr double kWindowColumns = 90;
constexpr double kWindowRows = 40;
// Zoom steps as a share of the page's printed size at the screen's 96 pixels an inch; 0 fits
// the whole page into the window. Twice the size already shows a day's smallest letters large,
// and a legal page drawn larger on a scaled screen would take hundreds of megabytes.
constexpr double kZoomSteps[] = {0.25, 0.5, 0.75, 1, 1.25, 1.5, 2};
constexpr double kFit = 0;
constexpr double kPixelsPerPoint = 96.0 / 72.0;
// Names the tests and screen readers find the parts by.
constexpr const char* kWindowName = "previewWindow";
constexpr const char* kPageName = "previewPage";
constexpr const char* kCountName = "previewCount";

// The one preview window and what it shows; its widgets go with the window.
struct Viewer {
    QPointer<QWidget> window;
    QScrollArea* area = nullptr;
    QLabel* page = nullptr;
    QLabel* count = nullptr;
    QPushButton* previous = nullptr;
    QPushButton* next = nullptr;
    void* document = nullptr;
    int pages = 0;
    int current = 0;
    double zoom = kFit;
};

Viewer viewer;

QString text(const char* english) {
    return QString::fromUtf8(translate(english));
}

// Screen readers hear the page and the zoom as they change, as they hear the status bar.
void announce(QWidget* widget, const QString& name, const QString& description) {
    if (widget->accessibleName() != name) {
        widget->setAccessibleName(name);
        QAccessibleEvent changed(widget, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    if (widget->accessibleDescription() != description) {
        widget->setAccessibleDescription(description);
        QAccessibleEvent changed(widget, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

// Pixels a point of the page takes on screen (before the screen's own scale).
double pageScale(const QSizeF& points) {
    if (viewer.zoom != kFit) return viewer.zoom * kPixelsPerPoint;
    const QSize room = viewer.area->viewport()->size() - QSize(8, 8);
    return std::max(0.05, std::min(room.width() / points.width(), room.height() / points.height()));
}

QString zoomText(double scale) {
    const int percent = static_cast<int>(std::lround(scale / kPixelsPerPoint * 100));
    return viewer.zoom == kFit
               ? toQt(fillIn(translate("Fit to window (%1%)"), {std::to_string(percent)}))
               : toQt(fillIn(translate("Zoom %1%"), {std::to_string(percent)}));
}

void showPage() {
    const PdfViewPluginTable* table = pdfViewModule();
    if (!viewer.window || table == nullptr || viewer.document == nullptr) return;
    viewer.current = std::clamp(viewer.current, 0, std::max(0, viewer.pages - 1));
    const QSizeF points = table->pageSize(viewer.document, viewer.current);
    if (points.isEmpty()) return;
    const double scale = pageScale(points);
    const qreal ratio = viewer.window->devicePixelRatioF();
    const int width = std::max(1, static_cast<int>(std::lround(points.width() * scale * ratio)));
    const int height = std::max(1, static_cast<int>(std::lround(points.height() * scale * ratio)));
    QPixmap pixmap =
        QPixmap::fromImage(table->render(viewer.document, viewer.current, width, height));
    pixmap.setDevicePixelRatio(ratio);
    viewer.page->setPixmap(pixmap);
    viewer.page->resize(pixmap.deviceIndependentSize().toSize());
    const QString pageText =
        toQt(fillIn(translate("Page %1 of %2"),
                    {std::to_string(viewer.current + 1), std::to_string(viewer.pages)}));
    const QString zoom = zoomText(scale);
    viewer.count->setText(pageText + QStringLiteral("  \u00b7  ") + zoom);
    announce(viewer.count, pageText + QStringLiteral(", ") + zoom, QString());
    announce(viewer.page, pageText, zoom);
    viewer.previous->setEnabled(viewer.current > 0);
    viewer.next->setEnabled(viewer.current + 1 < viewer.pages);
}

void goToPage(int page) {
    viewer.current = page;
    showPage();
    viewer.area->verticalScrollBar()->setValue(0);
}

void zoomBy(int steps) {
    const QSizeF points = pdfViewModule()->pageSize(viewer.document, viewer.current);
    const double now = pageScale(points) / kPixelsPerPoint;
    double chosen = now;
    if (steps > 0) {
        chosen = kZoomSteps[std::size(kZoomSteps) - 1];
        for (double step : kZoomSteps)
            if (step > now + 0.001) {
                chosen = step;
                break;
            }
    } else {
        chosen = kZoomSteps[0];
        for (double step : kZoomSteps)
            if (step < now - 0.001) chosen = step;
    }
    viewer.zoom = chosen;
    showPage();
}

void fitPage() {
    viewer.zoom = kFit;
    showPage();
}

void takeDocument(const QByteArray& pdf) {
    const PdfViewPluginTable* table = pdfViewModule();
    if (table == nullptr) return;
    if (viewer.document != nullptr) table->close(viewer.document);
    viewer.document = table->open(pdf);
    viewer.pages = viewer.document != nullptr ? table->pageCount(viewer.document) : 0;
}

void closeDocument() {
    if (viewer.document != nullptr && pdfViewModule() != nullptr)
        pdfViewModule()->close(viewer.document);
    viewer.document = nullptr;
    viewer.pages = 0;
}

void addShortcut(QWidget* window, const QKeySequence& keys, const std::function<void()>& act) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, act);
}

// In fit mode the page follows the window's size.
class FitFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize && viewer.zoom == kFit) showPage();
        return false;
    }
};

QPushButton* addButton(QHBoxLayout* bar, const char* english, const std::function<void()>& act) {
    auto* button = new QPushButton(text(english));
    button->setFocusPolicy(Qt::TabFocus);
    bar->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, act);
    return button;
}

void makeWindow(QWidget* owner) {
    auto* window = new QWidget(owner, Qt::Window);
    window->setObjectName(QLatin1String(kWindowName));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(text(N_("Calendar Preview")));
    window->setWindowIcon(owner->windowIcon());
    viewer = Viewer{};
    viewer.window = window;
    viewer.area = new QScrollArea(window);
    viewer.area->setAlignment(Qt::AlignCenter);
    viewer.area->setBackgroundRole(QPalette::Dark);
    viewer.area->setFocusPolicy(Qt::NoFocus);
    viewer.page = new QLabel;
    viewer.page->setObjectName(QLatin1String(kPageName));
    viewer.page->setFocusPolicy(Qt::StrongFocus);
    viewer.area->setWidget(viewer.page);
    viewer.area->setAccessibleName(text(N_("Pages")));
    viewer.area->viewport()->installEventFilter(new FitFilter(window));
    // The page count on a line of its own, so the buttons keep their room in any language.
    viewer.count = new QLabel(window);
    viewer.count->setObjectName(QLatin1String(kCountName));
    viewer.count->setAlignment(Qt::AlignCenter);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 4);
    viewer.previous = addButton(bar, N_("&Previous Page"), [] { goToPage(viewer.current - 1); });
    viewer.next = addButton(bar, N_("&Next Page"), [] { goToPage(viewer.current + 1); });
    bar->addStretch(1);
    addButton(bar, N_("Zoom &Out"), [] { zoomBy(-1); });
    addButton(bar, N_("Zoom &In"), [] { zoomBy(1); });
    addButton(bar, N_("&Fit"), fitPage);
    addButton(bar, N_("&Close"), [window] { window->close(); });
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(viewer.area, 1);
    layout->addWidget(viewer.count);
    layout->addLayout(bar);
    window->resize(toPixelsAcross(kWindowColumns), toPixelsDown(kWindowRows));

    addShortcut(window, QKeySequence(Qt::Key_PageDown), [] { goToPage(viewer.current + 1); });
    addShortcut(window, QKeySequence(Qt::Key_PageUp), [] { goToPage(viewer.current - 1); });
    addShortcut(window, QKeySequence(Qt::Key_Home), [] { goToPage(0); });
    addShortcut(window, QKeySequence(Qt::Key_End), [] { goToPage(viewer.pages - 1); });
    for (const QKeySequence& keys :
         {QKeySequence(QKeySequence::ZoomIn), QKeySequence(QStringLiteral("Ctrl+="))})
        addShortcut(window, keys, [] { zoomBy(1); });
    addShortcut(window, QKeySequence::ZoomOut, [] { zoomBy(-1); });
    addShortcut(window, QKeySequence(QStringLiteral("Ctrl+0")), fitPage);
    addShortcut(window, QKeySequence(Qt::Key_Escape), [window] { window->close(); });
    addShortcut(window, QKeySequence(QStringLiteral("Ctrl+W")), [window] { window->close(); });
    QObject::connect(window, &QObject::destroyed, [] { closeDocument(); });
}

} // namespace

void showPreviewWindow(QWidget* owner, const QByteArray& pdf) {
    if (pdfViewModule() == nullptr) return;
    if (!viewer.window) makeWindow(owner);
    takeDocument(pdf);
    viewer.current = 0;
    viewer.zoom = kFit;
    viewer.window->show();
    viewer.window->raise();
    viewer.window->activateWindow();
    viewer.page->setFocus(Qt::OtherFocusReason);
    showPage();
}

void refreshPreviewWindow(const QByteArray& pdf) {
    if (!viewer.window) return;
    takeDocument(pdf);
    showPage();
}

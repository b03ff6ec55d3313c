// The main window's live preview: documents made and their first page drawn on a thread of
// its own, the newest request winning, and the page library loaded on the first one.
#include "gui/pdf_preview.h"

#include "common/program_library.h"
#include "common/translate.h"
#include "gui/adapter.h"
#include "gui/pdf_view_plugin.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <climits>
#include <condition_variable>
#include <cstdint>
#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

using namespace adapter;

namespace {

// The library's file name, and its folder in an installed copy relative to the executable's.
constexpr const char* kModuleName = MERIVANE_PDFVIEW_MODULE_NAME;
constexpr const char* kInstalledModuleFolder = MERIVANE_PDFVIEW_MODULE_FOLDER;
// Set on the picture label that is the preview.
constexpr const char* kPreviewProperty = "merivanePreview";

// One request of the window's thread, taken by the preview's thread.
struct Job {
    std::uint64_t generation;
    EzPdfMaker make;
    QSize room; // device pixels the page is fitted into
};

// What the preview's thread hands back.
struct Drawn {
    std::uint64_t generation;
    QImage page;
    QByteArray pdf;
    int pages;
};

// Shared by both threads, from the first preview until the preview goes.
struct Worker {
    std::mutex lock;
    std::condition_variable wake;
    std::optional<Job> pending;
    bool stopping = false;
    std::thread thread;
};

Worker* worker = nullptr;

// The window's thread's own record of the preview.
struct Preview {
    std::string form;
    int id = 0;
    QPointer<QLabel> label;
    std::uint64_t generation = 0; // of the newest request
    std::string subject;          // of the newest request
    QByteArray pdf;               // the document drawn last; empty while words are shown
    int pages = 0;
};

Preview preview;

std::once_flag moduleOnce;
const PdfViewPluginTable* module = nullptr;

// The table of the library at path, an absolute path; nullptr when it is missing, damaged,
// cannot be loaded (a library it needs is missing) or belongs to another build.
const PdfViewPluginTable* openModule(const std::string& path) {
    void* library = openProgramLibrary(path);
    if (library == nullptr) return nullptr;
    auto entry = reinterpret_cast<PdfViewPluginEntry>(dlsym(library, kPdfViewPluginEntry));
    const PdfViewPluginTable* table = entry == nullptr ? nullptr : entry();
    if (table != nullptr && table->version == kPdfViewPluginVersion &&
        table->size == sizeof(PdfViewPluginTable))
        return table;
    dlclose(library);
    return nullptr;
}

// Beside the executable (the build's bin folder, a portable copy), else in the library folder
// of an installed copy whose folders no other user can write.
void loadModule() {
    for (const std::string& place :
         programLibraryPlaces(executableFolder(), kInstalledModuleFolder, kModuleName)) {
        module = openModule(place);
        if (module != nullptr) return;
    }
}

// The page fitted into room, its shape kept.
QSize fittedSize(const QSizeF& points, const QSize& room) {
    if (points.isEmpty() || room.isEmpty()) return {};
    const double scale = std::min(room.width() / points.width(), room.height() / points.height());
    return QSize(std::max(1, static_cast<int>(std::lround(points.width() * scale))),
                 std::max(1, static_cast<int>(std::lround(points.height() * scale))));
}

void deliver(Drawn drawn);

// Makes and draws each request in turn; one that a newer request replaced while waiting is
// never made.
void work(Worker* self) {
    for (;;) {
        std::unique_lock<std::mutex> held(self->lock);
        self->wake.wait(held, [self] { return self->stopping || self->pending.has_value(); });
        if (self->stopping) return;
        Job job = std::move(*self->pending);
        self->pending.reset();
        held.unlock();
        Drawn drawn{job.generation, {}, {}, 0};
        std::string pdf;
        const PdfViewPluginTable* table = pdfViewModule();
        if (job.make(pdf) && table != nullptr) {
            drawn.pdf = QByteArray(pdf.data(), static_cast<qsizetype>(pdf.size()));
            if (void* document = table->open(drawn.pdf)) {
                drawn.pages = table->pageCount(document);
                const QSize size = fittedSize(table->pageSize(document, 0), job.room);
                if (drawn.pages > 0 && !size.isEmpty())
                    drawn.page = table->render(document, 0, size.width(), size.height());
                table->close(document);
            }
        }
        QMetaObject::invokeMethod(
            qApp, [drawn = std::move(drawn)]() mutable { deliver(std::move(drawn)); },
            Qt::QueuedConnection);
    }
}

// Ends the preview's thread once the page it may be drawing is done: when the preview goes with
// its window, and at the latest with the application, so it never outlives what it uses.
void stopWorker() {
    if (worker == nullptr) return;
    {
        const std::lock_guard<std::mutex> held(worker->lock);
        worker->stopping = true;
        worker->pending.reset();
    }
    worker->wake.notify_all();
    worker->thread.join();
    delete worker;
    worker = nullptr;
}

void startWorker() {
    if (worker != nullptr) return;
    static bool stopsWithApplication = false;
    if (!stopsWithApplication) qAddPostRoutine(stopWorker);
    stopsWithApplication = true;
    worker = new Worker;
    worker->thread = std::thread(work, worker);
}

void announceName(QWidget* widget, const QString& name) {
    if (widget->accessibleName() == name) return;
    widget->setAccessibleName(name);
    QAccessibleEvent changed(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void showWords(const QString& words) {
    preview.label->setPixmap(QPixmap());
    preview.label->setWordWrap(true);
    preview.label->setText(words);
    announceName(preview.label, words);
}

// On the window's thread: the newest page is shown, any older one dropped.
void deliver(Drawn drawn) {
    if (!preview.label || drawn.generation != preview.generation) return;
    if (drawn.page.isNull()) {
        preview.pdf.clear();
        preview.pages = 0;
        showWords(QString::fromUtf8(translate("The preview cannot be drawn.")));
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(drawn.page);
    pixmap.setDevicePixelRatio(preview.label->devicePixelRatioF());
    preview.label->setText(QString());
    preview.label->setPixmap(pixmap);
    preview.pdf = std::move(drawn.pdf);
    preview.pages = drawn.pages;
    announceName(preview.label, toQt(fillIn(translate("Preview: %1, page %2 of %3"),
                                            {preview.subject, "1", std::to_string(drawn.pages)})));
    refreshPreviewWindow(preview.pdf);
}

// A click, Return or Space on the preview opens every page; Return is handled before the form
// presses its default button (gui/keyboard.cpp).
bool previewActivated(QObject* watched, QEvent* event) {
    if (!watched->property(kPreviewProperty).toBool()) return false;
    const bool key = event->type() == QEvent::KeyPress &&
                     static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
                     static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier;
    const bool click = event->type() == QEvent::MouseButtonRelease &&
                       static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (!key && !click) return false;
    const auto* widget = static_cast<QWidget*>(watched);
    const std::string form = formNameOf(widget);
    const int id = controlIdOf(widget);
    QMetaObject::invokeMethod(
        qApp, [form, id] { raiseClick(form, id); }, Qt::QueuedConnection);
    return true;
}

// Qt's way of watching one widget's events.
class PreviewFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        return previewActivated(watched, event);
    }
};

} // namespace

const PdfViewPluginTable* pdfViewModule() {
    std::call_once(moduleOnce, loadModule);
    return module;
}

bool isPreviewPicture(const QWidget* widget) {
    return widget != nullptr && widget->property(kPreviewProperty).toBool();
}

void ezMakePreview(const std::string& form, int id) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->kind != ControlKind::Picture) return;
    auto* label = static_cast<QLabel*>(control->widget.data());
    label->setProperty(kPreviewProperty, true);
    label->setFocusPolicy(Qt::StrongFocus);
    label->installEventFilter(new PreviewFilter(label));
    label->setAccessibleDescription(
        QString::fromUtf8(translate("Return or Space shows every page")));
    QObject::connect(label, &QObject::destroyed, [] { stopWorker(); });
    preview.form = form;
    preview.id = id;
    preview.label = label;
}

void ezShowPdfPreview(const std::string& form, int id, const std::string& subject,
                      EzPdfMaker make) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->widget != preview.label || !preview.label) return;
    startWorker();
    preview.subject = subject;
    const QSize room = preview.label->contentsRect().size() * preview.label->devicePixelRatioF();
    const std::lock_guard<std::mutex> held(worker->lock);
    worker->pending = Job{++preview.generation, std::move(make), room};
    worker->wake.notify_one();
}

void ezShowPreviewText(const std::string& form, int id, const std::string& text) {
    Control* control = findControl(form, id);
    if (control == nullptr || control->widget != preview.label || !preview.label) return;
    ++preview.generation;
    preview.pdf.clear();
    preview.pages = 0;
    showWords(toQt(text));
}

void ezShowPreviewWindow() {
    if (!preview.label || preview.pdf.isEmpty()) return;
    showPreviewWindow(preview.label->window(), preview.pdf);
}

// The preview's page drawing over poppler, in a library of its own (gui/pdf_view_plugin.h).
#include "gui/pdf_view_plugin.h"

#include <poppler/qt6/poppler-qt6.h>

#include <memory>

namespace {

Poppler::Document* documentOf(void* document) {
    return static_cast<Poppler::Document*>(document);
}

void* openDocument(const QByteArray& pdf) {
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(pdf);
    if (!document || document->isLocked()) return nullptr;
    // As a PDF reader draws them, pdftoppm among them: smoothed lines and letters.
    document->setRenderHint(Poppler::Document::Antialiasing, true);
    document->setRenderHint(Poppler::Document::TextAntialiasing, true);
    return document.release();
}

void closeDocument(void* document) {
    delete documentOf(document);
}

int pageCount(void* document) {
    return document != nullptr ? documentOf(document)->numPages() : 0;
}

QSizeF pageSize(void* document, int page) {
    if (document == nullptr || page < 0 || page >= documentOf(document)->numPages()) return {};
    const std::unique_ptr<Poppler::Page> one = documentOf(document)->page(page);
    return one ? one->pageSizeF() : QSizeF();
}

// Resolutions that bring the page to exactly the pixels asked for, across and down.
QImage renderPage(void* document, int page, int width, int height) {
    const QSizeF points = pageSize(document, page);
    if (points.isEmpty() || width <= 0 || height <= 0) return {};
    const std::unique_ptr<Poppler::Page> one = documentOf(document)->page(page);
    if (!one) return {};
    const double dpiX = width * 72.0 / points.width();
    const double dpiY = height * 72.0 / points.height();
    QImage image = one->renderToImage(dpiX, dpiY, 0, 0, width, height);
    if (image.isNull()) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

const PdfViewPluginTable kTable = {
    kPdfViewPluginVersion,
    sizeof(PdfViewPluginTable),
    openDocument,
    closeDocument,
    pageCount,
    pageSize,
    renderPage,
};

} // namespace

extern "C" __attribute__((visibility("default"))) const PdfViewPluginTable*
merivane_pdfview_plugin() {
    return &kTable;
}

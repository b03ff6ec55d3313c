#pragma once
// Drawing PDF pages needs poppler, which brings its own libraries (fonts, colour management,
// image codecs) into the process. It lives in libmerivane_pdfview.so, which the previews load
// when they draw their first page, so a window that has not yet drawn one never maps it. Both
// sides are built together; the version and size guard against a library of another build.
#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <cstddef>

// Raised whenever the table or what its routines mean changes.
constexpr int kPdfViewPluginVersion = 1;

// A document stays with the thread that opened it.
struct PdfViewPluginTable {
    int version;
    std::size_t size; // sizeof(PdfViewPluginTable) of the library's build
    // A document read from memory (the bytes are copied); nullptr when it cannot be read.
    void* (*open)(const QByteArray& pdf);
    void (*close)(void* document);
    int (*pageCount)(void* document);
    // Page size in points, 1/72 inch; empty for a page the document lacks.
    QSizeF (*pageSize)(void* document, int page);
    // Page `page` (from 0) drawn on white at exactly width x height pixels; null on failure.
    QImage (*render)(void* document, int page, int width, int height);
};

// The library's one exported symbol: its table, which lives as long as the library.
constexpr const char* kPdfViewPluginEntry = "merivane_pdfview_plugin";
using PdfViewPluginEntry = const PdfViewPluginTable* (*)();
extern "C" const PdfViewPluginTable* merivane_pdfview_plugin();

// ---- The program's side (gui/pdf_preview.cpp, gui/preview_window.cpp) ----
class QWidget;
// The library's table, loaded on the first call from any thread; nullptr when it is missing.
const PdfViewPluginTable* pdfViewModule();
// True for the picture label that ezMakePreview made the preview.
bool isPreviewPicture(const QWidget* widget);
// The preview window over owner with every page of pdf, shown and given the keyboard.
void showPreviewWindow(QWidget* owner, const QByteArray& pdf);
// An open preview window takes the preview's newest document; nothing when none is open.
void refreshPreviewWindow(const QByteArray& pdf);

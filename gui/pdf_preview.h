#pragma once
// The live preview of a PDF the program would write: its first page drawn into a picture
// control of a form, made off the window's thread, and a window with every page. The pages are
// drawn by a library loaded with the first preview (gui/pdf_view_plugin.h).
#include <functional>
#include <string>

// Makes the document's bytes. It runs on the preview's own thread, so it may read nothing the
// window's thread changes (it is handed copies). False when it made no document.
using EzPdfMaker = std::function<bool(std::string& pdf)>;

// Picture control `id` of `form` becomes the preview: Tab reaches it, and a click, Return or
// Space on it raises kEventClick for it.
void ezMakePreview(const std::string& form, int id);
// Draws the first page of what make builds into the preview, fitted into it; the latest call
// wins over one not yet drawn. Screen readers then hear "Preview: <subject>, page 1 of <n>".
void ezShowPdfPreview(const std::string& form, int id, const std::string& subject, EzPdfMaker make);
// Words in place of the picture, saying why there is none; a page still being made is dropped.
void ezShowPreviewText(const std::string& form, int id, const std::string& text);
// The window with every page of the document the preview drew last, over the preview's form;
// it follows the preview while it is open. Nothing happens while no page has been drawn.
void ezShowPreviewWindow();

#pragma once
#include <QTextDocument>
#include <string>

// Replaces the document's content with the RTF text (or plain text when it is not RTF).
void fillDocumentFromRtf(QTextDocument& document, const std::string& rtf);

#include "gui/rtf_qt.h"

#include "gui/rtf.h"

#include <QBrush>
#include <QChar>
#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {

// RTF measures indents in twips (1/1440 inch); Qt's block margins are pixels at 96 dots per inch.
constexpr double kTwipsPerPixel = 15.0;

QTextCharFormat charFormatFor(const RtfCharFormat& format) {
    QTextCharFormat charFormat;
    charFormat.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    charFormat.setFontItalic(format.italic);
    charFormat.setFontUnderline(format.underline);
    if (format.halfPoints > 0) charFormat.setFontPointSize(format.halfPoints / 2.0);
    if (format.colour.isSet)
        charFormat.setForeground(
            QBrush(QColor(format.colour.red, format.colour.green, format.colour.blue)));
    return charFormat;
}

QTextBlockFormat blockFormatFor(const RtfParagraphFormat& format) {
    QTextBlockFormat blockFormat;
    switch (format.alignment) {
    case RtfAlignCentre:
        blockFormat.setAlignment(Qt::AlignHCenter);
        break;
    case RtfAlignRight:
        blockFormat.setAlignment(Qt::AlignRight);
        break;
    case RtfAlignJustify:
        blockFormat.setAlignment(Qt::AlignJustify);
        break;
    case RtfAlignLeft:
        blockFormat.setAlignment(Qt::AlignLeft);
        break;
    }
    const double firstLineIndent = format.firstLineIndentTwips / kTwipsPerPixel;
    blockFormat.setLeftMargin(format.leftIndentTwips / kTwipsPerPixel);
    blockFormat.setTextIndent(firstLineIndent);
    blockFormat.setTopMargin(format.spaceBeforeTwips / kTwipsPerPixel);
    blockFormat.setBottomMargin(format.spaceAfterTwips / kTwipsPerPixel);
    // After a hanging bullet the tab goes to the left indent, as in WordPad; Qt measures tab
    // positions from where the first line starts.
    if (firstLineIndent < 0)
        blockFormat.setTabPositions({QTextOption::Tab(-firstLineIndent, QTextOption::LeftTab)});
    return blockFormat;
}

// A line break inside a paragraph is Qt's line separator; a plain "\n" would start a new block.
QString qtText(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.replace(QChar('\n'), QChar(QChar::LineSeparator));
    return text;
}

} // namespace

void fillDocumentFromRtf(QTextDocument& document, const std::string& rtf) {
    const RtfDocument model = readRtf(rtf);
    // Loading is not an edit the user could undo, and an undo copy would double the memory.
    const bool undoWasEnabled = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool firstParagraph = true;
    for (const RtfParagraph& paragraph : model.paragraphs) {
        if (firstParagraph)
            cursor.setBlockFormat(blockFormatFor(paragraph.format));
        else
            cursor.insertBlock(blockFormatFor(paragraph.format));
        firstParagraph = false;
        for (const RtfRun& run : paragraph.runs)
            cursor.insertText(qtText(run.text), charFormatFor(run.format));
    }
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undoWasEnabled);
}

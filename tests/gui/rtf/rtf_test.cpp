#include "gui/rtf.h"
#include "gui/rtf_qt.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace {

void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "rtf_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

struct Fragment {
    QString text;
    QTextCharFormat format;
};

std::vector<QTextBlock> blocksOf(const QTextDocument& document) {
    std::vector<QTextBlock> blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        blocks.push_back(block);
    return blocks;
}

std::vector<Fragment> fragmentsOf(const QTextBlock& block) {
    std::vector<Fragment> fragments;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
        fragments.push_back(Fragment{it.fragment().text(), it.fragment().charFormat()});
    return fragments;
}

// The fragment whose text is exactly the given words; a failed lookup fails the test.
Fragment fragmentWithText(const QTextBlock& block, const QString& text) {
    for (const Fragment& fragment : fragmentsOf(block))
        if (fragment.text == text) return fragment;
    ADD_FAILURE() << "no fragment \"" << text.toStdString() << "\" in \""
                  << block.text().toStdString() << "\"";
    return Fragment{};
}

bool isBold(const QTextCharFormat& format) {
    return format.fontWeight() >= QFont::Bold;
}

int horizontalAlignment(const QTextBlock& block) {
    return static_cast<int>(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
}

std::string allText(const RtfDocument& document) {
    std::string text;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        if (!text.empty()) text += '|';
        for (const RtfRun& run : paragraph.runs)
            text += run.text;
    }
    return text;
}

std::string withCrLf(const std::string& text) {
    std::string result;
    for (const char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

std::string repeated(const std::string& piece, std::size_t count) {
    std::string result;
    result.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        result += piece;
    return result;
}

// Release notes as WordPad saves them: CR LF line ends, a Symbol font for the bullets, an
// automatic first colour, paragraph spacing words and a generator destination.
const std::string kReleaseNotes = withCrLf(
    R"({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1033{\fonttbl{\f0\fnil\fcharset0 Calibri;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red192\green0\blue0;\red0\green112\blue192;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\sa200\sl276\slmult1\qc\b\f0\fs32\lang9 Zarn Generator 6.0.0.1\b0\fs22\par
\pard\sa200\sl276\slmult1\i Released 14 March 2026\i0\par
\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\sa200\sl276\slmult1 The planning calendar\rquote s budget column now prints the \cf1\b total\cf0\b0  in red.\par
{\pntext\f1\'B7\tab}Week numbers can carry quarter designations (Q1\endash Q4).\par
{\pntext\f1\'B7\tab}Caf\'e9 prices in \u8364? and \'80\par
\pard\sa200\sl276\slmult1\ul Known problems\ulnone\line Printing to \cf2 Legal\cf0  paper is slow.\tab Fixed soon.\par
}
)");

TEST(RtfIntoQtDocument, WordPadReleaseNotesKeepParagraphsAndFormatting) {
    ensureGuiApplication();
    QTextDocument document;
    fillDocumentFromRtf(document, kReleaseNotes);
    const std::vector<QTextBlock> blocks = blocksOf(document);
    ASSERT_EQ(blocks.size(), 6u);

    EXPECT_EQ(blocks[0].text(), "Zarn Generator 6.0.0.1");
    EXPECT_EQ(horizontalAlignment(blocks[0]), Qt::AlignHCenter);
    const Fragment heading = fragmentWithText(blocks[0], "Zarn Generator 6.0.0.1");
    EXPECT_TRUE(isBold(heading.format));
    EXPECT_DOUBLE_EQ(heading.format.fontPointSize(), 16.0);

    EXPECT_EQ(blocks[1].text(), "Released 14 March 2026");
    EXPECT_EQ(horizontalAlignment(blocks[1]), Qt::AlignLeft);
    const Fragment released = fragmentWithText(blocks[1], "Released 14 March 2026");
    EXPECT_TRUE(released.format.fontItalic());
    EXPECT_FALSE(isBold(released.format));
    EXPECT_DOUBLE_EQ(released.format.fontPointSize(), 11.0);

    EXPECT_EQ(blocks[2].text(), QString::fromUtf8("\u2022\tThe planning calendar\u2019s budget "
                                                  "column now prints the total in red."));
    const Fragment total = fragmentWithText(blocks[2], "total");
    EXPECT_TRUE(isBold(total.format));
    EXPECT_EQ(total.format.foreground().color(), QColor(192, 0, 0));
    const Fragment afterTotal = fragmentWithText(blocks[2], " in red.");
    EXPECT_FALSE(isBold(afterTotal.format));
    EXPECT_FALSE(afterTotal.format.hasProperty(QTextFormat::ForegroundBrush));
    // \li720 and \fi-360 are half an inch and a quarter inch at 96 pixels per inch.
    EXPECT_DOUBLE_EQ(blocks[2].blockFormat().leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(blocks[2].blockFormat().textIndent(), -24.0);
    EXPECT_DOUBLE_EQ(blocks[2].blockFormat().bottomMargin(), 200.0 / 15.0);
    EXPECT_DOUBLE_EQ(blocks[2].blockFormat().topMargin(), 0.0);

    EXPECT_EQ(
        blocks[3].text(),
        QString::fromUtf8("\u2022\tWeek numbers can carry quarter designations (Q1\u2013Q4)."));
    EXPECT_DOUBLE_EQ(blocks[3].blockFormat().leftMargin(), 48.0);
    EXPECT_EQ(blocks[4].text(), QString::fromUtf8("\u2022\tCaf\u00e9 prices in \u20ac and \u20ac"));

    EXPECT_EQ(blocks[5].text(), QString::fromUtf8("Known problems\u2028Printing to Legal paper is "
                                                  "slow.\tFixed soon."));
    EXPECT_DOUBLE_EQ(blocks[5].blockFormat().leftMargin(), 0.0);
    EXPECT_TRUE(fragmentWithText(blocks[5], "Known problems").format.fontUnderline());
    EXPECT_EQ(fragmentWithText(blocks[5], "Legal").format.foreground().color(),
              QColor(0, 112, 192));
}

TEST(RtfIntoQtDocument, BulletTextLinesUpWithItsWrappedLines) {
    ensureGuiApplication();
    QTextDocument document;
    fillDocumentFromRtf(document, kReleaseNotes);
    document.setTextWidth(250);
    document.size(); // lays the document out
    const QTextBlock bullet = blocksOf(document).at(2);
    const QTextLayout* layout = bullet.layout();
    ASSERT_GE(layout->lineCount(), 2);
    const QTextLine first = layout->lineAt(0);
    const QTextLine second = layout->lineAt(1);
    const qreal textAfterTab = first.cursorToX(bullet.text().indexOf("The"));
    const qreal wrappedText = second.cursorToX(second.textStart());
    EXPECT_NEAR(textAfterTab, wrappedText, 1.0);
    EXPECT_LT(first.cursorToX(0), wrappedText - 10);
}

TEST(RtfIntoQtDocument, ColoursReachTheRenderedPage) {
    ensureGuiApplication();
    QTextDocument document;
    fillDocumentFromRtf(document,
                        R"({\rtf1{\colortbl;\red255\green0\blue0;}\fs48 black \cf1 RED RED RED}})");
    document.setTextWidth(600);
    QImage image(600, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    document.drawContents(&painter);
    painter.end();
    int redPixels = 0;
    int darkPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60) ++redPixels;
            if (pixel.red() < 60 && pixel.green() < 60 && pixel.blue() < 60) ++darkPixels;
        }
    }
    EXPECT_GT(redPixels, 50);
    EXPECT_GT(darkPixels, 50);
}

TEST(RtfIntoQtDocument, LoadingReplacesEarlierContentAndKeepsUndoSetting) {
    ensureGuiApplication();
    QTextDocument document;
    document.setPlainText("No information available.");
    document.setUndoRedoEnabled(true);
    fillDocumentFromRtf(document, R"({\rtf1 First\par Second})");
    EXPECT_EQ(document.toPlainText(), "First\nSecond");
    EXPECT_TRUE(document.isUndoRedoEnabled());
    EXPECT_FALSE(document.isUndoAvailable());
    fillDocumentFromRtf(document, R"({\rtf1 Third})");
    EXPECT_EQ(document.toPlainText(), "Third");
}

TEST(RtfIntoQtDocument, TextThatIsNotRtfShowsAsPlainLines) {
    ensureGuiApplication();
    QTextDocument document;
    fillDocumentFromRtf(document, "No information available.");
    EXPECT_EQ(document.toPlainText(), "No information available.");
    fillDocumentFromRtf(document, "Fixed A\r\nFixed B\r\n");
    ASSERT_EQ(blocksOf(document).size(), 2u);
    EXPECT_EQ(blocksOf(document)[1].text(), "Fixed B");
    // Markup-looking text is not interpreted.
    fillDocumentFromRtf(document, "{\\b not bold} <b>nor this</b>");
    EXPECT_EQ(document.toPlainText(), "{\\b not bold} <b>nor this</b>");
    EXPECT_FALSE(isBold(fragmentsOf(document.begin()).at(0).format));
    fillDocumentFromRtf(document, "Caf\xe9");
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("Caf\u00e9"));
    fillDocumentFromRtf(document, "Caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("Caf\u00e9 \u20ac"));
    fillDocumentFromRtf(document, "");
    EXPECT_TRUE(document.isEmpty());
}

TEST(RtfReader, FormattingFollowsTheGroupStack) {
    const RtfDocument document = readRtf(
        R"({\rtf1 plain {\b bold {\i both} bold} \ul under\ul0  plain \b b\plain  p \i1 i\i0 )"
        R"(\ul u\ulnone  n{\fs40\cf1 big} n})");
    ASSERT_EQ(document.paragraphs.size(), 1u);
    const std::vector<RtfRun>& runs = document.paragraphs[0].runs;
    std::string shown;
    for (const RtfRun& run : runs) {
        shown += '[';
        if (run.format.bold) shown += 'B';
        if (run.format.italic) shown += 'I';
        if (run.format.underline) shown += 'U';
        if (run.format.halfPoints != 0) shown += std::to_string(run.format.halfPoints);
        shown += run.text + ']';
    }
    EXPECT_EQ(shown, "[plain ][Bbold ][BIboth][B bold][ ][Uunder][ plain ][Bb][ p ][Ii][Uu][ n]"
                     "[40big][ n]");
    EXPECT_FALSE(document.truncated);
}

TEST(RtfReader, EscapesBecomeUtf8) {
    EXPECT_EQ(allText(readRtf(R"({\rtf1 \'80\'93quoted\'94 \'e9\'FC\'a0\'ff\'9fx})")),
              "\u20ac\u201cquoted\u201d \u00e9\u00fc\u00a0\u00ff\u0178x");
    EXPECT_EQ(allText(readRtf(R"({\rtf1 \{braces\} and \\backslash\~nbsp\-soft\_hard})")),
              "{braces} and \\backslash\u00a0nbspsoft\u2011hard");
    EXPECT_EQ(
        allText(readRtf(R"({\rtf1\uc1 a\u8364?b\uc0\u8211 c{\uc2\u955\'3f\'3fd}e\u-3913?f})")),
        "a\u20acb\u2013c\u03bbde\uf0b7?f");
    // Astral characters arrive as two UTF-16 units, each with its fallback.
    EXPECT_EQ(allText(readRtf(R"({\rtf1 \u-10179?\u-8704?!})")), "\U0001F600!");
    EXPECT_EQ(allText(readRtf(R"({\rtf1 \u-10179?x \u-8704?y})")), "\ufffdx \ufffdy");
    // A fallback skip ends with its group and never eats the text after it.
    EXPECT_EQ(allText(readRtf(R"({\rtf1\uc3 {\u233}abc})")), "\u00e9abc");
    EXPECT_EQ(
        allText(readRtf(R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})")),
        "\u2014\u2013\u2022\u2018\u2019\u201c\u201d");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\par b\\\r\nc\\line d\\tab e\\sect f\\page g}")),
              "a|b|c\nd\te|f|g");
}

TEST(RtfReader, NonTextDestinationsAreSkipped) {
    const std::string rtf =
        R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\stylesheet{\s1 Heading style;}})"
        R"({\info{\title Secret title}{\author Someone}}{\*\unknown invisible {nested} text})"
        R"({\header Page header}{\footer Page footer})"
        R"(Before {\pict\wmetafile8 0123456789abcdef\bin4 }{{}})"
        R"({\field{\*\fldinst HYPERLINK "http://example.invalid/"}{\fldrslt site}} after)"
        R"({\v hidden} {\*\bkmkstart b}visible})";
    EXPECT_EQ(allText(readRtf(rtf)), "Before site after visible");
}

TEST(RtfReader, ColourTableEntriesAreLookedUpByNumber) {
    const RtfDocument document = readRtf(
        R"({\rtf1{\colortbl;\red10\green20\blue30;\red999\green-4\blue255;}a\cf1 b\cf2 c\cf9 d\cf0 e})");
    ASSERT_EQ(document.paragraphs.size(), 1u);
    const std::vector<RtfRun>& runs = document.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_FALSE(runs[0].format.colour.isSet);
    EXPECT_TRUE(runs[1].format.colour.isSet);
    EXPECT_EQ(runs[1].format.colour.red, 10);
    EXPECT_EQ(runs[1].format.colour.green, 20);
    EXPECT_EQ(runs[1].format.colour.blue, 30);
    EXPECT_EQ(runs[2].format.colour.red, 255);
    EXPECT_EQ(runs[2].format.colour.green, 0);
    EXPECT_EQ(runs[3].text, "de");
    EXPECT_FALSE(runs[3].format.colour.isSet);
}

TEST(RtfReader, RtfIsRecognisedOnlyByItsHeader) {
    EXPECT_EQ(allText(readRtf("\xEF\xBB\xBF\r\n {\\rtf1 x}")), "x");
    EXPECT_EQ(allText(readRtf("{\\RTF1 x}")), "x");
    EXPECT_EQ(allText(readRtf("{\\rt x}")), "{\\rt x}");
    EXPECT_EQ(allText(readRtf("a\rb\r\n\r\nc\n")), "a|b||c");
    EXPECT_TRUE(readRtf("").paragraphs.empty());
    EXPECT_TRUE(readRtf("{\\rtf1}").paragraphs.empty());
}

TEST(RtfReaderHostileInput, UnbalancedBracesEndCleanly) {
    EXPECT_EQ(allText(readRtf(R"({\rtf1 {\b bold)")), "bold");
    EXPECT_TRUE(readRtf(R"({\rtf1 {\b bold)").paragraphs[0].runs[0].format.bold);
    EXPECT_EQ(allText(readRtf(R"({\rtf1 a}} trailing{\b b})")), "a");
    EXPECT_EQ(allText(readRtf(R"({\rtf1 a}}}}}}}}}})")), "a");
    EXPECT_EQ(allText(readRtf(R"({\rtf1 {\fonttbl{\f0 Arial;} lost)")), "");
    EXPECT_EQ(allText(readRtf("}}}{{{")), "}}}{{{");
}

TEST(RtfReaderHostileInput, HugeNumbersAreClamped) {
    const RtfDocument big =
        readRtf(R"({\rtf1\fs999999999999 big\fs1 tiny\fs-5 negative\fs0 zero})");
    ASSERT_EQ(big.paragraphs.size(), 1u);
    ASSERT_EQ(big.paragraphs[0].runs.size(), 3u);
    EXPECT_EQ(big.paragraphs[0].runs[0].format.halfPoints, kRtfMaximumHalfPoints);
    EXPECT_EQ(big.paragraphs[0].runs[1].format.halfPoints, kRtfMinimumHalfPoints);
    // No size at all is the box's own size, never an invisible one.
    EXPECT_EQ(big.paragraphs[0].runs[2].text, "negativezero");
    EXPECT_EQ(big.paragraphs[0].runs[2].format.halfPoints, 0);

    const RtfDocument indented =
        readRtf(R"({\rtf1\li99999999999999999999\fi-99999999999999999999 x\par})");
    EXPECT_EQ(indented.paragraphs[0].format.leftIndentTwips, kRtfMaximumIndentTwips);
    EXPECT_EQ(indented.paragraphs[0].format.firstLineIndentTwips, -kRtfMaximumIndentTwips);
    const RtfDocument spaced = readRtf(R"({\rtf1\sb-99999999999\sa99999999999 x\par})");
    EXPECT_EQ(spaced.paragraphs[0].format.spaceBeforeTwips, 0);
    EXPECT_EQ(spaced.paragraphs[0].format.spaceAfterTwips, kRtfMaximumIndentTwips);

    EXPECT_EQ(allText(readRtf(R"({\rtf1{\colortbl;\red1;}\cf99999999999999999999 c\cf-1 d})")),
              "cd");
    // A huge fallback count must not swallow the rest of the document.
    const std::string skipped = allText(readRtf(
        "{\\rtf1\\uc99999999999 \\u233 0123456789abcdefghijklmnopqrstuvwxyz0123456789 END}"));
    EXPECT_EQ(skipped.substr(0, 2), "\u00e9");
    EXPECT_NE(skipped.find("END"), std::string::npos);
    EXPECT_EQ(allText(readRtf("{\\rtf1 \\u99999999999 x\\u-99999999999 y}")), "\ufffd\ufffd");

    QTextDocument document;
    ensureGuiApplication();
    fillDocumentFromRtf(document, R"({\rtf1\fs999999999999 big})");
    EXPECT_DOUBLE_EQ(fragmentsOf(document.begin()).at(0).format.fontPointSize(),
                     kRtfMaximumHalfPoints / 2.0);
}

TEST(RtfReaderHostileInput, TruncatedEscapesAreDropped) {
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\'4")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\'")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\'4}b")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\'zz b}")), "azz b");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\u")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\u-")), "a-");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\u-10179")), "a\ufffd");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\bin")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\" + std::string(100000, 'x') + "5 b}")), "ab");
}

TEST(RtfReaderHostileInput, DeepNestingIsSkippedWithoutLosingTheRest) {
    const std::size_t depth = 100000;
    const std::string nested =
        "{\\rtf1 start " + std::string(depth, '{') + "\\b deep" + std::string(depth, '}') + " end}";
    const RtfDocument document = readRtf(nested);
    const std::string text = allText(document);
    EXPECT_EQ(text, "start  end");
    for (const RtfRun& run : document.paragraphs.at(0).runs)
        EXPECT_FALSE(run.format.bold);

    // Shallow enough nesting is kept: formatting from inner groups applies and then ends.
    const std::string shallow = "{\\rtf1 " + std::string(kRtfMaximumGroupDepth - 2, '{') +
                                "\\b inner" + std::string(kRtfMaximumGroupDepth - 2, '}') +
                                " outer}";
    const RtfDocument kept = readRtf(shallow);
    ASSERT_EQ(kept.paragraphs.at(0).runs.size(), 2u);
    EXPECT_TRUE(kept.paragraphs[0].runs[0].format.bold);
    EXPECT_FALSE(kept.paragraphs[0].runs[1].format.bold);

    EXPECT_EQ(allText(readRtf("{\\rtf1 open " + std::string(depth, '{'))), "open ");
}

TEST(RtfReaderHostileInput, BinaryDataIsSkippedOrShownAsValidText) {
    EXPECT_EQ(allText(readRtf("{\\rtf1 a{\\pict\\bin4 {}}{}b}c}")), "ab");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\bin3 {{{b}")), "ab");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\bin999999999999 xyz}")), "a");
    EXPECT_EQ(allText(readRtf("{\\rtf1 a\\bin-5 b}")), "ab");

    std::string everyByte = "{\\rtf1 ";
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    const RtfDocument document = readRtf(everyByte);
    const std::string text = allText(document);
    EXPECT_EQ(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8().toStdString(),
        text);
    EXPECT_NE(text.find("\u00e9"), std::string::npos);
    EXPECT_EQ(text.find('\0'), std::string::npos);

    // Many short documents of random RTF-like tokens and bytes, each read from its start.
    const std::vector<std::string> pieces = {
        "{",     "}",      "\\b",   "\\i0", "\\ul",   "\\fs",         "\\cf", "\\u-", "\\uc", "\\'",
        "\\par", "\\line", "\\bin", "\\*",  "\\pict", "{\\colortbl;", "9",    "-",    " ",    "x"};
    std::mt19937 random(20260314);
    int documentsWithText = 0;
    for (int documentNumber = 0; documentNumber < 1000; ++documentNumber) {
        std::string noise = "{\\rtf1 ";
        for (int i = 0; i < 1000; ++i) {
            const unsigned value = random();
            if (value % 4 == 0)
                noise += static_cast<char>((value >> 8) & 0xFF);
            else
                noise += pieces[(value >> 8) % pieces.size()];
        }
        const RtfDocument noisy = readRtf(noise);
        if (!noisy.paragraphs.empty()) ++documentsWithText;
        const std::string noisyText = allText(noisy);
        ASSERT_EQ(QString::fromUtf8(noisyText.data(), static_cast<qsizetype>(noisyText.size()))
                      .toUtf8()
                      .toStdString(),
                  noisyText);
        if (documentNumber % 100 != 0) continue;
        ensureGuiApplication();
        QTextDocument qtDocument;
        fillDocumentFromRtf(qtDocument, noise);
        EXPECT_EQ(static_cast<std::size_t>(qtDocument.blockCount()),
                  std::max<std::size_t>(noisy.paragraphs.size(), 1));
    }
    // The noise must reach the text path, or this would check nothing.
    EXPECT_GT(documentsWithText, 500);
}

TEST(RtfReaderHostileInput, OutputStaysWithinTheLimit) {
    const std::string longText = "{\\rtf1 " + std::string(3 * kRtfMaximumOutputBytes, 'x') + "}";
    const RtfDocument text = readRtf(longText);
    EXPECT_TRUE(text.truncated);
    EXPECT_LE(rtfOutputCost(text), kRtfMaximumOutputBytes);
    EXPECT_GT(rtfOutputCost(text), kRtfMaximumOutputBytes - kRtfRecordCost * 4);

    const RtfDocument paragraphs = readRtf("{\\rtf1 " + repeated("\\par ", 1000000) + "}");
    EXPECT_TRUE(paragraphs.truncated);
    EXPECT_LE(rtfOutputCost(paragraphs), kRtfMaximumOutputBytes);
    EXPECT_GT(paragraphs.paragraphs.size(), 1000u);

    const RtfDocument runs = readRtf("{\\rtf1 " + repeated("\\b x\\b0 y", 1000000) + "}");
    EXPECT_TRUE(runs.truncated);
    EXPECT_LE(rtfOutputCost(runs), kRtfMaximumOutputBytes);

    const RtfDocument plain = readRtf(repeated("line\n", 1000000));
    EXPECT_TRUE(plain.truncated);
    EXPECT_LE(rtfOutputCost(plain), kRtfMaximumOutputBytes);

    // A paragraph too long for Qt to lay out quickly is split, and none of its text is lost.
    const std::string longParagraph = std::string(100000, 'x');
    for (const std::string& input : {"{\\rtf1 " + longParagraph + "}", longParagraph}) {
        const RtfDocument split = readRtf(input);
        EXPECT_FALSE(split.truncated);
        EXPECT_GT(split.paragraphs.size(), 1u);
        std::size_t kept = 0;
        for (const RtfParagraph& paragraph : split.paragraphs) {
            std::size_t paragraphCost = 0;
            for (const RtfRun& run : paragraph.runs)
                paragraphCost += kRtfRecordCost + run.text.size();
            EXPECT_LE(paragraphCost, kRtfMaximumParagraphBytes);
            for (const RtfRun& run : paragraph.runs)
                kept += run.text.size();
        }
        EXPECT_EQ(kept, longParagraph.size());
    }

    const RtfDocument small = readRtf(kReleaseNotes);
    EXPECT_FALSE(small.truncated);
}

} // namespace

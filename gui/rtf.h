#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Rich text as read from an RTF file, kept in plain records so that reading needs no GUI.

struct RtfColour {
    bool isSet; // false: the reader's default colour ("auto" in the colour table)
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

struct RtfCharFormat {
    bool bold;
    bool italic;
    bool underline;
    int halfPoints; // font size in half points; 0 means the box's own font size
    RtfColour colour;
};

enum RtfAlignment { RtfAlignLeft = 0, RtfAlignCentre = 1, RtfAlignRight = 2, RtfAlignJustify = 3 };

struct RtfParagraphFormat {
    RtfAlignment alignment;
    int leftIndentTwips;
    int firstLineIndentTwips; // relative to the left indent; negative for hanging bullets
    int spaceBeforeTwips;
    int spaceAfterTwips;
};

// Run text is UTF-8; "\n" is a line break inside the paragraph and "\t" a tab.
struct RtfRun {
    RtfCharFormat format;
    std::string text;
};

struct RtfParagraph {
    RtfParagraphFormat format;
    std::vector<RtfRun> runs;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
    bool truncated; // the output limit was reached and the rest was dropped
};

// Bounds that keep hostile input from using unbounded memory or stack.
inline constexpr std::size_t kRtfMaximumGroupDepth = 200;
inline constexpr std::size_t kRtfMaximumOutputBytes = 1024 * 1024;
inline constexpr int kRtfMinimumHalfPoints = 2;
inline constexpr int kRtfMaximumHalfPoints = 288;
inline constexpr int kRtfMaximumIndentTwips = 31680;
inline constexpr std::size_t kRtfMaximumColours = 1024;
inline constexpr std::size_t kRtfRecordCost = 64; // charged per run and per paragraph
// Longer paragraphs are split: Qt's line breaking slows down sharply on very long paragraphs,
// seconds for 64 KiB without a space.
inline constexpr std::size_t kRtfMaximumParagraphBytes = 16 * 1024;

// Input that does not begin with "{\rtf" is plain text: one paragraph per line.
RtfDocument readRtf(const std::string& input);

// Cost of a document against kRtfMaximumOutputBytes: its text plus a fixed share per run and
// paragraph, so that many empty paragraphs count as well as long text.
std::size_t rtfOutputCost(const RtfDocument& document);

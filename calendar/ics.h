#pragma once
// The iCalendar export of broadcast years (RFC 5545): one all-day event per broadcast month and,
// on request, one per broadcast week. Every front end writes its exports through these routines.
#include "common/translate.h"

#include <cstddef>
#include <string>
#include <string_view>

// Receives the text in large chunks, in order; returns false to stop the export.
using IcsSink = bool (*)(const char* data, std::size_t size, void* context);

// The years firstYear to lastYear (both included), months and, with weeks, every week; with a
// holiday country (HolidayCountry), one event per public holiday whose date falls in those
// broadcast years. Memory stays the same for any range. The events' titles and descriptions
// and the calendar's name are in the language given. False when the sink refused a chunk;
// nothing is sent after that.
bool writeBroadcastIcs(int firstYear, int lastYear, bool weeks, int holidays, IcsSink sink,
                       void* context, Language language = Language::English);

// "Broadcast Calendar 2026" or "Broadcast Calendar 2026-2027": the calendar's name in the file,
// in the language given.
std::string broadcastIcsName(int firstYear, int lastYear, Language language = Language::English);

enum class IcsFileResult {
    Written,
    Refused, // the target may not be replaced (not a regular file, read-only, no such folder)
    Failed   // writing failed (a full disk, say); the target is as it was
};

// The export as the file at path, which is replaced only once the new file is complete. On
// failure error holds the reason in plain words and no temporary file is left.
IcsFileResult writeBroadcastIcsFile(const std::string& path, int firstYear, int lastYear,
                                    bool weeks, int holidays, std::string& error,
                                    Language language = Language::English);

// Appends one content line with its CRLF to out, folded as RFC 5545 asks.
void appendContentLine(std::string& out, std::string_view line);

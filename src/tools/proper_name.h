// The proper-name normaliser: rewrites the NAME lines of a GEDCOM file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/byte_source.h"
#include "tools/tool_files.h"

namespace brimsel {

// Rewrites `text` in place: first letter capital, a capital after each hyphen, the rest small.
// Only the ASCII letters change; an empty text stays unchanged.
void CapitaliseProperName(char* text);

// Name lines are read in pieces of at most this many characters, a line end counting as one:
// a longer line comes out as several pieces, and only the last one carries the line end.
inline constexpr std::size_t kMaxNamePiece = 510;

// Rewrites one name line's text (starting with "1 NAME ", no line end) into `result`
// (kNameLineCapacity bytes): the prefix, then the first and second '/'-separated parts, each
// capitalised and followed by '/'. Whatever follows the second part is dropped.
inline constexpr std::size_t kNameLineCapacity = 512;
void RewriteNameLine(std::string_view line, char* result);

// True when `text` begins with "1 NAME " exactly, case included.
bool IsNameLine(std::string_view text);

// Copies everything `source` holds into `sink` with the name lines rewritten and every line
// end written as CR LF. Returns kDone, kInputUnreadable (read error), kWriteFailed or
// kOutOfMemory; `length` is set to the bytes written.
ToolStatus ProperNameStream(ByteSource& source, ByteSink& sink, std::int64_t& length);

// The same over a whole text; used by the tests.
std::string ProperNameText(std::string_view input);

// Normalises the file `input` into `output`, or into `input` followed by ".txt" when `output`
// is null or empty. Shows no message: see ReportOutputFailure.
ToolResult ProperNameCopy(const char* input, const char* output = nullptr);

}  // namespace brimsel

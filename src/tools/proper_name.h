// The proper-name normaliser: rewrites the NAME lines of a GEDCOM file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/byte_source.h"
#include "platform/charset.h"
#include "tools/tool_files.h"

namespace brimsel {

// Rewrites `text` (a NUL-terminated text of a single-byte set) in place: first letter capital,
// a capital after each hyphen, the rest small. In Windows-1252 the accented letters change too;
// in the other sets only A to Z. An empty text stays unchanged.
void CapitaliseProperName(char* text, Charset set = Charset::kWindows1252);

// Name lines are read in pieces of at most this many characters, a line end counting as one:
// a longer line comes out as several pieces, and only the last one carries the line end.
inline constexpr std::size_t kMaxNamePiece = 510;

// Rewrites one name line's text (starting with "1 NAME ", no line end) of a file in `set`: the
// prefix, then the first and second '/'-separated parts, each capitalised and followed by '/'.
// Whatever follows the second part is dropped. The text of a UTF-8 or UTF-16 file is UTF-8 here:
// its parts take Unicode's case mappings and come out as valid UTF-8 (a byte outside a valid
// sequence read as its Windows-1252 character).
std::string RewriteNameLine(std::string_view line, Charset set = Charset::kWindows1252);

// True when `text` begins with "1 NAME " exactly, case included.
bool IsNameLine(std::string_view text);

// Copies everything `source` holds into `sink` with the name lines rewritten and every line
// end written as CR LF, in the character set of the file (decided as a conversion decides it;
// a UTF-16 file is written back in UTF-16, its byte-order mark kept). Returns kDone,
// kInputUnreadable (read error), kWriteFailed or kOutOfMemory; `length` is set to the bytes
// written.
ToolStatus ProperNameStream(ByteSource& source, ByteSink& sink, std::int64_t& length);

// The same over a whole text; used by the tests.
std::string ProperNameText(std::string_view input);

// Normalises the file `input` into `output`, or into `input` followed by ".txt" when `output`
// is null or empty. Shows no message: see ReportOutputFailure.
ToolResult ProperNameCopy(const char* input, const char* output = nullptr,
                          const StopRequest& stop = {});

}  // namespace brimsel

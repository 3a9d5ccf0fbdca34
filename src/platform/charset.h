// Which character set a GEDCOM file is read in: names, byte-order marks, the HEAD record and
// byte checks, and the decision with its message line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace brimsel {

// kConverter: a set that one of ICU's converters decodes, chosen by the user by its name.
enum class Charset {
  kUtf8,
  kUtf16Le,
  kUtf16Be,
  kAnsel,
  kWindows1252,
  kCp437,
  kCp850,
  kMacRoman,
  kConverter
};

// The set a file is read in: a built-in one, or an ICU converter named by the user. A built-in
// set converts to it implicitly and compares equal to it.
struct FileCharset {
  Charset kind = Charset::kWindows1252;
  std::string converter;  // ICU's canonical name when kind is kConverter, empty otherwise

  FileCharset() = default;
  FileCharset(Charset set) : kind(set) {}  // NOLINT(google-explicit-constructor)
  static FileCharset Converter(std::string name) {
    FileCharset set(Charset::kConverter);
    set.converter = std::move(name);
    return set;
  }
  bool operator==(Charset set) const { return kind == set; }
  bool operator==(const FileCharset&) const = default;
};

// The encoding of the tables written.
enum class TableEncoding { kUtf8, kWindows1252 };

// The display name: "UTF-8", "UTF-16LE", "UTF-16BE", "ANSEL", "Windows-1252", "CP437", "CP850",
// "MACINTOSH"; "ICU" for a converter.
std::string_view CharsetName(Charset set);

// The tables' encoding when the user forces none: UTF-8 for UTF-8, UTF-16 and ANSEL files,
// Windows-1252 for the built-in single-byte sets, UTF-8 for a converter.
TableEncoding DefaultTableEncoding(Charset set);

// True for the two UTF-16 sets.
inline bool IsUtf16(Charset set) {
  return set == Charset::kUtf16Le || set == Charset::kUtf16Be;
}

// The set a CHAR value of the HEAD record names (compared without regard to ASCII case after
// trimming white space), or nothing. UNICODE, UTF-16 and UTF16 give UTF-8.
std::optional<Charset> CharsetFromCharValue(std::string_view value);

// The set a name chosen by the user names: the display names and the CHAR values but UNICODE,
// UTF-16 and UTF16, which name no byte order. Nothing for an unknown name.
std::optional<Charset> CharsetFromOption(std::string_view name);

// The tables' encoding named by the user: "utf-8" or "windows-1252" (ASCII case ignored).
std::optional<TableEncoding> TableEncodingFromOption(std::string_view name);

// A byte-order mark found at the start of a file, or the start of a UTF-16 file without one.
struct ByteOrderMark {
  Charset charset;
  std::size_t size;  // bytes to skip: 3, 2, or 0 for a file starting "30 00" or "00 30"
};

// Looks at the first bytes of a file (give at least 3 when the file has them): EF BB BF is
// UTF-8, FF FE UTF-16LE, FE FF UTF-16BE; without a mark, "30 00" is UTF-16LE, "00 30" UTF-16BE.
std::optional<ByteOrderMark> SniffByteOrderMark(std::string_view firstBytes);

// The size of the byte-order mark of `set` itself at the start of `first_bytes`, 0 when there is
// none: a set chosen by the user skips only its own mark.
std::size_t OwnByteOrderMarkSize(Charset set, std::string_view firstBytes);

// The check of bytes that should be UTF-8: the continuation bytes the open sequence still
// needs, and the range the next one must fall in (no overlong form, no surrogate, nothing past
// U+10FFFF).
struct Utf8Check {
  int need = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  bool multibyte = false;  // at least one whole multi-byte sequence
  bool invalid = false;
  // Takes one byte; false (and `invalid` set) when it breaks the rules.
  bool Take(unsigned char c);
  // At least one valid multi-byte sequence and nothing else from 0x80 up.
  bool IsUtf8() const { return multibyte && !invalid && need == 0; }
};

// The byte check of CharsetDetector made on a file's bytes as they stream past, in blocks of
// any size, with the same verdict as feeding the detector every line: the line rules are the
// line reader's (CR LF, LF CR, LF and CR end a line, a NUL hides the rest of its line, a byte
// 26 ends the input), and a sequence left open at a line end goes on only in the value of a
// CONC line right after. Runs of ASCII cost a test of eight bytes at a time.
class Utf8Stream {
 public:
  void Feed(std::string_view bytes);
  const Utf8Check& Check() const { return check_; }
  // True once the verdict can no longer change: an invalid byte, or the end of the input.
  bool Decided() const { return check_.invalid || mode_ == Mode::kEnded; }
  // A byte from 0x80 up was seen (outside text hidden by a NUL).
  bool SawHighByte() const { return sawHigh_; }

 private:
  enum class Mode {
    kText,       // inside a line's text
    kHidden,     // after a NUL: the rest of the line is not text
    kLineEnd,    // a sequence is open and a CR or LF ended the line: its partner may follow
    kLevel,      // reading the next line's level: at least one digit
    kLevelDigits,
    kTag,        // reading its tag, which must be CONC
    kEnded,      // a byte 26 ended the input
  };
  void Fail() { check_.invalid = true; }

  Utf8Check check_;
  Mode mode_ = Mode::kText;
  char lineEnd_ = 0;       // the CR or LF of kLineEnd
  std::size_t tagBytes_ = 0;  // bytes of the tag read so far
  bool tagIsConc_ = true;
  bool sawHigh_ = false;
};

// Learns from the physical lines of a file, in order, what the HEAD record says (a GEDCOM 7
// version, the first CHAR value) and whether the bytes read as UTF-8. The lines are given as
// the line reader hands them out (line end excluded, byte-order mark removed; for a UTF-16 file,
// the UTF-8 lines the UTF-16 source serves).
//
// The byte check joins each line whose tag is CONC (any level) to the line before: its value,
// the rest of the line after the tag and one blank, continues the text of that line, so a
// multi-byte sequence may be split there. The other bytes of every line count as they are.
class CharsetDetector {
 public:
  // `check_bytes` false when a byte-order mark has decided: only the HEAD record is read then.
  explicit CharsetDetector(bool checkBytes = true) : checkBytes_(checkBytes) {}

  // One physical line. Lines with no byte from 0x80 up cost little once the HEAD record is
  // over; a line that the passes would ignore for its length (`has_end` counts as one byte,
  // fewer than six in all) still counts for the byte check but not for the HEAD record.
  void Feed(std::string_view line, bool hasEnd = true);

  // True when no further line can change the outcome: the HEAD record is over and a byte
  // outside a valid sequence has been seen (or the bytes are not checked).
  bool Done() const { return head_ == HeadState::kAfter && (!checkBytes_ || bytes_.invalid); }

  // A `2 VERS` value starting "7" under `1 GEDC` in the HEAD record.
  bool Gedcom7() const { return gedcom7_; }
  // The first CHAR value of the HEAD record, trimmed; nothing when absent or empty.
  const std::optional<std::string>& CharValue() const { return charValue_; }
  // At least one valid multi-byte sequence and no byte from 0x80 up outside one, counting the
  // lines fed so far (a sequence still open at the last line counts as invalid).
  bool IsUtf8() const { return checkBytes_ && bytes_.IsUtf8(); }
  // Takes the byte check from a Utf8Stream that read the whole file instead of the lines fed
  // here (which then only tell the HEAD record).
  void TakeByteCheck(const Utf8Check& check) {
    checkBytes_ = true;
    bytes_ = check;
  }

 private:
  enum class HeadState { kBeforeFirst, kInHead, kAfter };
  void ReadHeadLine(std::string_view line);
  // Checks `bytes` as the continuation of the text before.
  void CheckBytes(std::string_view bytes);

  bool checkBytes_;
  HeadState head_ = HeadState::kBeforeFirst;
  bool inGedc_ = false;
  bool charSeen_ = false;
  bool gedcom7_ = false;
  std::optional<std::string> charValue_;
  // The byte check: continuation bytes still needed by the open sequence, and the range the
  // next one must fall in.
  Utf8Check bytes_;
};

// The set a file is read in and what the message list says about it.
struct CharsetDecision {
  Charset charset = Charset::kWindows1252;
  std::size_t skip = 0;  // bytes of byte-order mark to skip at the start of the file
  // "Jeu de caractères NAME" with " (CHAR VALUE)" when it applies, in Windows-1252 bytes;
  // empty when the message list gets no line.
  std::string message;
};

// Applies, in order: the user's choice, a byte-order mark, a GEDCOM 7 header, the byte check,
// the CHAR value, and Windows-1252 when nothing decided. `first_bytes` are the file's first
// bytes (at least 3 when the file has them); `detector` has been fed the file's lines (it is not
// read when the user chose).
CharsetDecision DecideCharset(std::optional<Charset> userChoice, std::string_view firstBytes,
                              const CharsetDetector& detector);

}  // namespace brimsel

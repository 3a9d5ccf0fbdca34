// The dialog services: the only way the operations talk to the user.
#pragma once

#include <cstddef>
#include <string>

namespace brimsel {

// Identifiers of the control panel's items that the operations address.
namespace ctl {
inline constexpr int kIndiBase = 400;     // number field "INDI+"
inline constexpr int kFamBase = 401;      // number field "FAM +"
inline constexpr int kIndiField = 402;    // number field "Indi", read by nobody
inline constexpr int kCapital = 405;      // button "Capital..."
inline constexpr int kStrip = 406;        // button "Strip"
inline constexpr int kChooseFile = 501;      // button "Fichier..."
inline constexpr int kConvert = 503;    // button "Convertir..."
inline constexpr int kBaptismDate = 508;
inline constexpr int kBaptismPlace = 509;
inline constexpr int kIndiTotal = 510;
inline constexpr int kBirthDate = 511;
inline constexpr int kBirthPlace = 512;
inline constexpr int kParent = 513;
inline constexpr int kDeathDate = 515;
inline constexpr int kDeathPlace = 516;
inline constexpr int kLineCounter = 517;  // label: lines read so far
inline constexpr int kBurialPlace = 518;
inline constexpr int kBurialDate = 519;
inline constexpr int kFamTotal = 520;
inline constexpr int kUnionStartDate = 521;
inline constexpr int kUnionStartPlace = 522;
inline constexpr int kUnionEndDate = 523;
inline constexpr int kUnionEndPlace = 524;
inline constexpr int kErrors = 537;
inline constexpr int kQuay = 540;
inline constexpr int kSour = 543;
inline constexpr int kNoteIndi = 550;
inline constexpr int kIncludeNotes = 551;  // check box "inclure"
inline constexpr int kNoteFam = 552;
inline constexpr int kRefCounts = 554;        // check box "nb ref"
inline constexpr int kOem = 555;      // check box "OEM => ANSI"
inline constexpr int kProperNames = 556;    // check box "Nom Propre"
inline constexpr int kSqlite = 557;        // check box "SQLite"
inline constexpr int kStatusLine = 560;
inline constexpr int kMessageList = 561;
inline constexpr int kNotice = 563;       // button "?"
inline constexpr int kSwatch = 565;
inline constexpr int kFileLabel = 566;
inline constexpr int kCharsetList = 571;  // list "Jeu de caractères"
}  // namespace ctl

// Capacity of the shared path buffer, terminator included.
inline constexpr std::size_t kFileNameCapacity = 512;

enum class MessageIcon { kNone, kError, kWarning, kInformation };

// What an operation may ask of the control panel. Every text crossing this interface is
// Windows-1252 bytes, NUL-terminated; the front-end decodes it for display.
class DialogServices {
 public:
  virtual ~DialogServices() = default;

  // Shows the open-file dialog titled `title`, starting from CurrentFileName(). Returns true with
  // the chosen full path in CurrentFileName(), false when cancelled (the buffer is unchanged).
  virtual bool ChooseOpenFile(const char* title) = 0;
  // The shared path buffer, kFileNameCapacity bytes, always NUL-terminated.
  virtual const char* CurrentFileName() const = 0;

  // Empties the file label, the message list and the conversion's count fields.
  virtual void ResetDisplay() = 0;
  // Busy: shows `text` with the busy look; idle: empties the line. A null text empties it too.
  virtual void SetStatus(bool busy, const char* text) = 0;
  virtual bool IsChecked(int id) = 0;
  // The name of the character set chosen in the list "Jeu de caractères" (see
  // kCharsetChoices); empty for "Automatique", the detection, and where there is no list.
  virtual std::string ChosenCharset() { return {}; }
  // Reads an edit field as an unsigned decimal number. Returns false, leaving `value` alone,
  // when its text is not a valid number.
  virtual bool ReadNumber(int id, unsigned* value) = 0;
  virtual void SetFieldText(int id, const char* text) = 0;
  // Appends one line at the end of the message list.
  virtual void AddMessage(const char* line) = 0;
  virtual void ShowMessageBox(const char* text, const char* caption, MessageIcon icon) = 0;
  virtual void Beep() = 0;
};

// Reads a number field's text as the export reads fields 400 and 401: optional leading spaces,
// then decimal digits only, value at most 2147483647. Returns false for anything else.
bool ParseFieldNumber(const char* text, unsigned* value);

}  // namespace brimsel

// Working state shared by the passes of one conversion (internal to the engine).
#pragma once

#include <cstdio>

#include "engine/conversion.h"
#include "engine/gedcom_line.h"
#include "platform/line_reader.h"
#include "platform/text_decoder.h"

namespace brimsel {

struct ReadingState {
  GedcomModel& model;
  ProgressSink& progress;
  LineReader& reader;
  bool notes = false;        // the notes are read
  int nameOptions = 0;       // Dictionary::Insert options of given names and surnames
  int placeOptions = 0;      // Dictionary::Insert options of places
  // Decodes the texts of the file into the tables' encoding; null when they are Windows-1252
  // both in the file and in the tables, and go in as they are.
  TextDecoder* decoder = nullptr;
  DecodeCounts decoded;      // what the decoding of the model's texts changed
  int lines = 0;             // line counter of the current pass
  int linesBeforeShow = 100;  // lines left before the counter is shown again
  bool fileChanged = false;  // the file no longer matches what pass 1 counted

  // Calls f(line) for each line of the pass and counts the lines; the counter shows every 100.
  template <class F>
  void ForEachLine(F&& f) {
    int n = lines;
    int before = linesBeforeShow;
    reader.ForEach([&](Line& line) {
      ++n;
      if (--before == 0) {
        before = 100;
        ShowLineCount(n);
      }
      f(line);
      return true;
    });
    lines = n;
    linesBeforeShow = before;
  }
  // The same for a pass that looks only at the lines `selection` selects (and may be handed
  // others): the lines passed over are counted, and the counter shows at the same lines.
  template <class F>
  void ForEachSelectedLine(const LineReader::Selection& selection, F&& f) {
    int n = lines;
    int before = linesBeforeShow;
    reader.ForEachSelected(
        selection,
        [&](Line& line) {
          ++n;
          if (--before == 0) {
            before = 100;
            ShowLineCount(n);
          }
          f(line);
        },
        [&](std::size_t skipped) {
          while (skipped >= static_cast<std::size_t>(before)) {
            skipped -= static_cast<std::size_t>(before);
            n += before;
            before = 100;
            ShowLineCount(n);
          }
          n += static_cast<int>(skipped);
          before -= static_cast<int>(skipped);
        });
    lines = n;
    linesBeforeShow = before;
  }
  void ShowLineCount(int value) { progress.LineCount(value); }
  // Formats one line of the message list (at most 255 bytes; longer ones are cut).
  void Message(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Phase(const char* name) { progress.Phase(name); }
};

// Pass 1: counts records and notes.
void CountRecords(ReadingState& state);
// Allocates the model's arrays at the sizes that pass 1 counted.
void AllocateRecords(GedcomModel& model);
// Pass 2: fills the records.
void FillRecords(ReadingState& state);
// Turns the cross-reference numbers into record indexes and checks the spouses' sex.
void ResolveCodes(ReadingState& state);
// Pass 3: checks every FAMS and CHIL line against the resolved links.
void CheckLinks(ReadingState& state);
// Gives each spouse that a union names but the file lacks an added individual.
void AddMissingSpouses(ReadingState& state);

}  // namespace brimsel

// Pass 3: checks every FAMS line of an individual and every CHIL line of a union against the
// resolved links, and reports those that disagree.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "engine/reading_state.h"
#include "platform/utf8.h"

namespace brimsel {

namespace {

int Length(std::string_view word) { return static_cast<int>(word.size()); }

// FAMS of individual `indi`, naming the union at `unionIndex` (-1 when none has the number).
void CheckFams(ReadingState& state, int indi, int unionIndex, std::string_view word) {
  GedcomModel& model = state.model;
  if (unionIndex < 0) {
    state.Message("erreur FAMS inexistant(%.*s) %d", Length(word), word.data(), indi);
    ++state.Store().counts->errors;
    return;
  }
  const Union& theUnion = model.unions[static_cast<std::size_t>(unionIndex)];
  int spouse =
      model.individuals[static_cast<std::size_t>(indi)].sex == 1 ? theUnion.husband : theUnion.wife;
  if (spouse != indi) {
    state.Message("erreur FAMS retro %.*s (%d) %d", Length(word), word.data(), indi, spouse);
    ++state.Store().counts->errors;
  }
}

// CHIL of union `fam`, naming individual `child` (its index, or -1).
void CheckChil(ReadingState& state, int fam, int child, std::string_view word) {
  GedcomModel& model = state.model;
  if (child < 0) {
    state.Message("erreur CHIL(%.*s) %d", Length(word), word.data(), fam);
    ++state.Store().counts->errors;
    return;
  }
  int famc = model.individuals[static_cast<std::size_t>(child)].famc;
  if (famc != fam) {
    state.Message("erreur CHIL %.*s (%d) %d", Length(word), word.data(), fam, famc);
    ++state.Store().counts->errors;
  }
}

// The checks of pass 3 wait a few lines in a queue: the record a check reads is asked for when
// its line is read, and has reached the cache when the check is made. In a file whose records
// come in no particular order, each of these reads would otherwise wait for main memory. The
// checks are made in the order of their lines, so the messages come out as they would at once;
// the model does not change during the pass, so the lookups give the same records.
class LinkChecks {
 public:
  LinkChecks(ReadingState& state, const RecordLookup& lookup)
      : state_(state), model_(state.model), lookup_(lookup) {}

  void Fams(int indi, const LineWords& words) {
    const std::string_view word = words.Value();
    Pending& check =
        Queue(false, indi, lookup_.UnionIndex(ReferenceNumber(word)), MessageWord(words, word));
    if (check.target >= 0) {
      __builtin_prefetch(&model_.unions[static_cast<std::size_t>(check.target)]);
    }
  }
  void Chil(int fam, const LineWords& words) {
    const std::string_view word = words.Value();
    Pending& check =
        Queue(true, fam, lookup_.IndividualIndex(ReferenceNumber(word)), MessageWord(words, word));
    if (check.target >= 0) {
      __builtin_prefetch(&model_.individuals[static_cast<std::size_t>(check.target)].famc);
    }
  }
  // Makes every check still waiting.
  void Finish() {
    while (size_ != 0) CheckFirst();
  }

 private:
  static constexpr std::size_t kQueueSize = 16;
  struct Pending {
    bool isChil = false;
    int owner = -1;  // the individual (FAMS) or union (CHIL) whose line it is
    int target = -1;         // the record the line names, or -1
    std::size_t length = 0;
    char word[kWordCapacity] = {};  // the line's value word, for the messages
  };

  // The value word as a message quotes it: a Windows-1252 text of at most kWordCapacity - 1
  // bytes. A word of a file in another set is decoded whole first ('?' for a character that
  // Windows-1252 lacks, not counted), so that the cut never splits a character.
  std::string_view MessageWord(const LineWords& words, std::string_view value) {
    if (model_.charset == Charset::kWindows1252 || IsAscii(value)) return value;
    const char* start = words.valueStart;
    while (start < words.lineEnd && IsBlank(*start)) ++start;
    const char* end = start;
    while (end < words.lineEnd && !IsBlank(*end)) ++end;
    DecodeCounts uncounted;
    DecodeText(std::string_view(start, static_cast<std::size_t>(end - start)), model_.charset,
               TableEncoding::kWindows1252, decodedWord_, uncounted);
    return std::string_view(decodedWord_).substr(0, kWordCapacity - 1);
  }

  Pending& Queue(bool isChil, int owner, int target, std::string_view word) {
    if (size_ == kQueueSize) CheckFirst();
    Pending& check = queue_[(first_ + size_) % kQueueSize];
    ++size_;
    check.isChil = isChil;
    check.owner = owner;
    check.target = target;
    check.length = std::min(word.size(), sizeof check.word);
    std::memcpy(check.word, word.data(), check.length);
    return check;
  }
  void CheckFirst() {
    const Pending& check = queue_[first_];
    first_ = (first_ + 1) % kQueueSize;
    --size_;
    const std::string_view word(check.word, check.length);
    if (check.isChil) {
      CheckChil(state_, check.owner, check.target, word);
    } else {
      CheckFams(state_, check.owner, check.target, word);
    }
  }

  ReadingState& state_;
  GedcomModel& model_;
  const RecordLookup& lookup_;
  std::array<Pending, kQueueSize> queue_;
  std::size_t first_ = 0;
  std::string decodedWord_;
  std::size_t size_ = 0;
};

}  // namespace

void CheckLinks(ReadingState& state, const RecordLookup& lookup) {
  const RangeStart end = state.End();
  RecordKind kind = RecordKind::kOther;
  bool started = state.first.individuals + state.first.unions > 0;
  int indi = state.first.individuals - 1;
  int fam = state.first.unions - 1;
  LineWords words;
  LinkChecks checks(state, lookup);
  // Only level-0 lines and level-1 FAMS and CHIL lines matter here.
  state.ForEachSelectedLine({'0', '1', {'F', 'C'}}, [&](const Line& line) {
    std::size_t length = line.Length();
    if (length < 6) return;
    char level = line.text[0];
    if (level == '0') {
      kind = KindOfRecord(line);
      // Record numbering follows pass 2; headers beyond its counts belong to a changed file.
      if (kind == RecordKind::kIndividual) {
        if (indi + 1 >= end.individuals) {
          state.fileChanged = true;
          kind = RecordKind::kOther;
        } else {
          ++indi;
          started = true;
        }
      } else if (kind == RecordKind::kUnion) {
        if (fam + 1 >= end.unions) {
          state.fileChanged = true;
          kind = RecordKind::kOther;
        } else {
          ++fam;
          started = true;
        }
      }
      return;
    }
    if (!started || level != '1' || length < 8) return;
    // Only the lines the selection names, whether the reader hands them out one by one or
    // passes them over in bulk (which depends on where the line falls in the reader's block):
    // a FAMS or CHIL tag in another place is never checked.
    if (line.text[2] != 'F' && line.text[2] != 'C') return;
    // Most level-1 lines name another tag in the usual place: no split needed.
    if (IsNeitherTag(line.text, line.size, "FAMS", "CHIL")) return;
    SplitWords(line.text, line.size, words);
    if (words.items != 3) return;
    if (kind == RecordKind::kIndividual && words.TagIs("FAMS")) checks.Fams(indi, words);
    if (kind == RecordKind::kUnion && words.TagIs("CHIL")) checks.Chil(fam, words);
  });
  checks.Finish();
  if (indi + 1 != end.individuals || fam + 1 != end.unions) state.fileChanged = true;
}

}  // namespace brimsel

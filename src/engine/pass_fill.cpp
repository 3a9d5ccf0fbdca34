// Pass 2: fills the records: names and places through the dictionaries, dates, occupations,
// notes, and the cross-reference numbers that the resolution turns into links.
#include <cstring>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "engine/reading_state.h"

namespace brimsel {

namespace {

// Room of a note: at most 8191 bytes of the tables' encoding; the rest is cut.
constexpr std::size_t kNoteMax = 8191;
// Raw bytes of a note kept for decoding: enough for 8191 bytes of the tables' encoding
// whatever the file's set (a character never takes more than four bytes of the file).
constexpr std::size_t kRawNoteMax = 4 * kNoteMax;

enum class EventContext { kNone, kBirth, kBaptism, kDeath, kBurial, kMarriage, kNote };

class RecordFiller {
 public:
  explicit RecordFiller(ReadingState& state)
      : state_(state),
        model_(state.model),
        store_(state.Store()),
        counts_(*store_.counts),
        texts_(*store_.texts),
        end_(state.End()),
        indi_(state.first.individuals - 1),
        fam_(state.first.unions - 1),
        individualNote_(state.first.individualNotes - 1),
        unionNote_(state.first.unionNotes - 1),
        // Lines of level 1 and 2 count under a record once an individual or union has begun.
        started_(state.first.individuals + state.first.unions > 0),
        note_(state.decoder ? kRawNoteMax : kNoteMax) {}

  void Read(Line& line);
  // Stores a note still pending at the end of the file, as a level-0 line would.
  void Finish() { CloseNote(); }
  // True when pass 2 met exactly the records and notes that pass 1 counted.
  bool Complete() const {
    return indi_ + 1 == end_.individuals && fam_ + 1 == end_.unions &&
           (!state_.notes ||
            (individualNote_ + 1 == end_.individualNotes && unionNote_ + 1 == end_.unionNotes));
  }

 private:
  void Level0(const Line& line);
  void Level1(Line& line);
  void Level2(const Line& line);
  void OpenNote(const Line& line);
  void CloseNote();
  void Event(const LineWords& words);
  void IndividualValue(Line& line, const LineWords& words);
  void UnionValue(const LineWords& words);
  void Name(Line& line);
  void AppendNote(std::string_view text);
  // The counters and fields that a DATE or PLAC line fills in the current event context.
  struct EventTargets {
    int* dateCount = nullptr;
    int* placeCount = nullptr;
    char** date = nullptr;
    int* place = nullptr;
  };
  EventTargets CurrentTargets();
  void StoreDate(std::string_view text);
  void StorePlace(const Line& line);
  // `raw` in the tables' encoding: itself when decoding changes nothing (the file is in the
  // tables' encoding, or the text is plain), else decoded into `buffer`.
  std::string_view Decoded(std::string_view raw, std::string& buffer);

  Individual& CurrentIndividual() { return model_.individuals[static_cast<std::size_t>(indi_)]; }
  Union& CurrentUnion() { return model_.unions[static_cast<std::size_t>(fam_)]; }

  ReadingState& state_;
  GedcomModel& model_;
  RecordStore store_;
  ConversionCounts& counts_;
  ModelTexts& texts_;
  RangeStart end_;  // the records before the end of the part read
  int indi_;
  int fam_;
  int individualNote_;
  int unionNote_;
  bool started_;  // an individual or union header has been read
  RecordKind kind_ = RecordKind::kOther;
  EventContext context_ = EventContext::kNone;
  RecordKind noteKind_ = RecordKind::kOther;
  std::vector<char> note_;  // the raw bytes of the note being read
  std::size_t noteLength_ = 0;
  LineWords words_;
  std::string decoded_;  // the decoded form of the text being stored
};

void RecordFiller::Read(Line& line) {
  if (line.Length() < 6) return;
  char level = line.text[0];
  if (level == '0' || level == '1') CloseNote();
  switch (level) {
    case '0':
      Level0(line);
      break;
    case '1':
      if (started_) Level1(line);
      break;
    case '2':
      if (started_) Level2(line);
      break;
    default:
      break;
  }
}

void RecordFiller::CloseNote() {
  if (context_ != EventContext::kNote) return;
  std::string_view text = Decoded(std::string_view(note_.data(), noteLength_), decoded_);
  text = text.substr(0, CutToFit(text, kNoteMax, model_.tableEncoding));
  if (noteKind_ == RecordKind::kIndividual && individualNote_ >= 0) {
    model_.individualNotes[static_cast<std::size_t>(individualNote_)].text = texts_.Copy(text);
  } else if (noteKind_ == RecordKind::kUnion && unionNote_ >= 0) {
    model_.unionNotes[static_cast<std::size_t>(unionNote_)].text = texts_.Copy(text);
  }
  noteLength_ = 0;
  context_ = EventContext::kNone;
}

void RecordFiller::Level0(const Line& line) {
  context_ = EventContext::kNone;
  kind_ = KindOfRecord(line);
  if (kind_ == RecordKind::kIndividual) {
    if (indi_ + 1 >= end_.individuals) {  // more headers than pass 1 counted
      state_.fileChanged = true;
      kind_ = RecordKind::kOther;
      return;
    }
    ++indi_;
    started_ = true;
    CurrentIndividual().code = HeaderNumber(line.View());
  } else if (kind_ == RecordKind::kUnion) {
    if (fam_ + 1 >= end_.unions) {
      state_.fileChanged = true;
      kind_ = RecordKind::kOther;
      return;
    }
    ++fam_;
    started_ = true;
    Union& theUnion = CurrentUnion();
    theUnion.code = HeaderNumber(line.View());
    theUnion.husband = -1;
    theUnion.wife = -1;
  }
}

void RecordFiller::Level1(Line& line) {
  context_ = EventContext::kNone;
  if (state_.notes && HasTagAtUsualPlace(line, "NOTE")) {
    OpenNote(line);
    return;
  }
  SplitWords(line.text, line.size, words_);
  if (words_.items == 2) {
    Event(words_);
  } else if (words_.items == 3) {
    if (kind_ == RecordKind::kIndividual) IndividualValue(line, words_);
    if (kind_ == RecordKind::kUnion) UnionValue(words_);
  }
}

void RecordFiller::OpenNote(const Line& line) {
  context_ = EventContext::kNote;
  noteKind_ = kind_;
  noteLength_ = 0;
  if (kind_ == RecordKind::kIndividual) {
    if (individualNote_ + 1 >= end_.individualNotes) {
      state_.fileChanged = true;
      noteKind_ = RecordKind::kOther;
      return;
    }
    model_.individualNotes[static_cast<std::size_t>(++individualNote_)].owner = indi_;
  } else if (kind_ == RecordKind::kUnion) {
    if (unionNote_ + 1 >= end_.unionNotes) {
      state_.fileChanged = true;
      noteKind_ = RecordKind::kOther;
      return;
    }
    model_.unionNotes[static_cast<std::size_t>(++unionNote_)].owner = fam_;
  }
  AppendNote(ValueText(line));
}

void RecordFiller::AppendNote(std::string_view text) {
  std::size_t n = std::min(text.size(), note_.size() - noteLength_);
  if (n == 0) return;
  std::memcpy(note_.data() + noteLength_, text.data(), n);
  noteLength_ += n;
}

void RecordFiller::Event(const LineWords& words) {
  if (kind_ == RecordKind::kIndividual) {
    if (words.TagIs("BIRT")) context_ = EventContext::kBirth;
    else if (words.TagIs("BAPM")) context_ = EventContext::kBaptism;
    else if (words.TagIs("DEAT")) context_ = EventContext::kDeath;
    else if (words.TagIs("BURI")) context_ = EventContext::kBurial;
  } else if (kind_ == RecordKind::kUnion && words.TagIs("MARR")) {
    context_ = EventContext::kMarriage;
  }
}

void RecordFiller::IndividualValue(Line& line, const LineWords& words) {
  Individual& individual = CurrentIndividual();
  switch (words.tag[0]) {  // items == 3: the tag is not empty
    case 'F':
      if (words.TagIs("FAMC")) {
        individual.famc = -1;
        individual.famc = ReferenceNumber(words.Value());
      } else if (words.TagIs("FAMS")) {
        ++individual.famsCount;
      }
      break;
    case 'S':
      if (words.TagIs("SEX")) individual.sex = words.Value()[0] == 'M' ? 1 : 0;
      break;
    case 'N':
      if (words.TagIs("NAME")) Name(line);
      break;
    case 'O':
      if (words.TagIs("OCCU")) {
        individual.occupation = texts_.Copy(Decoded(ValueText(line), decoded_));
      }
      break;
    default:
      break;
  }
}

void RecordFiller::UnionValue(const LineWords& words) {
  Union& theUnion = CurrentUnion();
  if (words.TagIs("HUSB")) {
    int n = ReferenceNumber(words.Value());
    if (n != -1) theUnion.husband = n;
  } else if (words.TagIs("WIFE")) {
    int n = ReferenceNumber(words.Value());
    if (n != -1) theUnion.wife = n;
  } else if (words.TagIs("CHIL")) {
    ++theUnion.childCount;
  }
}

// Cuts the value text at '/' as strtok does: the first part is the given names, the second the
// surname, the rest is ignored.
void RecordFiller::Name(Line& line) {
  Individual& individual = CurrentIndividual();
  char* p = ValueStart(line);
  char* end = line.text + line.size;
  // The whole value is decoded, then cut: a '/' is never part of another character.
  const std::string_view value(p, static_cast<std::size_t>(end - p));
  if (Decoded(value, decoded_).data() != value.data()) {
    p = decoded_.data();
    end = p + decoded_.size();
  }
  int* targets[2] = {&individual.givenName, &individual.surname};
  Dictionary* dictionaries[2] = {store_.givenNames, store_.surnames};
  for (int part = 0; part < 2; ++part) {
    while (p < end && *p == '/') ++p;
    if (p == end) break;
    char* start = p;
    while (p < end && *p != '/') ++p;
    char* stop = p;
    if (p < end) ++p;  // past the delimiter, which the insert may overwrite
    *targets[part] = dictionaries[part]->Insert(start, static_cast<int>(stop - start), state_.nameOptions);
  }
  if (individual.givenName < 0 && individual.surname < 0) state_.Message("nom inconnus %d", indi_);
}

void RecordFiller::Level2(const Line& line) {
  if (context_ == EventContext::kNote) {
    if (HasTagAtUsualPlace(line, "CONT")) {
      AppendNote(" ");
      AppendNote(ValueText(line));
      return;
    }
    if (HasTagAtUsualPlace(line, "CONC")) {
      AppendNote(ValueText(line));
      return;
    }
  }
  SplitWords(line.text, line.size, words_);
  if (words_.items != 3) return;
  if (words_.TagIs("QUAY")) {
    ++counts_.quay;
  } else if (words_.TagIs("SOUR")) {
    ++counts_.sources;
  } else if (words_.TagIs("DATE")) {
    StoreDate(ValueText(line));
  } else if (words_.TagIs("PLAC")) {
    StorePlace(line);
  }
}

RecordFiller::EventTargets RecordFiller::CurrentTargets() {
  switch (context_) {
    case EventContext::kBirth: {
      Individual& individual = CurrentIndividual();
      return {&counts_.birthDates, &counts_.birthPlaces, &individual.birthDate,
              &individual.birthPlace};
    }
    case EventContext::kBaptism: {
      Individual& individual = CurrentIndividual();
      return {&counts_.baptismDates, &counts_.baptismPlaces, &individual.baptismDate,
              &individual.baptismPlace};
    }
    case EventContext::kDeath: {
      Individual& individual = CurrentIndividual();
      return {&counts_.deathDates, &counts_.deathPlaces, &individual.deathDate,
              &individual.deathPlace};
    }
    case EventContext::kBurial: {
      Individual& individual = CurrentIndividual();
      return {&counts_.burialDates, &counts_.burialPlaces, &individual.burialDate,
              &individual.burialPlace};
    }
    case EventContext::kMarriage: {
      Union& theUnion = CurrentUnion();
      return {&counts_.marriageDates, &counts_.marriagePlaces, &theUnion.marriageDate,
              &theUnion.marriagePlace};
    }
    default:
      return {};
  }
}

void RecordFiller::StoreDate(std::string_view text) {
  EventTargets targets = CurrentTargets();
  if (targets.date == nullptr) return;
  ++*targets.dateCount;
  // A later date of the same event replaces the earlier one.
  text = Decoded(text, decoded_);
  text = text.substr(0, CutToFit(text, kDateBufferSize - 1, model_.tableEncoding));
  *targets.date = texts_.StoreDate(*targets.date, text);
}

void RecordFiller::StorePlace(const Line& line) {
  EventTargets targets = CurrentTargets();
  if (targets.place == nullptr) return;
  ++*targets.placeCount;
  char* start = ValueStart(line);
  std::size_t length = static_cast<std::size_t>(line.text + line.size - start);
  if (Decoded(std::string_view(start, length), decoded_).data() != start) {
    start = decoded_.data();
    length = decoded_.size();
  }
  *targets.place = store_.places->Insert(start, static_cast<int>(length), state_.placeOptions);
}

std::string_view RecordFiller::Decoded(std::string_view raw, std::string& buffer) {
  if (!state_.decoder || !state_.decoder->DecodeChanged(raw, buffer, state_.decoded)) return raw;
  return buffer;
}

}  // namespace

void FillRecords(ReadingState& state) {
  RecordFiller filler(state);
  state.ForEachLine([&](Line& line) { filler.Read(line); });
  filler.Finish();
  if (!filler.Complete()) state.fileChanged = true;
}

}  // namespace brimsel

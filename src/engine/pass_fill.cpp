// Pass 2: fills the records: names and places through the dictionaries, dates, occupations,
// notes, and the cross-reference numbers that the resolution turns into links.
#include <algorithm>
#include <string>

#include "dict/dictionary.h"
#include "engine/reading_state.h"

namespace brimsel {

namespace {

// Room of a note: at most 8191 bytes of the tables' encoding; the rest is cut.
constexpr std::size_t kNoteMax = 8191;
// Decoded bytes of a long note kept for its cut: the room and the rest of a character that
// straddles the limit (CutToFit looks at no more).
constexpr std::size_t kNoteStartMax = kNoteMax + 4;
// Raw bytes of a note that wait to be decoded: a longer note is decoded piece by piece as it is
// read, so that it is counted whole (the message lines) with a buffer of bounded size.
constexpr std::size_t kNotePiece = 4 * kNoteMax;

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
        started_(state.first.individuals + state.first.unions > 0) {
    note_.reserve(state.decoder ? kNotePiece : kNoteMax);
  }

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
  // Decodes the start of the note's raw bytes up to a place where decoding may restart.
  void DecodeNotePiece();
  void KeepNoteStart(std::string_view decoded);
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
  std::string note_;       // the raw bytes of the note being read, not yet decoded
  std::string noteStart_;  // the decoded start of a note decoded piece by piece
  bool notePieces_ = false;  // a piece of the note being read has been decoded
  std::size_t noteSearched_ = 0;  // bytes of note_ searched for a place where decoding may restart
  LineWords words_;
  std::string decoded_;  // the decoded form of the text being stored
  std::string piece_;    // the decoded form of a piece of a long note
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
  context_ = EventContext::kNone;
  // Only the notes of individuals and unions are read (and so counted); no table keeps others.
  if (noteKind_ != RecordKind::kOther) {
    std::string_view text = Decoded(note_, decoded_);
    if (notePieces_) {
      KeepNoteStart(text);
      text = noteStart_;
    }
    text = text.substr(0, CutToFit(text, kNoteMax, model_.tableEncoding));
    if (noteKind_ == RecordKind::kIndividual) {
      model_.individualNotes[static_cast<std::size_t>(individualNote_)].text = texts_.Copy(text);
    } else {
      model_.unionNotes[static_cast<std::size_t>(unionNote_)].text = texts_.Copy(text);
    }
  }
  note_.clear();
  noteStart_.clear();
  notePieces_ = false;
  noteSearched_ = 0;
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
  if (noteKind_ == RecordKind::kOther) return;
  if (!state_.decoder) {
    // Texts go in as they are: the room is all that is kept, and nothing is counted.
    note_.append(text.substr(0, kNoteMax - std::min(note_.size(), kNoteMax)));
    return;
  }
  note_.append(text);
  if (note_.size() >= kNotePiece) DecodeNotePiece();
}

void RecordFiller::DecodeNotePiece() {
  // Only the bytes added since the last search can hold a new place (its test looks one byte
  // back), so that a long run with none is searched once.
  const std::size_t from = noteSearched_ > 0 ? noteSearched_ - 1 : 0;
  const std::size_t found = state_.decoder->RestartPoint(std::string_view(note_).substr(from));
  noteSearched_ = note_.size();
  if (found == 0) return;  // no place yet: the bytes wait
  KeepNoteStart(Decoded(std::string_view(note_).substr(0, from + found), piece_));
  note_.erase(0, from + found);
  noteSearched_ = note_.size();  // what is left holds no place after its first byte
  notePieces_ = true;
}

void RecordFiller::KeepNoteStart(std::string_view decoded) {
  const std::size_t room = kNoteStartMax - std::min(noteStart_.size(), kNoteStartMax);
  noteStart_.append(decoded.substr(0, room));
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

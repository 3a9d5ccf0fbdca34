// The genealogy model: individuals, unions and notes of one converted GEDCOM file, with the
// three dictionaries of given names, surnames and places.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dict/dictionary.h"
#include "platform/big_memory.h"
#include "platform/charset.h"
#include "platform/text_blocks.h"

namespace brimsel {

// The model's arrays: contiguous records in memory taken by whole huge pages when large.
template <class T>
using HugeArray = std::vector<T, HugePageAllocator<T>>;

// Size of a date buffer: a date text of at most 31 characters and its terminator.
inline constexpr std::size_t kDateBufferSize = 32;

struct Individual {
  int code = -1;           // number of the record's cross-reference
  int surname = -1;           // surname: identifier in surnames
  int givenName = -1;        // given names: identifier in givenNames
  int famc = -1;           // parent union: xref number after pass 2, union index afterwards
  int birthPlace = -1;  // places: identifiers in places
  int baptismPlace = -1;
  int deathPlace = -1;
  int burialPlace = -1;
  int sex = -1;           // 1 male, 0 any other SEX value, -1 no SEX line
  int famsCount = 0;          // number of FAMS lines
  char* occupation = nullptr;  // OCCU value
  char* birthDate = nullptr;  // date buffers of kDateBufferSize bytes
  char* deathDate = nullptr;
  char* baptismDate = nullptr;
  char* burialDate = nullptr;
};

struct Union {
  int code = -1;
  int husband = -1;   // husband: HUSB number after pass 2, individual index afterwards
  int wife = -1;  // wife: same, from WIFE
  int marriagePlace = -1;
  int childCount = 0;  // number of CHIL lines
  char* marriageDate = nullptr;
};

struct Note {
  int owner = -1;  // index of the owning individual or union
  char* text = nullptr;
};

// What a conversion counts; reset by assigning a fresh value.
struct ConversionCounts {
  int individuals = 0;  // INDI records
  int unions = 0;  // FAM records
  int added = 0;  // spouses a union names but the file lacks
  int birthDates = 0;
  int birthPlaces = 0;
  int deathDates = 0;
  int deathPlaces = 0;
  int individualNotes = 0;  // notes of individuals (counted only when notes are read)
  int baptismDates = 0;
  int baptismPlaces = 0;
  int marriageDates = 0;
  int marriagePlaces = 0;
  int quay = 0;  // QUAY lines
  int unionNotes = 0;  // notes of unions
  int errors = 0;  // inconsistencies reported
  int parents = 0;  // individuals with a FAMC line
  int sources = 0;  // SOUR lines
  int burialPlaces = 0;
  int burialDates = 0;
};

// Room a stored date always has, whatever its length: the export writes the normalised form
// over it, at most "31 juin 2147483647" and its terminator.
inline constexpr std::size_t kMinDateRoom = 20;

// Owns the texts and date buffers of the records, released together by Clear().
class ModelTexts : public TextBlocks {
 public:
  // A new date buffer of kDateBufferSize bytes, all zero.
  char* NewDate() { return Zeros(kDateBufferSize); }
  // Stores `text`, cut to kDateBufferSize - 1 bytes, as the value of a date: over `date` when it
  // holds a date with room for it, else in a new buffer of the text's length (at least
  // kMinDateRoom bytes). Returns the buffer. Most dates are much shorter than kDateBufferSize, and
  // a file holds millions of them.
  char* StoreDate(char* date, std::string_view text);
};

class GedcomModel {
 public:
  GedcomModel();
  ~GedcomModel();
  GedcomModel(const GedcomModel&) = delete;
  GedcomModel& operator=(const GedcomModel&) = delete;

  // Empties the model and recreates the three dictionaries, for Windows-1252 texts until
  // UseTableEncoding says otherwise.
  void Clear();
  // Sets the encoding of every text the model will hold and recreates the (empty)
  // dictionaries to compare texts of that encoding.
  void UseTableEncoding(const FileCharset& charset, TableEncoding encoding);

  std::optional<std::string> sourcePath;  // path of the last successful conversion
  FileCharset charset = Charset::kWindows1252;                // the set the file was read in
  TableEncoding tableEncoding = TableEncoding::kWindows1252;  // the encoding of the model's texts
  HugeArray<Individual> individuals;
  HugeArray<Union> unions;
  HugeArray<Note> individualNotes;
  HugeArray<Note> unionNotes;
  std::int64_t sourceSize = 0;  // source size in bytes
  ConversionCounts counts;  // what the conversion found, shown in the count fields
  bool readNotes = false;    // the last conversion read the notes
  bool properNames = false;  // the last conversion wrote names as proper names
  std::vector<int> addedSexes;  // 1 added husband, 0 added wife

  std::unique_ptr<Dictionary> givenNames;  // given names
  std::unique_ptr<Dictionary> surnames;     // surnames
  std::unique_ptr<Dictionary> places;    // places

  ModelTexts texts;  // owns every occupation, date and note text of the records
};

}  // namespace brimsel

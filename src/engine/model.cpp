// The genealogy model: reset and text storage.
#include "engine/model.h"

#include <algorithm>
#include <cstring>

namespace brimsel {
GedcomModel::GedcomModel() = default;
GedcomModel::~GedcomModel() = default;

void GedcomModel::Clear() {
  sourcePath.reset();
  individuals = {};
  addedSexes = {};
  unions = {};
  individualNotes = {};
  unionNotes = {};
  texts.Release();
  counts = {};
  sourceSize = 0;
  UseTableEncoding(Charset::kWindows1252, TableEncoding::kWindows1252);
}

void GedcomModel::UseTableEncoding(const FileCharset& set, TableEncoding encoding) {
  charset = set;
  tableEncoding = encoding;
  givenNames = std::make_unique<Dictionary>(encoding);
  surnames = std::make_unique<Dictionary>(encoding);
  places = std::make_unique<Dictionary>(encoding);
}

char* ModelTexts::StoreDate(char* date, std::string_view text) {
  const std::size_t n = std::min(text.size(), kDateBufferSize - 1);
  // A buffer holds at least kMinDateRoom bytes and at least the text it holds.
  if (date == nullptr || n + 1 > std::max(std::strlen(date) + 1, kMinDateRoom)) {
    date = Place(std::max(n + 1, kMinDateRoom));
  }
  if (n != 0) std::memcpy(date, text.data(), n);
  date[n] = '\0';
  return date;
}

}  // namespace brimsel

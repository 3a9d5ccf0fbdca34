// The table export: output names, the three code lists, and the rows of the individual, union
// and note tables.
#include "export/tables.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "engine/conversion.h"
#include "export/code_lists.h"
#include "export/date.h"
#include "export/row_writer.h"

namespace brimsel {

const char* const kTableSuffixes[kTableCount] = {
    "_NAME.txt", "_SURNAME.txt",  "_PLAC.txt",    "_INDI.txt",
    "_FAM.txt",  "_INDInote.txt", "_FAMnote.txt",
};

namespace {

constexpr const char kListHeaders[3][2][32] = {
    {"C_NAME\tNAME\n", "C_NAME\tNBREF\tNAME\n"},
    {"C_SURNAME\tSURNAME\n", "C_SURNAME\tNBREF\tSURNAME\n"},
    {"C_PLAC\tPLAC\n", "C_PLAC\tNBREF\tPLAC\n"},
};
constexpr const char* kRowHeaders[4] = {
    "INDI\tFAM\tS\tPRE\tCNOM\tDAT1\tQD1\tPL1\tDAT2\tQD2\tPL2\tOCCU\n",
    "FAM\tHUSB\tWIFE\tDAT\tQD\tC_PLACSTART\n",
    "INDI\tNOTE\n",
    "FAM\tNOTE\n",
};

std::size_t LongestSuffix() {
  std::size_t n = 0;
  for (const char* s : kTableSuffixes) n = std::max(n, std::strlen(s));
  return n;
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// The date, quality and place that a pair of events puts in one date group of an individual.
struct DatedEvent {
  const char* date = nullptr;
  int quality = 0;
  int place = -1;
};

// Normalises both dates in place and keeps the better one; equal codes go to the primary event.
// A substitute's code is written one less (an even code), so the table tells it apart.
DatedEvent ChooseEvent(char* primaryDate, int primaryPlace, char* substituteDate,
                       int substitutePlace, TableEncoding encoding) {
  const int qP = NormaliseDate(primaryDate, encoding);
  const int qS = NormaliseDate(substituteDate, encoding);
  if (primaryDate == nullptr && substituteDate == nullptr) return {};
  if (qS > qP) {
    return {substituteDate, qS - 1, substitutePlace != -1 ? substitutePlace : primaryPlace};
  }
  return {primaryDate, qP, primaryPlace != -1 ? primaryPlace : substitutePlace};
}

// A date cell, its code and its place, each followed by a tab, at `q`.
char* WriteEvent(char* q, const DatedEvent& e) {
  q = TableFile::WriteShortCell(q, e.date, kDateBufferSize - 1);
  *q++ = '\t';
  q = TableFile::WriteNumber(q, e.quality);
  *q++ = '\t';
  q = TableFile::WriteNumber(q, std::int64_t{e.place} + 1);
  *q++ = '\t';
  return q;
}

// Everything of a row of the individual table up to the occupation has a bounded length: five
// numbers and two events, each cell with its tab.
constexpr std::size_t kIndividualHeadMax = 5 * 21 + 2 * (2 * (kDateBufferSize - 1) + 1 + 2 * 21);

void WriteIndividual(TableFile& f, Individual& p, std::int64_t number, int famBase,
                     TableEncoding encoding) {
  const DatedEvent start = ChooseEvent(p.birthDate, p.birthPlace, p.baptismDate, p.baptismPlace, encoding);
  const DatedEvent end = ChooseEvent(p.deathDate, p.deathPlace, p.burialDate, p.burialPlace, encoding);
  // The bounded part goes straight into the writer's buffer, checked for room once.
  char* q = f.Place(kIndividualHeadMax);
  for (std::int64_t n : {number, p.famc == -1 ? 0 : std::int64_t{p.famc} + famBase,
                         std::int64_t{p.sex}, std::int64_t{p.givenName} + 1, std::int64_t{p.surname} + 1}) {
    q = TableFile::WriteNumber(q, n);
    *q++ = '\t';
  }
  q = WriteEvent(q, start);
  q = WriteEvent(q, end);
  f.Take(q);
  f.Cell(p.occupation);
  f.EndRow();
}

// An added spouse has no names, dates or places: PRE and CNOM are 0 (none).
void WriteAddedSpouse(TableFile& f, std::int64_t number, int sex) {
  f.Number(number);
  f.Raw("\t0\t");
  f.Number(sex);
  f.Raw("\t0\t0\t\t0\t0\t\t0\t0\t\n");
}

void WriteUnion(TableFile& f, Union& u, std::int64_t number, int indiBase,
                TableEncoding encoding) {
  const int quality = NormaliseDate(u.marriageDate, encoding);
  f.Number(number);
  f.Tab();
  f.Number(std::int64_t{u.husband} + indiBase);
  f.Tab();
  f.Number(std::int64_t{u.wife} + indiBase);
  f.Tab();
  f.Cell(u.marriageDate);
  f.Tab();
  f.Number(quality);
  f.Tab();
  f.Number(std::int64_t{u.marriagePlace} + 1);
  f.EndRow();
}

bool WriteNotes(TableFile& file, const HugeArray<Note>& notes, int count, int base, int threads) {
  const std::size_t n = std::min(notes.size(), static_cast<std::size_t>(std::max(count, 0)));
  return WriteRows(file, n, threads, [&](TableFile& f, std::size_t i) {
    f.Number(std::int64_t{notes[i].owner} + base);
    f.Tab();
    f.Cell(notes[i].text);
    f.EndRow();
  });
}

const Dictionary* DictionaryOfList(const GedcomModel& m, int list) {
  switch (list) {
    case 0:
      return m.surnames.get();
    case 1:
      return m.givenNames.get();
    default:
      return m.places.get();
  }
}

// The size report: source and tables in kilobytes, and the saving. An empty source has no
// meaningful saving; it is reported as 0 per cent.
void ReportSizes(ProgressSink& progress, std::int64_t source, std::int64_t written) {
  const double saving =
      source == 0 ? 0.0 : static_cast<double>(source - written) * 100.0 / static_cast<double>(source);
  char line[96];
  std::snprintf(line, sizeof line, "%lld Kb => %lld Kb (%.0f%%)",
                static_cast<long long>(source / 1024), static_cast<long long>(written / 1024),
                saving);
  progress.Message(line);
}

ExportResult Failure(ExportOutcome outcome, std::string file, std::int64_t written) {
  return {outcome, std::move(file), written};
}

}  // namespace

std::optional<std::string> TableBaseName(std::string_view source, std::string_view directory) {
  if (source.empty()) return std::nullopt;
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (IsSeparator(source[i])) nameStart = i + 1;
  }
  std::size_t end = source.size();
  const std::size_t dot = source.rfind('.');
  if (dot != std::string_view::npos && dot >= nameStart) end = dot;

  std::string base;
  if (directory.empty()) {
    base.assign(source.substr(0, end));
  } else {
    base.assign(directory);
    if (!IsSeparator(base.back())) base += '/';
    base.append(source.substr(nameStart, end - nameStart));
  }
  if (base.size() + LongestSuffix() + 1 > kTableNameCapacity) return std::nullopt;
  return base;
}

bool WriteTableRows(GedcomModel& m, TableFile& indi, TableFile& fam, TableFile& indiNotes,
                    TableFile& famNotes, int threads) {
  const std::size_t individualCount =
      std::min(m.individuals.size(), static_cast<std::size_t>(std::max(m.counts.individuals, 0)));
  if (!WriteRows(indi, individualCount, threads, [&m](TableFile& f, std::size_t i) {
        WriteIndividual(f, m.individuals[i], static_cast<std::int64_t>(i) + m.indiBase, m.famBase,
                        m.tableEncoding);
      })) {
    return false;
  }
  const std::size_t addedCount =
      std::min(m.addedSexes.size(), static_cast<std::size_t>(std::max(m.counts.added, 0)));
  for (std::size_t k = 0; k < addedCount; ++k) {
    if (indi.Failed()) return false;
    WriteAddedSpouse(indi, static_cast<std::int64_t>(individualCount + k) + m.indiBase, m.addedSexes[k]);
  }
  if (indi.Failed()) return false;

  const std::size_t unionCount =
      std::min(m.unions.size(), static_cast<std::size_t>(std::max(m.counts.unions, 0)));
  if (!WriteRows(fam, unionCount, threads, [&m](TableFile& f, std::size_t i) {
        WriteUnion(f, m.unions[i], static_cast<std::int64_t>(i) + m.famBase, m.indiBase,
                   m.tableEncoding);
      })) {
    return false;
  }

  return WriteNotes(indiNotes, m.individualNotes, m.counts.individualNotes, m.indiBase, threads) &&
         WriteNotes(famNotes, m.unionNotes, m.counts.unionNotes, m.famBase, threads);
}

ExportResult ExportTables(GedcomModel& m, const ExportOptions& options, ProgressSink& progress) {
  const std::optional<std::string> base = TableBaseName(
      m.sourcePath ? std::string_view(*m.sourcePath) : std::string_view(), options.outputDir);
  if (!base) return Failure(ExportOutcome::kNoTableName, {}, 0);
  std::array<std::string, kTableCount> names;
  for (int t = 0; t < kTableCount; ++t) names[t] = *base + kTableSuffixes[t];
  m.bytesWritten = 0;

  // Each code list is complete and closed before the next one is opened.
  for (int t = 0; t < 3; ++t) {
    TableFile f;
    if (!f.Open(names[t].c_str())) return Failure(ExportOutcome::kOpenFailed, names[t], m.bytesWritten);
    f.Raw(kListHeaders[t][options.refCounts ? 1 : 0]);
    if (const Dictionary* dictionary = DictionaryOfList(m, t)) {
      WriteCodeList(f, *dictionary, options.refCounts);
    }
    m.bytesWritten += f.BytesWritten();
    if (!f.Close()) return Failure(ExportOutcome::kWriteFailed, names[t], m.bytesWritten);
  }

  // The four row tables are open together; when one cannot be opened, those opened before it
  // are closed empty.
  std::array<TableFile, 4> rows;
  for (int k = 0; k < 4; ++k) {
    if (!rows[k].Open(names[3 + k].c_str())) {
      return Failure(ExportOutcome::kOpenFailed, names[3 + k], m.bytesWritten);
    }
  }
  progress.Phase("Conversion en cours!");
  for (int k = 0; k < 4; ++k) rows[k].Raw(kRowHeaders[k]);
  if (options.indiBase) m.indiBase = *options.indiBase;
  if (options.famBase) m.famBase = *options.famBase;
  WriteTableRows(m, rows[0], rows[1], rows[2], rows[3], ConversionThreads(options.threads, m.sourceSize));
  progress.Phase({});
  // Every file is closed, so that those that did not fail are complete; the first failure in
  // table order is the one reported.
  int failed = -1;
  for (int k = 0; k < 4; ++k) {
    m.bytesWritten += rows[k].BytesWritten();
    if (!rows[k].Close() && failed < 0) failed = 3 + k;
  }
  if (failed >= 0) return Failure(ExportOutcome::kWriteFailed, names[failed], m.bytesWritten);

  ReportSizes(progress, m.sourceSize, m.bytesWritten);
  return {ExportOutcome::kWritten, {}, m.bytesWritten};
}

}  // namespace brimsel

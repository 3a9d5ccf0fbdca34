// Micro-benchmarks of the hot spots: line scanning, dictionary inserts, date normalisation and
// reading, and the rows of the individual table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "engine/gedcom_line.h"
#include "engine/model.h"
#include "export/date.h"
#include "export/table_file.h"
#include "export/export.h"
#include "export/tsv_rows.h"
#include "platform/byte_source.h"
#include "platform/line_reader.h"
#include "records/gedcom_date.h"

namespace brimsel {
namespace {

std::string SampleGedcom(std::size_t lines, const char* eol) {
  static const char* const kLines[] = {"0 @I12345@ INDI", "1 NAME Jean Pierre /LE GOFF/",
                                       "1 SEX M",         "1 BIRT",
                                       "2 DATE 12 MAR 1841", "2 PLAC Quimper, Finist\xE8re",
                                       "1 OCCU Meunier",  "1 FAMS @F4321@"};
  std::string s;
  for (std::size_t i = 0; i < lines; ++i) {
    s += kLines[i % std::size(kLines)];
    s += eol;
  }
  return s;
}

// Line scanning through Next (the text utilities), through ForEach (pass 2 of a conversion),
// or through ForEachSelected with the selection of pass 3 (the lines passed over are counted).
enum class ScanPath { kNext, kForEach, kSelected };

void BM_LineScan(benchmark::State& state, const char* eol, ScanPath path) {
  std::string data = SampleGedcom(200000, eol);
  StringSource source(data);
  LineReader reader(source);
  for (auto _ : state) {
    reader.Rewind();
    std::size_t n = 0;
    switch (path) {
      case ScanPath::kNext: {
        Line line;
        while (reader.Next(line)) n += line.size;
        break;
      }
      case ScanPath::kForEach:
        reader.ForEach([&](Line& line) {
          n += line.size;
          return true;
        });
        break;
      case ScanPath::kSelected:
        reader.ForEachSelected(
            {'0', '1', {'F', 'C'}}, [&](Line& line) { n += line.size; },
            [&](std::size_t skipped) { n += skipped; });
        break;
    }
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK_CAPTURE(BM_LineScan, crlf, "\r\n", ScanPath::kNext);
BENCHMARK_CAPTURE(BM_LineScan, lf, "\n", ScanPath::kNext);
BENCHMARK_CAPTURE(BM_LineScan, crlf_foreach, "\r\n", ScanPath::kForEach);
BENCHMARK_CAPTURE(BM_LineScan, lf_foreach, "\n", ScanPath::kForEach);
BENCHMARK_CAPTURE(BM_LineScan, crlf_selected, "\r\n", ScanPath::kSelected);
BENCHMARK_CAPTURE(BM_LineScan, lf_selected, "\n", ScanPath::kSelected);

void BM_WordSplit(benchmark::State& state) {
  const std::string line = "2 PLAC Quimper, Finist\xE8re";
  LineWords words;
  for (auto _ : state) {
    SplitWords(line.data(), line.size(), words);
    benchmark::DoNotOptimize(words.items);
  }
}
BENCHMARK(BM_WordSplit);

std::vector<std::string> Names(std::size_t distinct, std::size_t total, bool sorted) {
  std::vector<std::string> pool;
  char buf[64];
  for (std::size_t i = 0; i < distinct; ++i) {
    std::snprintf(buf, sizeof buf, "Nom%06zu, Finist\xE8re", i);
    pool.emplace_back(buf);
  }
  std::vector<std::string> out;
  std::mt19937 rng(7);
  for (std::size_t i = 0; i < total; ++i) {
    out.push_back(sorted ? pool[i * distinct / total] : pool[rng() % distinct]);
  }
  return out;
}

void BM_DictionaryInsert(benchmark::State& state, bool sorted) {
  std::vector<std::string> texts = Names(static_cast<std::size_t>(state.range(0)), 200000, sorted);
  std::vector<char> buf(64);
  for (auto _ : state) {
    Dictionary d;
    for (const std::string& t : texts) {
      std::memcpy(buf.data(), t.c_str(), t.size() + 1);
      benchmark::DoNotOptimize(d.Insert(buf.data(), static_cast<int>(t.size()), kProperName));
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * texts.size()));
}
BENCHMARK_CAPTURE(BM_DictionaryInsert, random, false)->Arg(5000)->Arg(200000);
BENCHMARK_CAPTURE(BM_DictionaryInsert, sorted, true)->Arg(5000)->Arg(200000);

void BM_NormaliseDate(benchmark::State& state) {
  static const char* const kDates[] = {"12 MAR 1841", "ABT 1850", "BEF 3 F\xC9V 1790", "MAR 1850",
                                       "1850", "AFT 12 JUN 1901", "15 juin 1900", "BET 1 AND 2"};
  char buf[32];
  std::size_t i = 0;
  for (auto _ : state) {
    std::strcpy(buf, kDates[i++ % std::size(kDates)]);
    benchmark::DoNotOptimize(NormaliseDate(buf));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_NormaliseDate);

// The complete database's reading of the same dates, the strings it returns included.
void BM_ReadGedcomDate(benchmark::State& state) {
  static const char* const kDates[] = {"12 MAR 1841", "ABT 1850", "BEF 3 F\xC3\x89V 1790",
                                       "MAR 1850", "1850", "AFT 12 JUN 1901", "15 juin 1900",
                                       "BET 1 JAN 1850 AND 31 DEC 1860"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadGedcomDate(kDates[i++ % std::size(kDates)]));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_ReadGedcomDate);

// The rows of the individual table (and the others) for 100,000 individuals with four dates
// each, made as typed rows and formatted as the table's file holds them.
void BM_IndividualRows(benchmark::State& state) {
  GedcomModel m;
  m.Clear();
  const int n = 100000;
  m.individuals.resize(n);
  m.counts.individuals = n;
  for (int i = 0; i < n; ++i) {
    Individual& ind = m.individuals[static_cast<std::size_t>(i)];
    ind.givenName = i % 300;
    ind.surname = i % 5000;
    ind.sex = i % 2;
    ind.famc = i / 3;
    ind.birthPlace = i % 4000;
    ind.deathPlace = i % 3000;
    for (char** d : {&ind.birthDate, &ind.baptismDate, &ind.deathDate, &ind.burialDate}) {
      *d = m.texts.NewDate();
      std::strcpy(*d, i % 5 ? "12 MAR 1841" : "ABT 1850");
    }
    ind.occupation = m.texts.Copy("Meunier");
  }
  const ClassicRows rows(m, {});
  const ClassicTableDescription& table = Describe(ClassicTable::kIndividuals);
  for (auto _ : state) {
    TableFile indi;
    indi.Open("/dev/null");
    for (std::size_t begin = 0; begin < static_cast<std::size_t>(n); begin += 4096) {
      RowBlock block(table.schema);
      rows.Fill(ClassicTable::kIndividuals, begin, begin + 4096, block);
      WriteTsvRows(table, block, false, indi);
    }
    state.counters["bytes"] = static_cast<double>(indi.BytesWritten());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}
BENCHMARK(BM_IndividualRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brimsel

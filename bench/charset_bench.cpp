// Micro-benchmarks of the character sets: the detector over plain lines, text decoding and
// case-fold keys.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/charset.h"
#include "platform/icu_charset.h"
#include "platform/text_case.h"
#include "platform/text_decoder.h"

namespace brimsel {
namespace {

std::vector<std::string> SampleLines(std::size_t count, const char* place) {
  const std::string lines[] = {
      "0 @I12345@ INDI",    "1 NAME Jean Pierre /LE GOFF/", "1 SEX M",        "1 BIRT",
      "2 DATE 12 MAR 1841", std::string("2 PLAC ") + place, "1 OCCU Meunier", "1 FAMS @F4321@"};
  std::vector<std::string> out = {"0 HEAD", "1 CHAR ANSI", "1 GEDC", "2 VERS 5.5.1"};
  for (std::size_t i = 0; out.size() < count; ++i) out.push_back(lines[i % 8]);
  return out;
}

// The whole file fed to the detector: ASCII lines, or UTF-8 accents that never end the check.
void BM_DetectorFeed(benchmark::State& state, const char* place) {
  const std::vector<std::string> lines = SampleLines(100000, place);
  std::size_t bytes = 0;
  for (const std::string& l : lines) bytes += l.size() + 1;
  for (auto _ : state) {
    CharsetDetector detector;
    for (const std::string& l : lines) detector.Feed(l);
    benchmark::DoNotOptimize(detector.IsUtf8());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK_CAPTURE(BM_DetectorFeed, ascii, "Quimper, Finistere");
BENCHMARK_CAPTURE(BM_DetectorFeed, utf8, "Quimper, Finist\xC3\xA8re");

void BM_DecodeName(benchmark::State& state, const char* name, Charset from, TableEncoding to) {
  TextDecoder decoder(from, to);
  std::string out;
  DecodeCounts counts;
  for (auto _ : state) {
    decoder.Decode(name, out, counts);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK_CAPTURE(BM_DecodeName, ascii, "Jean Pierre", Charset::kUtf8, TableEncoding::kUtf8);
BENCHMARK_CAPTURE(BM_DecodeName, utf8Nfc, "Ren\xC3\xA9 Qu\xC3\xA9r\xC3\xA9", Charset::kUtf8,
                  TableEncoding::kUtf8);
BENCHMARK_CAPTURE(BM_DecodeName, utf8Decomposed, "Rene\xCC\x81 Que\xCC\x81re\xCC\x81",
                  Charset::kUtf8, TableEncoding::kUtf8);
BENCHMARK_CAPTURE(BM_DecodeName, utf8To1252, "Ren\xC3\xA9 Qu\xC3\xA9r\xC3\xA9", Charset::kUtf8,
                  TableEncoding::kWindows1252);
BENCHMARK_CAPTURE(BM_DecodeName, ansel,
                  "Ren\xE2"
                  "e Qu\xE2"
                  "er\xE2"
                  "e",
                  Charset::kAnsel, TableEncoding::kUtf8);

// A set chosen by an ICU name: a single-byte one decodes through its table, a multi-byte one
// through the converter, against the built-in CP850.
void BM_DecodeNamedSet(benchmark::State& state, const char* name, const char* text) {
  TextDecoder decoder(LookUpCharset(name).charset, TableEncoding::kUtf8);
  std::string out;
  DecodeCounts counts;
  for (auto _ : state) {
    decoder.Decode(text, out, counts);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK_CAPTURE(BM_DecodeNamedSet, cp850BuiltIn, "cp850", "Ivan Buri\x86 \x8A");
BENCHMARK_CAPTURE(BM_DecodeNamedSet, windows1250, "windows-1250", "Ivan Buri\xE6 \x8Aibenik");
BENCHMARK_CAPTURE(BM_DecodeNamedSet, eucJp, "EUC-JP", "\xA4\xA2 /\xB0\xA1/");

void BM_CaseFoldKey(benchmark::State& state, const char* text) {
  std::string key;
  for (auto _ : state) {
    CaseFoldKey(text, key);
    benchmark::DoNotOptimize(key.data());
  }
}
BENCHMARK_CAPTURE(BM_CaseFoldKey, ascii, "LE GOFF");
BENCHMARK_CAPTURE(BM_CaseFoldKey, utf8, "QU\xC3\x89R\xC3\x89");

}  // namespace
}  // namespace brimsel

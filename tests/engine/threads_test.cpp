// Conversions read in parts give exactly what one reader gives, failures included.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/conversion.h"
#include "platform/byte_source.h"
#include "platform/icu_charset.h"
#include "support/convert.h"
#include "support/model_dump.h"

namespace brimsel {
namespace {

using test::Convert;

// The model and the message lines, as one text.
std::string Dump(const test::Converted& c) {
  std::string s = test::DumpModel(c.m, c.r);
  for (const std::string& line : c.p.messages) s += line + '\n';
  return s;
}

// Individuals whose names, places and notes come from small pools in varied case, so that
// every part sees texts that others saw first, later or never; unions naming missing or
// wrong partners; notes whose last CONC or CONT line ends a part; short level-0 lines
// inside notes (which no pass treats as the end of a record); line ends of every kind.
std::string Family(unsigned seed, int individuals, int unions, const std::string& eol) {
  std::mt19937 rng(seed);
  const auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
  const std::vector<std::string> given = {"Jean", "JEAN", "jean", "\xC9lodie", "\xE9LODIE", "Zo\xE9",
                                          "ZO\xC9", "Anne Marie", "anne-marie", "Yves"};
  const std::vector<std::string> surnames = {"/Dupont/", "/DUPONT/", "/Le Goff/", "/le-goff/",
                                             "/Qu\xE9r\xE9/", "/QU\xC9R\xC9/", "//", "/K\xE9r\xE9" "bel/"};
  const std::vector<std::string> places = {"Brest", "BREST", "Quimper, Finist\xE8re",
                                           "QUIMPER, FINIST\xC8RE", " Paris ", "paris"};
  std::string f = "0 HEAD" + eol + "1 CHAR ANSI" + eol;
  for (int i = 1; i <= individuals; ++i) {
    f += "0 @I" + std::to_string(i) + "@ INDI" + eol;
    if (rng() % 7 != 0) f += "1 NAME " + pick(given) + " " + pick(surnames) + eol;
    f += "1 SEX " + std::string(rng() % 2 ? "M" : "F") + eol;
    f += "1 BIRT" + eol + "2 DATE " + std::to_string(1800 + rng() % 100) + eol + "2 PLAC " + pick(places) + eol;
    if (rng() % 3 == 0) f += "1 FAMS @F" + std::to_string(1 + rng() % (unions + 2)) + "@" + eol;
    if (rng() % 2 == 0) f += "1 FAMC @F" + std::to_string(1 + rng() % (unions + 2)) + "@" + eol;
    if (rng() % 4 == 0) {
      f += "1 NOTE n" + std::to_string(i) + eol + "2 CONT " + pick(given) + eol;
      if (rng() % 2) f += "0 X" + eol + "2 CONC " + pick(places) + eol;
    }
    if (rng() % 5 == 0) f += "1 OCCU " + pick(places) + eol + "2 SOUR @S1@" + eol + "3 QUAY 2" + eol;
    // Tags out of their usual place, in lines that a reader may pass over in bulk.
    if (rng() % 3 == 0) f += "11 FAMS @F2@" + eol + "1  CHIL @I1@" + eol;
  }
  for (int k = 1; k <= unions; ++k) {
    f += "0 @F" + std::to_string(k) + "@ FAM" + eol;
    f += "1 HUSB @I" + std::to_string(1 + rng() % (individuals + 3)) + "@" + eol;
    if (rng() % 3) f += "1 WIFE @I" + std::to_string(1 + rng() % (individuals + 3)) + "@" + eol;
    f += "1 CHIL @I" + std::to_string(1 + rng() % (individuals + 3)) + "@" + eol;
    f += "1 MARR" + eol + "2 PLAC " + pick(places) + eol;
    if (rng() % 3 == 0) f += "1 NOTE u" + std::to_string(k) + eol + "2 CONC " + pick(given) + eol;
  }
  for (int s = 0; s < 5; ++s) f += "0 @S" + std::to_string(s) + "@ SOUR" + eol + "1 TITL t" + eol;
  return f + "0 TRLR" + eol;
}

// Individuals named in the bytes of code page 1250, which only an ICU converter reads.
std::string Cp1250Family() {
  std::string f = "0 HEAD\n1 CHAR ANSI\n";
  for (int i = 1; i <= 100; ++i) {
    f += "0 @I" + std::to_string(i) + "@ INDI\n1 NAME " + (i % 2 ? "\xA3ucja" : "\xA5niela") +
         " /Nov\xE1k" + std::string(1, static_cast<char>('\xB9' + i % 3)) +
         "/\n1 BIRT\n2 PLAC \xA3\xF3" "d\xBF\n";
  }
  return f + "0 TRLR\n";
}

TEST(Threads, PartsGiveWhatOneReaderGives) {
  struct Case {
    const char* name;
    std::string text;
    bool read;  // notes read and names written as proper names
    std::optional<FileCharset> charset;
  };
  const Case cases[] = {
      {"mixed, LF", Family(1, 60, 20, "\n"), true},
      {"mixed, CR LF, names as written, notes not read", Family(2, 60, 20, "\r\n"), false},
      // Every union after every individual: the later parts have no individual.
      {"unions only at the end", Family(5, 5, 80, "\n"), true},
      {"NUL and byte 26", Family(7, 30, 5, "\n").insert(700, std::string("\0x\n", 3)) + "\x1A" + Family(8, 9, 9, "\n"), true},
      {"UTF-8 in varied case",
       "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 NAME \xC3\xA9lise /\xC3\x89TIENNE/\n0 @I2@ INDI\n1 NAME "
       "\xC3\x89LISE /\xC3\xA9tienne/\n0 @I3@ INDI\n1 NAME Stra\xC3\x9F" "e /STRASSE/\n0 @I4@ INDI\n1 NAME "
       "\xC3\x89lise /\xC3\xA9TIENNE/\n0 @I5@ INDI\n1 NAME STRASSE /stra\xC3\x9F" "e/\n0 TRLR\n",
       true},
      // Every part decodes through a converter of its own, which must be the file's.
      {"an ICU converter's set", Cp1250Family(), true, LookUpCharset("windows-1250").charset},
  };
  for (const Case& c : cases) {
    const ConversionOptions one{
        .notes = c.read, .properNames = c.read, .charset = c.charset, .threads = 1};
    const auto expected = Convert(c.text, one);
    ASSERT_TRUE(expected->r.Completed()) << c.name;
    ASSERT_EQ(expected->r.parts, 1) << c.name;
    int split = 0;
    for (int threads : {2, 3, 4, 7, 64}) {
      ConversionOptions many = one;
      many.threads = threads;
      const auto got = Convert(c.text, many);
      EXPECT_EQ(Dump(*got), Dump(*expected)) << c.name << ", " << threads << " threads";
      EXPECT_FALSE(got->p.calledFromAnotherThread) << c.name << ", " << threads << " threads";
      split = std::max(split, got->r.parts);
    }
    EXPECT_GT(split, 2) << c.name << ": the file was never cut";
  }
}

// A source whose ranges misbehave from pass `faultyPass` on (each pass asks for the range of its
// first part before the others): the parts after the first fail to read, run out of memory, throw,
// or see another text (a file changed between passes).
class FaultySource final : public ByteSource {
 public:
  enum class Fault { kReadError, kOutOfMemory, kThrows, kChanged };
  FaultySource(std::string text, Fault fault, std::string later, int faultyPass)
      : whole_(std::move(text)), later_(std::move(later)), fault_(fault), faultyPass_(faultyPass) {}
  std::ptrdiff_t Read(char* b, std::size_t n) override { return whole_.Read(b, n); }
  bool Rewind() override { return whole_.Rewind(); }
  std::int64_t Size() override { return whole_.Size(); }
  std::unique_ptr<ByteSource> Range(std::int64_t begin, std::int64_t end) override {
    if (begin == 0) ++pass_;
    if (pass_ < faultyPass_ || (begin == 0 && fault_ != Fault::kChanged)) {
      return whole_.Range(begin, end);
    }
    if (fault_ == Fault::kChanged) return later_.Range(begin, end);
    return std::make_unique<Failing>(fault_);
  }

 private:
  struct Failing final : ByteSource {
    explicit Failing(Fault f) : fault(f) {}
    std::ptrdiff_t Read(char*, std::size_t) override {
      if (fault == Fault::kOutOfMemory) throw std::bad_alloc();
      if (fault == Fault::kThrows) throw std::runtime_error("disk unplugged");
      return -1;
    }
    bool Rewind() override { return true; }
    std::int64_t Size() override { return 100; }
    Fault fault;
  };
  StringSource whole_;
  StringSource later_;
  Fault fault_;
  int faultyPass_;
  int pass_ = 0;
};

TEST(Threads, AFailingPartFailsTheConversion) {
  const std::string text = Family(9, 40, 10, "\n");
  std::string swapped = text;  // the same size, another individual count
  swapped.replace(swapped.find("0 @F3@ FAM"), 10, "0 @I3@ INDI").pop_back();
  using F = FaultySource::Fault;
  using O = ConversionOutcome;
  struct Case {
    F fault;
    std::string later;
    int faultyPass;
    O outcome;
    const char* detail;
  };
  const Case cases[] = {
      {F::kReadError, {}, 2, O::kReadError, "read error"},
      {F::kOutOfMemory, {}, 2, O::kOutOfMemory, "out of memory"},
      {F::kOutOfMemory, {}, 1, O::kOutOfMemory, "out of memory"},
      {F::kThrows, {}, 1, O::kFailed, "disk unplugged"},
      {F::kThrows, {}, 2, O::kFailed, "disk unplugged"},
      {F::kThrows, {}, 3, O::kFailed, "disk unplugged"},
      {F::kChanged, text + "0 @I99@ INDI\n", 2, O::kFileChanged,
       "the file changed while it was read"},
      {F::kChanged, swapped, 2, O::kFileChanged, "the file changed while it was read"},
  };
  for (const Case& c : cases) {
    for (int threads : {2, 3, 7}) {
      FaultySource source(text, c.fault, c.later, c.faultyPass);
      const auto run = Convert(source, {.notes = true, .threads = threads});
      const std::string name = std::to_string(static_cast<int>(c.fault)) + ", pass " +
                               std::to_string(c.faultyPass) + ", " + std::to_string(threads) +
                               " threads";
      EXPECT_EQ(run->r.outcome, c.outcome) << name;
      EXPECT_EQ(run->r.detail, c.detail) << name;
      EXPECT_FALSE(run->m.sourcePath.has_value()) << name;
      EXPECT_FALSE(run->r.recordsFilled) << name;
      EXPECT_FALSE(run->p.calledFromAnotherThread) << name;
    }
  }
}

// A request to stop ends the reading as stopped wherever it comes, whatever the threads; until
// then each pass reports the bytes it has read, rising to the whole text.
TEST(Threads, AStopEndsTheReadingWhereverItComes) {
  const std::string text = Family(4, 3000, 1000, "\n");
  for (int threads : {1, 3}) {
    const auto whole = Convert(text, {.notes = true, .threads = threads});
    ASSERT_TRUE(whole->r.Completed());
    const auto& advances = whole->p.advances;
    ASSERT_GE(advances.size(), 3u);
    for (std::size_t k = 1; k < advances.size(); ++k) {
      EXPECT_EQ(advances[k].second, advances[0].second);
      if (advances[k - 1].first == advances[k - 1].second) continue;  // a pass ended
      EXPECT_GE(advances[k].first, advances[k - 1].first) << threads << " threads, advance " << k;
    }
    EXPECT_EQ(advances.back().first, advances.back().second);
    for (long after : {0L, 1L, static_cast<long>(advances.size() / 2),
                       static_cast<long>(advances.size()) - 1}) {
      StringSource source(text);
      test::Converted run;
      run.p.stopAfter = after;
      run.r = ConvertSource(run.m, source, "/tmp/test.ged", {.notes = true, .threads = threads}, run.p);
      EXPECT_EQ(run.r.outcome, ConversionOutcome::kStopped) << threads << " threads, " << after;
      EXPECT_FALSE(run.m.sourcePath.has_value());
      EXPECT_FALSE(run.p.calledFromAnotherThread);
    }
  }
}

}  // namespace
}  // namespace brimsel

// Real GEDCOM files of other programs: reports, invariants, tables byte for byte. Hostile
// content: nothing may crash, hang or break the model's invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "engine/conversion.h"
#include "engine/invariants.h"
#include "export/export.h"
#include "platform/byte_source.h"
#include "platform/code_page.h"
#include "platform/utf8.h"
#include "support/convert.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"
#include "ui/count_fields.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

// The report as brimsel-cli convert --check prints it: messages, an empty line, count fields.
std::string Report(const test::RecordingProgress& p, const ConversionCounts& counts) {
  std::string out;
  for (const std::string& m : p.messages) out += Cp1252ToUtf8(m) + "\n";
  out += "\n";
  for (const CountField& f : kCountFields) {
    out += std::to_string(f.id) + "\t" + f.label + "\t" + std::to_string(f.count ? counts.*f.count : 0) + "\n";
  }
  return out;
}

class RealFiles : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    gedcom_ = (fs::path(BRIMSEL_SHARED_GEDCOM) / (std::string(GetParam()) + ".ged")).string();
    if (!fs::exists(gedcom_)) GTEST_SKIP() << gedcom_ << " is absent";
  }
  std::string Checked(const std::string& name) const {
    return ReadBytes(std::string(BRIMSEL_TEST_DATA) + "/real/" + name);
  }
  std::string gedcom_;
};

TEST_P(RealFiles, ReportAndTablesMatchTheCheckedOnes) {
  GedcomModel m;
  test::RecordingProgress p;
  const ConversionResult r = ConvertFile(m, gedcom_.c_str(), {.notes = true}, p);
  ASSERT_TRUE(r.Completed()) << r.detail;
  EXPECT_EQ(CheckModel(m), "");
  EXPECT_EQ(Report(p, r.counts), Checked(std::string(GetParam()) + ".check.txt"));

  // The tables by their size and 64-bit FNV-1a hash, so that the repository holds no copy of
  // other people's data: any change that alters one output byte shows here.
  test::TempDir out;
  ASSERT_TRUE(Export(m, {.outputDir = out.Path()}, p).Written());
  std::istringstream manifest(Checked("tables.txt"));
  std::string file, size, hash;
  int checked = 0;
  while (manifest >> file >> size >> hash) {
    if (file.rfind(std::string(GetParam()) + "_", 0) != 0) continue;
    const std::string bytes = ReadBytes(out / file);
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    char text[40];
    std::snprintf(text, sizeof text, "%zu %016llx", bytes.size(), static_cast<unsigned long long>(h));
    EXPECT_EQ(text, size + " " + hash) << file;
    // UTF-8 tables hold nothing but whole, valid sequences (any byte is Windows-1252).
    for (std::size_t i = 0; m.tableEncoding == TableEncoding::kUtf8 && i < bytes.size();) {
      char32_t cp = 0;
      const std::size_t n = Utf8SequenceAt(std::string_view(bytes).substr(i), cp);
      ASSERT_NE(n, 0u) << file << " at byte " << i;
      i += n;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 7);
}

TEST_P(RealFiles, EveryLineEndGivesTheSameReport) {
  std::string lf;
  const std::string original = ReadBytes(gedcom_);
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (original[i] != '\r' || i + 1 == original.size() || original[i + 1] != '\n') lf += original[i];
  }
  std::string reference;
  for (const char* end : {"\n", "\r\n", "\r", "\n\r"}) {
    std::string text;
    for (char c : lf) text += c == '\n' ? std::string(end) : std::string(1, c);
    GedcomModel m;
    test::RecordingProgress p;
    StringSource source(text);
    const ConversionResult r = ConvertSource(m, source, "x.ged", {.notes = true}, p);
    ASSERT_TRUE(r.Completed());
    if (reference.empty()) reference = Report(p, r.counts);
    EXPECT_EQ(Report(p, r.counts), reference) << "line end " << static_cast<int>(end[0]);
  }
}

INSTANTIATE_TEST_SUITE_P(Shared, RealFiles,
                         ::testing::Values("allged", "john_of_sea_20101009", "royal92",
                                           "sample-5.51", "vendor-heredis"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return n;
                         });

// Converts `text`; a completed conversion must leave the model's invariants whole.
std::unique_ptr<test::Converted> Convert(std::string text, bool notes = true) {
  auto c = test::Convert(std::move(text), {.notes = notes}, "/tmp/hostile.ged");
  EXPECT_TRUE(!c->r.Completed() || CheckModel(c->m).empty()) << CheckModel(c->m);
  return c;
}

TEST(Hostile, HundredMegabyteLines) {
  std::string big(100u << 20, 'x');
  auto c = Convert("0 @I1@ INDI\n1 NOTE " + big + "\n1 NAME " + big + " /Nom/\n0 " + big + " INDI\n" +
                 "2 DATE " + big + "\n0 TRLR\n");
  ASSERT_TRUE(c->r.Completed());
  EXPECT_EQ(c->m.counts.individuals, 2);  // the 100 MB header ending in INDI is an individual
  EXPECT_EQ(std::string(c->m.individualNotes[0].text).size(), 8191u);
  EXPECT_EQ(c->m.givenNames->Entry(c->m.individuals[0].givenName).length, static_cast<int>(big.size()));
}

TEST(Hostile, MillionContinuationLines) {
  std::string text = "0 @I1@ INDI\n1 NOTE start\n";
  text.reserve(12u << 20);
  for (int i = 0; i < 1000000; ++i) text += (i % 2) ? "2 CONT abc\n" : "2 CONC def\n";
  text += "0 TRLR\n";
  auto c = Convert(text);
  ASSERT_TRUE(c->r.Completed());
  std::string note = c->m.individualNotes[0].text;
  EXPECT_EQ(note.size(), 8191u);
  EXPECT_EQ(note.substr(0, 15), "startdef abcdef");
}

TEST(Hostile, MillionDistinctNamesInSortedOrder) {
  std::string text;
  text.reserve(40u << 20);
  char line[64];
  for (int i = 0; i < 1000000; ++i) {
    int n = std::snprintf(line, sizeof line, "0 @I%d@ INDI\n1 NAME /N%07d/\n", i + 1, i);
    text.append(line, static_cast<std::size_t>(n));
  }
  auto c = Convert(text, false);
  ASSERT_TRUE(c->r.Completed());
  EXPECT_EQ(c->m.givenNames->count, 1000000);
  EXPECT_EQ(c->p.messages.back(), "1000000 pr\xE9noms, 0 noms, 0 places.");
}

TEST(Hostile, NumbersAtAndBeyondThe32BitLimits) {
  auto c = Convert(
      "0 @I2147483647@ INDI\n1 SEX M\n1 FAMS @F2147483647@\n1 FAMC @F4294967296@\n"
      "0 @I2147483648@ INDI\n1 SEX F\n1 FAMS @F99999999999999999999@\n"
      "0 @I0@ INDI\n0 @F2147483647@ FAM\n1 HUSB @I2147483647@\n1 WIFE @I0@\n"
      "1 CHIL @I-1@\n0 TRLR\n");
  ASSERT_TRUE(c->r.Completed());
  EXPECT_EQ(c->m.individuals[1].code, -1);
  EXPECT_EQ(c->m.individuals[0].famc, -1);  // no number: not even looked up
  EXPECT_EQ(c->m.unions[0].husband, 0);
  EXPECT_EQ(c->m.unions[0].wife, 2);
  EXPECT_NE(std::find(c->p.messages.begin(), c->p.messages.end(),
                      "erreur FAMS inexistant(@F99999999999999999999@) 1"),
            c->p.messages.end());
}

TEST(Hostile, ManyRecordsWithTheSameNumber) {
  std::string text;
  for (int i = 0; i < 50000; ++i) text += "0 @I7@ INDI\n1 SEX M\n1 FAMS @F7@\n";
  for (int i = 0; i < 50000; ++i) text += "0 @F7@ FAM\n1 HUSB @I7@\n1 WIFE @I7@\n1 CHIL @I7@\n";
  auto c = Convert(text, false);
  ASSERT_TRUE(c->r.Completed());
  for (const Union& u : c->m.unions) EXPECT_TRUE(u.husband == c->m.unions[0].husband && u.wife == u.husband);
}

TEST(Hostile, DatesAndDateWordsAtTheirLimits) {
  const std::string d31 = "1 JAN 1850 " + std::string(20, 'x');  // 31 bytes
  const std::string d32 = d31 + "y";
  const std::string w15 = "12 " + std::string(15, '9') + " 1850";
  auto c = Convert("0 @I1@ INDI\n1 BIRT\n2 DATE " + d31 + "\n1 DEAT\n2 DATE " + d32 +
                   "\n0 @I2@ INDI\n1 BIRT\n2 DATE " + w15 + "\n0 TRLR\n");
  ASSERT_TRUE(c->r.Completed());
  EXPECT_EQ(std::string(c->m.individuals[0].birthDate), d31);
  EXPECT_EQ(std::string(c->m.individuals[0].deathDate), d31);
  test::TempDir dir;
  EXPECT_TRUE(Export(c->m, {.outputDir = dir.Path()}, c->p).Written());
  const std::string indi = test::ReadBytes(dir / "hostile_INDI.txt");
  EXPECT_EQ(indi.substr(indi.find('\n') + 1),
            "1\t0\t-1\t0\t0\t1 jan 1850\t255\t0\t1 jan 1850\t255\t0\t\r\n"
            "2\t0\t-1\t0\t0\t12 juin 1850\t251\t0\t\t0\t0\t\r\n");
  EXPECT_EQ(std::string(c->m.individuals[0].birthDate), d31);  // the model keeps the file's text
}

TEST(Hostile, BinaryGarbageNeverCrashes) {
  std::string text;
  unsigned x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    char c = static_cast<char>(x >> 16);
    text += (i % 97 == 0) ? '\n' : c;
    if (i % 1000 == 0) text += "\n0 @I1@ INDI\n1 NOTE x\n2 CONT y\n0 @F1@ FAM\n1 HUSB @I9@\n";
  }
  auto c = Convert(text);
  EXPECT_TRUE(c->r.Completed());
}

}  // namespace
}  // namespace brimsel

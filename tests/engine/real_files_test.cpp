// Conversions of real GEDCOM files written by other programs: reports, counts and invariants.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/conversion.h"
#include "engine/invariants.h"
#include "export/tables.h"
#include "platform/byte_source.h"
#include "platform/code_page.h"
#include "support/fake_dialog.h"
#include "ui/commands.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The report as brimsel-cli convert --check prints it: messages, an empty line, count fields.
std::string Report(const test::FakeDialog& d) {
  static const std::pair<int, const char*> kFields[] = {
      {510, "Individu total"},          {520, "Union total"},
      {511, "Individu naissance date"}, {512, "Individu naissance lieu"},
      {515, "Individu décès date"},     {516, "Individu décès lieu"},
      {508, "Individu baptême date"},   {509, "Individu baptême lieu"},
      {519, "Individu sépulture date"}, {518, "Individu sépulture lieu"},
      {521, "Union début date"},        {522, "Union début lieu"},
      {523, "Union fin date"},          {524, "Union fin lieu"},
      {537, "erreurs"},                 {513, "Individu parent"},
      {552, "Note FAM"},                {550, "Note INDI"},
      {540, "QUAY"},                    {543, "SOUR"}};
  std::string out;
  for (const std::string& m : d.messages) out += Cp1252ToUtf8(m) + "\n";
  out += "\n";
  for (const auto& [id, label] : kFields) {
    out += std::to_string(id) + "\t" + label + "\t" + d.Field(id) + "\n";
  }
  return out;
}

class RealFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(RealFiles, ReportMatchesTheCheckedReportAndTheModelIsConsistent) {
  fs::path gedcom = fs::path(BRIMSEL_SHARED_GEDCOM) / (std::string(GetParam()) + ".ged");
  if (!fs::exists(gedcom)) GTEST_SKIP() << gedcom << " is absent";
  GedcomModel m;
  test::FakeDialog d;
  d.Check(ctl::kIncludeNotes);
  d.WillChoose(gedcom.string());
  ASSERT_EQ(ReadGedcomCommand(m, d), 1);
  EXPECT_EQ(CheckModel(m), "");
  fs::path expected = fs::path(BRIMSEL_TEST_DATA) / "real" / (std::string(GetParam()) + ".check.txt");
  EXPECT_EQ(Report(d), ReadFile(expected));
}

TEST_P(RealFiles, EveryLineEndGivesTheSameModel) {
  fs::path gedcom = fs::path(BRIMSEL_SHARED_GEDCOM) / (std::string(GetParam()) + ".ged");
  if (!fs::exists(gedcom)) GTEST_SKIP() << gedcom << " is absent";
  std::string original = ReadFile(gedcom);
  std::string lf;
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (original[i] == '\r' && i + 1 < original.size() && original[i + 1] == '\n') continue;
    lf += original[i];
  }
  std::string reference;
  for (const char* end : {"\n", "\r\n", "\r", "\n\r"}) {
    std::string text;
    for (char c : lf) {
      if (c == '\n') {
        text += end;
      } else {
        text += c;
      }
    }
    GedcomModel m;
    test::FakeDialog d;
    d.Check(ctl::kIncludeNotes);
    StringSource source(text);
    ASSERT_TRUE(ConvertChosenSource(m, d, source, "x.ged").Completed());
    std::string report = Report(d);
    if (reference.empty()) reference = report;
    EXPECT_EQ(report, reference) << "line end " << static_cast<int>(end[0]);
  }
}

// Size and 64-bit FNV-1a hash of a file's bytes, as tests/data/real/tables.txt lists them.
std::string Fingerprint(const std::string& bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ull;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%zu %016llx", bytes.size(), static_cast<unsigned long long>(h));
  return text;
}

// The tables of each real file, byte for byte as they were checked (by their fingerprints, so
// that the repository holds no copy of other people's data): any change to the reader or the
// writer that alters one output byte shows here.
TEST_P(RealFiles, TablesMatchTheCheckedTables) {
  const std::string name = GetParam();
  fs::path gedcom = fs::path(BRIMSEL_SHARED_GEDCOM) / (name + ".ged");
  if (!fs::exists(gedcom)) GTEST_SKIP() << gedcom << " is absent";
  fs::path out = fs::temp_directory_path() / ("brimsel-real-" + name + "-" + std::to_string(::getpid()));
  fs::create_directories(out);
  GedcomModel m;
  test::FakeDialog d;
  d.Check(ctl::kIncludeNotes);
  d.WillChoose(gedcom.string());
  ASSERT_EQ(ReadGedcomCommand(m, d), 1);
  ExportOptions where;
  where.outputDir = out.string();
  ASSERT_EQ(ExportTablesCommand(m, d, where.outputDir), 1);
  std::istringstream manifest(ReadFile(fs::path(BRIMSEL_TEST_DATA) / "real" / "tables.txt"));
  std::string file, size, hash;
  int checked = 0;
  while (manifest >> file >> size >> hash) {
    if (file.rfind(name + "_", 0) != 0) continue;
    EXPECT_EQ(Fingerprint(ReadFile(out / file)), size + " " + hash) << (out / file);
    ++checked;
  }
  EXPECT_EQ(checked, 7);
  if (!HasFailure()) fs::remove_all(out);
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

}  // namespace
}  // namespace brimsel

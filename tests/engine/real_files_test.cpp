// Conversions of real GEDCOM files written by other programs: reports, counts, invariants and
// the tables, byte for byte.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "engine/conversion.h"
#include "engine/invariants.h"
#include "export/tables.h"
#include "platform/byte_source.h"
#include "platform/code_page.h"
#include "platform/utf8.h"
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
  ASSERT_TRUE(ExportTables(m, {.outputDir = out.Path(), .indiBase = {}, .famBase = {}}, p).Written());
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

}  // namespace
}  // namespace brimsel

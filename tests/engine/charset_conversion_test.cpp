// Files in every character set: the set used, its message, and the tables it gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "export/export.h"
#include "platform/text_decoder.h"
#include "support/convert.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<test::Converted> Convert(const std::string& bytes, ConversionOptions options = {}) {
  options.notes = true;
  return test::Convert(bytes, options, "/tmp/family.ged");
}

// The seven tables of a converted model, concatenated in table order.
std::string Tables(GedcomModel& model) {
  test::TempDir dir;
  test::RecordingProgress progress;
  EXPECT_TRUE(Export(model, {.outputDir = dir.Path()}, progress).Written());
  std::string all;
  for (const char* suffix : kTableSuffixes) all += test::ReadBytes(dir / (std::string("family") + suffix));
  return all;
}

// A family written with letters that every set of the test has: Latin-1 letters, Ø and æ.
const char kFamily[] =
    "0 @I1@ INDI\n1 NAME Jos\xC3\xA9 /QU\xC3\x89R\xC3\x89/\n1 SEX M\n1 BIRT\n"
    "2 DATE 12 F\xC3\x89V 1841\n2 PLAC Plougastel-Daoulas\n1 OCCU Meunier \xC3\xA0 fa\xC3\xA7on\n"
    "1 FAMS @F1@\n1 NOTE Caf\xC3\xA9 du bourg\n2 CONC  et M\xC3\xBChle\n"
    "0 @I2@ INDI\n1 NAME \xC3\x98ystein /Qu\xC3\xA9r\xC3\xA9/\n1 SEX F\n1 FAMS @F1@\n"
    "1 DEAT\n2 DATE ABT AO\xC3\x9B 1890\n2 PLAC \xC3\x86r\xC3\xB8sk\xC3\xB8\x62ing\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 MARR\n2 DATE 3 d\xC3\xA9\x63 1865\n0 TRLR\n";

// Code points of a UTF-8 text of one- and two-byte characters (as the test writes them).
std::u32string CodePoints(const std::string& utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    out += c < 0x80 ? c : static_cast<char32_t>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
  }
  return out;
}

std::string ToCp1252(const std::string& utf8) {
  std::string out;
  for (char32_t cp : CodePoints(utf8)) out += static_cast<char>(cp);
  return out;
}

std::string ToUtf16(const std::string& utf8, bool bigEndian, bool mark) {
  std::string out;
  std::u32string cps = CodePoints(utf8);
  if (mark) cps.insert(cps.begin(), 0xFEFF);
  for (char32_t cp : cps) {
    const char high = static_cast<char>(cp >> 8), low = static_cast<char>(cp & 0xFF);
    out += {bigEndian ? high : low, bigEndian ? low : high};
  }
  return out;
}

// ANSEL (a combining mark before its letter; Ø, ø and Æ have bytes of their own), or decomposed
// UTF-8 as macOS programs write it (é as e and a combining acute accent).
std::string Transcribed(const std::string& utf8, bool ansel) {
  const std::vector<std::pair<char32_t, const char*>> anselTable = {
      {U'é', "\xE2" "e"}, {U'É', "\xE2" "E"}, {U'à', "\xE1" "a"}, {U'ç', "\xF0" "c"}, {U'ü', "\xE8" "u"},
      {U'Û', "\xE3" "U"}, {U'Ø', "\xA2"},     {U'ø', "\xB2"},     {U'Æ', "\xA5"}};
  const std::vector<std::pair<char32_t, const char*>> macTable = {{U'é', "e\xCC\x81"}, {U'É', "E\xCC\x81"}};
  std::string out;
  for (char32_t cp : CodePoints(utf8)) {
    std::string bytes = cp < 0x80 || ansel ? std::string(1, static_cast<char>(cp))
                                            : std::string{static_cast<char>(0xC0 | (cp >> 6)),
                                                          static_cast<char>(0x80 | (cp & 0x3F))};
    for (const auto& [from, to] : ansel ? anselTable : macTable) {
      if (cp == from) bytes = to;
    }
    out += bytes;
  }
  return out;
}

std::string WithHead(const char* charValue, const std::string& body) {
  return std::string("0 HEAD\n") + (charValue ? std::string("1 CHAR ") + charValue + "\n" : "") + body;
}

const std::string kSet = "Jeu de caract\xE8res ";

TEST(CharsetConversion, EverySetOfOneFamilyGivesTheSameTables) {
  const std::string family = kFamily;
  auto reference = Convert(WithHead("UTF-8", family));
  ASSERT_TRUE(reference->r.Completed());
  ASSERT_EQ(reference->m.tableEncoding, TableEncoding::kUtf8);
  const std::string tables = Tables(reference->m);
  // The accented capitals fold with their small letters: one surname, written in proper case.
  for (const char* part : {"1\tQu\xC3\xA9r\xC3\xA9\r\n", "12 f\xC3\xA9v 1841", "Caf\xC3\xA9 du bourg et M\xC3\xBChle"}) {
    EXPECT_NE(tables.find(part), std::string::npos) << part << tables;
  }
  EXPECT_EQ(reference->m.surnames->count, 1);

  const std::pair<std::string, std::string> cases[] = {
      {WithHead(nullptr, family), "UTF-8"},
      {"\xEF\xBB\xBF" + WithHead("ANSEL", family), "UTF-8 (CHAR ANSEL)"},
      {WithHead("ANSI", family), "UTF-8 (CHAR ANSI)"},
      {WithHead("UTF-8", Transcribed(family, false)), "UTF-8"},
      {ToUtf16(WithHead("UNICODE", family), false, true), "UTF-16LE"},
      {ToUtf16(WithHead("UNICODE", family), true, true), "UTF-16BE"},
      {ToUtf16(WithHead("UTF-8", family), false, false), "UTF-16LE (CHAR UTF-8)"},
      {WithHead("ANSEL", Transcribed(family, true)), "ANSEL"},
  };
  for (const auto& [bytes, set] : cases) {
    auto run = Convert(bytes);
    ASSERT_TRUE(run->r.Completed()) << set;
    ASSERT_FALSE(run->p.messages.empty()) << set;
    EXPECT_EQ(run->p.messages.front(), kSet + set);
    EXPECT_EQ(Tables(run->m), tables) << set;
  }
  // The Windows-1252 file gives the same tables in Windows-1252.
  auto cp1252 = Convert(WithHead("ANSI", ToCp1252(family)));
  ASSERT_TRUE(cp1252->r.Completed());
  EXPECT_EQ(cp1252->m.tableEncoding, TableEncoding::kWindows1252);
  EXPECT_EQ(cp1252->p.messages.front().rfind("Jeu", 0), std::string::npos);
  EXPECT_EQ(Tables(cp1252->m), ToCp1252(tables));
}

// The set line comes before "no individual found"; nothing is kept of such a file.
TEST(CharsetConversion, SetLineBeforeNoIndividual) {
  auto none = Convert(WithHead("UTF-8", "0 @F1@ FAM\n1 NOTE \xC3\xA9t\xC3\xA9\n"));
  EXPECT_EQ(none->r.outcome, ConversionOutcome::kNoIndividual);
  EXPECT_EQ(none->p.messages, (Lines{kSet + "UTF-8", "Aucun individu trouv\xE9!"}));
  EXPECT_FALSE(none->m.sourcePath.has_value());
  EXPECT_EQ(none->p.phases.back(), "");
}

// A note of 84 blocks of 100 "Łé" (é as e and a combining acute accent) and a stray byte,
// 42 KB in CONC lines of 499 bytes that cut characters: each block has 100 characters with no
// Windows-1252 form and one byte read as é. `decoded`: the whole note in Windows-1252.
std::string LongNote(std::string* decoded = nullptr) {
  std::string block, text;
  for (int k = 0; k < 100; ++k) block += "\xC5\x81" "e\xCC\x81";
  for (int k = 0; k < 84; ++k) text += block + "\xE9";
  if (decoded) {
    block.clear();
    for (int k = 0; k < 100; ++k) block += "?\xE9";
    for (int k = 0; k < 84; ++k) *decoded += block + "\xE9";
  }
  std::string note = "1 NOTE ";
  for (std::size_t at = 0; at < text.size(); at += 499) {
    note += (at ? "2 CONC " : "") + text.substr(at, 499) + "\n";
  }
  return note;
}

TEST(CharsetConversion, ReplacedCharactersAndBytesReadAsWindows1252AreCounted) {
  // Ł, ő and ź have no Windows-1252 form; é and ó have. Counted over the texts that the tables
  // keep, each whole: the name, the occupations (a later one replaces the first), the dates,
  // the places, and the notes of individuals and unions, past their cut.
  constexpr auto k1252 = TableEncoding::kWindows1252;
  std::string note;
  for (int k = 0; k < 17; ++k) note += "2 CONC " + std::string(500, 'n') + "\n";
  const std::string family = "0 @I1@ INDI\n1 NAME \xC5\x81ukasz /Erd\xC5\x91s/\n1 OCCU \xC5\x81\n"
                             "1 OCCU caf\xC3\xA9\n1 BIRT\n2 DATE ABT 1850 \xC5\x81\n"
                             "2 PLAC \xC5\x81\xC3\xB3\x64\xC5\xBA\n1 NOTE n\n" + note + "2 CONC \xC5\x91\n";
  // A record that no table keeps, with its note, after an individual.
  const std::string task =
      "0 @I1@ INDI\n1 NAME \xC5\x81\n0 @T11@ _TASK\n"
      "1 NOTE Fusion recommand\xC3\xA9\x65 \xC5\x81\xE9\n2 CONT avec tr\xC3\xA8s forte confiance \xC5\x81\n"
      "2 CONC \xC5\x81\n";
  // Notes far longer than what the tables keep, with the task record between them.
  const std::string longNotes = "0 @I1@ INDI\n" + LongNote() + "0 @T1@ _TASK\n1 NOTE \xC5\x81\xE9\n"
                                "0 @F1@ FAM\n1 HUSB @I1@\n" + LongNote();
  const struct {
    const char* name;
    std::string body;
    bool notes;
    std::uint64_t replaced;
    std::uint64_t readAsCp1252;
  } cases[] = {
      {"name, occupations, date, place, note", family, true, 7, 0},
      {"the same without notes", family, false, 6, 0},
      {"note of a task record", task, true, 1, 0},
      {"long notes", longNotes, true, 2 * 8400, 2 * 84},
      {"long notes not read", longNotes, false, 0, 0},
  };
  for (const auto& c : cases) {
    // Parts read side by side count what one reader counts.
    for (int threads : {1, 4}) {
      auto run = test::Convert(WithHead("UTF-8", c.body + "0 TRLR\n"),
                               {.notes = c.notes, .tableEncoding = k1252, .threads = threads});
      ASSERT_TRUE(run->r.Completed()) << c.name;
      EXPECT_EQ(run->r.parts > 1, threads > 1) << c.name;
      EXPECT_EQ(run->r.decoded.replaced, c.replaced) << c.name << ", threads " << threads;
      EXPECT_EQ(run->r.decoded.readAsCp1252, c.readAsCp1252) << c.name << ", threads " << threads;
    }
  }
  auto run = Convert(WithHead("UTF-8", family + "0 TRLR\n"), {.tableEncoding = k1252});
  EXPECT_EQ(std::string(run->m.givenNames->Entry(0).text), "?ukasz");
  EXPECT_EQ(std::string(run->m.individuals[0].occupation), "caf\xE9");
  EXPECT_EQ(std::string(run->m.places->Entry(0).text), "?\xF3\x64?");
  EXPECT_EQ(run->p.messages.back(), "7 caract\xE8res remplac\xE9s par ?");
  // A long note keeps the start of its whole decoded text.
  std::string decoded;
  LongNote(&decoded);
  auto longRun = Convert(WithHead("UTF-8", longNotes + "0 TRLR\n"), {.tableEncoding = k1252});
  ASSERT_TRUE(longRun->r.Completed());
  EXPECT_EQ(std::string(longRun->m.unionNotes[0].text), decoded.substr(0, 8191));
  EXPECT_EQ(longRun->p.messages.back(), "168 octets lus en Windows-1252");
  // A file that says UTF-8 but holds a stray Windows-1252 byte: the byte is read as é, counted.
  auto stray = Convert(WithHead("UTF-8", "0 @I1@ INDI\n1 NAME Jos\xE9 /D\xC3\xA9vot/\n0 TRLR\n"));
  EXPECT_EQ(stray->m.charset, Charset::kUtf8);
  EXPECT_EQ(std::string(stray->m.givenNames->Entry(0).text), "Jos\xC3\xA9");
  EXPECT_EQ(stray->p.messages.back(), "1 octets lus en Windows-1252");
}

TEST(CharsetConversion, CutsNeverSplitACharacter) {
  // A date whose last character would take bytes 31 and 32: it is cut before that character.
  const std::string date = "1 JAN 1850 " + std::string(19, 'x') + "\xC3\xA9";
  // A note whose 8191st byte falls inside a character, and whose é is cut by a CONC line.
  const std::string note(8190, 'n');
  auto run = Convert(WithHead("UTF-8", "0 @I1@ INDI\n1 BIRT\n2 DATE " + date + "\n1 NOTE " + note +
                                           "\xC3\n2 CONC \xA9\n0 @I2@ INDI\n1 NOTE caf\xC3\n2 CONC \xA9 noir\n0 TRLR\n"));
  ASSERT_TRUE(run->r.Completed());
  EXPECT_EQ(run->m.charset, Charset::kUtf8);
  EXPECT_EQ(std::string(run->m.individuals[0].birthDate), date.substr(0, 30));
  EXPECT_EQ(std::string(run->m.individualNotes[0].text), note);
  EXPECT_EQ(std::string(run->m.individualNotes[1].text), "caf\xC3\xA9 noir");
  EXPECT_EQ(run->r.decoded.readAsCp1252, 0u);
}

// The real files into Windows-1252 tables, notes read: the counts are those of the texts the
// tables keep, picked here from the file's lines and each decoded whole.
TEST(CharsetConversion, RealFilesCountTheTextsTheTablesKeep) {
  namespace fs = std::filesystem;
  const fs::path folder = BRIMSEL_SHARED_GEDCOM;
  if (!fs::is_directory(folder)) GTEST_SKIP() << folder << " is absent";
  for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
    if (file.path().extension() != ".ged") continue;
    GedcomModel m;
    test::RecordingProgress p;
    const ConversionOptions options{.notes = true, .tableEncoding = TableEncoding::kWindows1252};
    const ConversionResult r = ConvertFile(m, file.path().c_str(), options, p);
    ASSERT_TRUE(r.Completed()) << file.path();
    ASSERT_FALSE(IsUtf16(m.charset.kind)) << file.path();  // the lines below are the file's bytes
    TextDecoder decoder(m.charset, TableEncoding::kWindows1252);
    DecodeCounts recount;
    std::string out, record, note;
    bool inEvent = false, inNote = false;
    const auto count = [&](const std::string& text) { decoder.Decode(text, out, recount); };
    std::string bytes = test::ReadBytes(file.path());
    for (char& c : bytes) c = c == '\r' ? '\n' : c;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string level, tag;
      words >> level >> tag;
      const std::size_t at = level.size() + tag.size() + 2;  // "LEVEL TAG VALUE"
      const std::string value = line.size() > at ? line.substr(at) : "";
      if (level == "0" || level == "1") {
        if (inNote) count(note);
        inNote = false;
      }
      if (level == "0") {
        record = tag.starts_with('@') ? value : tag;
        inEvent = false;
      } else if (level == "1") {
        const bool person = record == "INDI";
        const bool event = person ? tag == "BIRT" || tag == "BAPM" || tag == "DEAT" || tag == "BURI"
                                  : record == "FAM" && tag == "MARR";
        inEvent = event && value.empty();
        if (person && (tag == "NAME" || tag == "OCCU")) count(value);
        inNote = (person || record == "FAM") && tag == "NOTE";
        note = value;
      } else if (level == "2") {
        if (inNote && (tag == "CONT" || tag == "CONC")) note += (tag == "CONT" ? " " : "") + value;
        if (inEvent && (tag == "DATE" || tag == "PLAC")) count(value);
      }
    }
    if (inNote) count(note);
    EXPECT_EQ(r.decoded.replaced, recount.replaced) << file.path();
    EXPECT_EQ(r.decoded.readAsCp1252, recount.readAsCp1252) << file.path();
  }
}

}  // namespace
}  // namespace brimsel

// The conversion's passes, code resolution, reports and counts; word split, numbers, kinds.
#include "engine/conversion.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/gedcom_line.h"
#include "support/convert.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

using Lines = std::vector<std::string>;
using test::Convert;
using test::Converted;

// One field of every record (or messages, phases, notes as "owner:text", added sexes), joined
// by '|' with "-" for no value; "#name" for a count.
std::string Probe(const Converted& c, const std::string& field) {
  const GedcomModel& m = c.m;
  const auto text = [](const char* s) { return s ? std::string(s) : std::string("-"); };
  const auto entry = [](const std::unique_ptr<Dictionary>& d, int id) {
    return id < 0 ? std::string("-") : std::string(d->Entry(id).text);
  };
  static const std::map<std::string, int ConversionCounts::*> kCounts = {
      {"#individuals", &ConversionCounts::individuals}, {"#birthDates", &ConversionCounts::birthDates},
      {"#birthPlaces", &ConversionCounts::birthPlaces}, {"#marriageDates", &ConversionCounts::marriageDates},
      {"#marriagePlaces", &ConversionCounts::marriagePlaces}, {"#errors", &ConversionCounts::errors},
      {"#parents", &ConversionCounts::parents}, {"#added", &ConversionCounts::added},
      {"#quay", &ConversionCounts::quay}, {"#sources", &ConversionCounts::sources},
      {"#individualNotes", &ConversionCounts::individualNotes}};
  if (kCounts.count(field)) return std::to_string(c.r.counts.*kCounts.at(field));
  Lines v = field == "messages" ? c.p.messages : field == "phases" ? c.p.phases : Lines{};
  for (const Individual& i : m.individuals) {
    const std::map<std::string, std::string> values = {
        {"given", entry(m.givenNames, i.givenName)}, {"surname", entry(m.surnames, i.surname)},
        {"sex", std::to_string(i.sex)}, {"code", std::to_string(i.code)}, {"famc", std::to_string(i.famc)},
        {"birth", text(i.birthDate)}, {"birthplace", entry(m.places, i.birthPlace)},
        {"occu", text(i.occupation)}};
    if (values.count(field)) v.push_back(values.at(field));
  }
  for (const Union& u : m.unions) {
    const std::map<std::string, std::string> values = {
        {"husband", std::to_string(u.husband)}, {"wife", std::to_string(u.wife)},
        {"marr", text(u.marriageDate)}, {"marrplace", entry(m.places, u.marriagePlace)}};
    if (values.count(field)) v.push_back(values.at(field));
  }
  if (const auto* notes = field == "inotes" ? &m.individualNotes : field == "unotes" ? &m.unionNotes : nullptr) {
    for (const Note& n : *notes) v.push_back(std::to_string(n.owner) + ":" + text(n.text));
  }
  for (int sex : field == "added" ? m.addedSexes : std::vector<int>{}) v.push_back(std::to_string(sex));
  std::string out;
  for (const std::string& s : v) out += (out.empty() ? "" : "|") + s;
  return out;
}

const char kFamily[] =
    "0 HEAD\n1 SOUR X\n"
    "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n"
    "1 BIRT\n2 DATE 1 JAN 1900\n2 PLAC Paris\n"
    "0 @I2@ INDI\n1 NAME Marie /Martin/\n1 SEX F\n1 FAMS @F1@\n"
    "0 @I3@ INDI\n1 NAME Paul /Dupont/\n1 SEX M\n1 FAMC @F1@\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 MARR\n2 DATE 1899\n2 PLAC Paris\n"
    "0 TRLR\n";

const std::string kBrokenLinks =
    "0 @I1@ INDI\n1 SEX F\n1 FAMS @F1@\n"  // 0: wife of F1 named as husband
    "0 @I2@ INDI\n1 FAMS @F1@\n"           // 1: no SEX, wife of F1
    "0 @I3@ INDI\n1 SEX M\n1 FAMS @F2@\n"  // 2: F2 has no husband
    "0 @I4@ INDI\n1 SEX M\n1 FAMS @F8@\n"  // 3: no such union
    "0 @I5@ INDI\n1 FAMC @F9@\n"           // 4: no such union
    "0 @I8@ INDI\n1 FAMC @F5@\n"           // 5: code 8
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I8@\n1 CHIL @I6@\n0 @F2@ FAM\n1 WIFE @I77@\n"
    "0 @F3@ FAM\n0 @F5@ FAM\n1 HUSB @I3@\n1 WIFE @I1@\n0 TRLR\n";

const std::string kLong(100000, 'o');

TEST(Conversion, ModelAndReports) {
  const std::string names = "0 @I1@ INDI\n1 NAME jean pierre /DUPONT/\n0 @I2@ INDI\n1 NAME \x90lise /B\x82rard/\n"
                            "1 OCCU M\x82" "decin\n1 BIRT\n2 DATE 3 F\x90V 1850\n2 PLAC \x90vreux\n0 TRLR\n";
  const std::string notes = "0 @I1@ INDI\n1 NOTE first\n2 CONT second\n2 CONT third\n2 CONT\n1 SEX M\n"
                            "1 NOTE glued\n2 CONC  on\n2 CONC to\n0 @F1@ FAM\n1 NOTE family\n0 @R1@ REPO\n"
                            "1 NOTE dropped\n2 CONT too\n0 @I2@ INDI\n1 NOTE last\n2 CONT words";
  struct Case {
    const char* what;
    std::string gedcom;
    ConversionOptions options;
    std::vector<std::pair<const char*, std::string>> fields;
  } cases[] = {
      {"a consistent family", kFamily, {},
       {{"messages", "maxunion 1, maxenfant 1|3 pr\xE9noms, 2 noms, 1 places."},
        {"phases", "Passe 1|Passe 2|Codes INDI|Codes FAM|Passe 3|"}, {"famc", "-1|-1|0"},
        {"husband", "0"}, {"wife", "1"}, {"birth", "1 JAN 1900|-|-"}, {"marrplace", "Paris"},
        {"#individuals", "3"}, {"#birthDates", "1"}, {"#birthPlaces", "1"}, {"#marriagePlaces", "1"},
        {"#parents", "1"}, {"#errors", "0"}}},
      {"proper names", names, {},
       {{"given", "Jean-Pierre|\x90lise"}, {"surname", "Dupont|B\x82rard"}, {"birthplace", "-|\x90vreux"},
        {"occu", "-|M\x82" "decin"}, {"birth", "-|3 F\x90V 1850"}}},
      // Code page 850 applies to every text; names as written.
      {"code page 850", names, ConversionOptions{.properNames = false, .charset = Charset::kCp850},
       {{"given", "jean pierre|\xC9lise"}, {"surname", "DUPONT|B\xE9rard"}, {"birthplace", "-|\xC9vreux"},
        {"occu", "-|M\xE9" "decin"}, {"birth", "-|3 F\xC9V 1850"}}},
      {"name pieces; places never capitalised",
       "0 @I1@ INDI\n1 NAME Jean /Dupont/ Jr\n0 @I2@ INDI\n1 NAME /Durand/\n0 @I3@ INDI\n1 NAME //\n"
       "0 @I4@ INDI\n1 NAME  /  /\n0 @I5@ INDI\n1 NAME jean /DUPONT/\n1 BIRT\n2 PLAC saint-malo, ille\n0 TRLR\n",
       {},
       {{"given", "Jean|Durand|-|-|Jean"}, {"surname", "Dupont|-|-|-|Dupont"},
        {"birthplace", "-|-|-|-|saint-malo, ille"},
        {"messages", "nom inconnus 2|nom inconnus 3|maxunion 0, maxenfant 0|2 pr\xE9noms, 1 noms, 1 places."}}},
      // An event line with a value is no event: its date is not read.
      {"sex, numbers and event lines",
       "0 @I1@ INDI\n1 SEX M\n1 FAMC @P7@\n1 BIRT Y\n2 DATE 1850\n0 @I2@ INDI\n1 SEX Male\n0 @I3@ INDI\n"
       "1 SEX F\n0 @I4@ INDI\n1 SEX U\n0 @I5@ INDI\n0  @I12@ INDI\n0 @3I@ INDI\n0 TRLR\n",
       {},
       {{"sex", "1|1|0|0|-1|-1|-1"}, {"code", "1|2|3|4|5|12|3"}, {"birth", "-|-|-|-|-|-|-"},
        {"#birthDates", "0"},
        {"messages", "maxunion 0, maxenfant 0|erreur code parent @F7@ 0 @I1@|0 pr\xE9noms, 0 noms, 0 places."}}},
      {"later values replace earlier ones, counters count lines",
       "0 @I1@ INDI\n1 OCCU Tailleur\n1 OCCU Meunier\n1 BIRT\n2 DATE 1850\n2 DATE 1851\n2 PLAC Lyon\n"
       "0 @I2@ INDI\n1 BIRT\n2 PLAC Lyon\n0 TRLR\n",
       {},
       {{"occu", "Meunier|-"}, {"birth", "1851|-"}, {"birthplace", "Lyon|Lyon"}, {"#birthDates", "2"},
        {"#birthPlaces", "2"}, {"messages", "maxunion 0, maxenfant 0|0 pr\xE9noms, 0 noms, 1 places."}}},
      // The last note of a file without a final level-0 line is kept.
      {"notes", notes, ConversionOptions{.notes = true},
       {{"inotes", "0:first second third |0:glued onto|1:last words"}, {"unotes", "0:family"}}},
      {"notes not asked for", notes, {}, {{"inotes", ""}, {"unotes", ""}}},
      {"lines before the first record and in other records",
       "0 HEAD\n1 NAME Header /Name/\n2 QUAY 3\n"
       "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 MARR\n2 DATE 1900\n1 NOTE union\n"
       "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n1 HUSB @I9@\n1 MARR\n2 DATE 1\n"
       "0 @I2@ INDI\n1 SEX F\n1 FAMS @F1@\n0 @I3@ INDI\n1 FAMC @F1@\n"
       "0 @R1@ REPO\n1 NAME Archives /Nationales/\n1 SEX F\n2 SOUR x\n2 QUAY 1\n0 TRLR\n",
       ConversionOptions{.notes = true},
       {{"messages", "maxunion 1, maxenfant 1|1 pr\xE9noms, 1 noms, 0 places."}, {"husband", "0"},
        {"wife", "1"}, {"marr", "1900"}, {"#marriageDates", "1"}, {"unotes", "0:union"},
        {"sex", "1|0|-1"}, {"#quay", "1"}, {"#sources", "1"}}},
      {"records out of order",
       "0 @I5@ INDI\n1 SEX M\n1 FAMS @F2@\n0 @I1@ INDI\n1 SEX F\n1 FAMS @F2@\n0 @I3@ INDI\n1 FAMC @F2@\n"
       "0 @F9@ FAM\n0 @F2@ FAM\n1 HUSB @I5@\n1 WIFE @I1@\n1 CHIL @I3@\n0 @F1@ FAM\n0 TRLR\n",
       {},
       {{"husband", "3|0|5"}, {"wife", "4|1|6"}, {"famc", "-1|-1|1"}, {"#errors", "0"}}},
      {"NUL ends its line, byte 26 the file",
       std::string("0 @I1@ INDI\n1 NAME Jean\0/Dupont/\n1 SEX M\n\x1A" "0 @I2@ INDI\n", 43), {},
       {{"given", "Jean"}, {"surname", "-"}, {"sex", "1"}, {"#individuals", "1"}}},
      // A word keeps its first 63 bytes: "@F" and 61 zeros, no digit other than 0.
      {"long values cut",
       "0 @I1@ INDI\n1 BIRT\n2 DATE " + std::string(40, '9') + "\n1 NOTE " + std::string(9000, 'n') +
           "\n2 CONT more\n1 OCCU " + kLong + "\n1 FAMC @F" + std::string(70, '0') + "12@\n0 @F12@ FAM\n0 TRLR\n",
       ConversionOptions{.notes = true},
       {{"birth", std::string(31, '9')}, {"inotes", "0:" + std::string(8191, 'n')}, {"occu", kLong},
        {"famc", "-1"},
        {"messages", "maxunion 0, maxenfant 0|erreur code parent @F0@ 0 @I1@|ajout \xC9POUX(-1) 0|"
                     "ajout \xC9POUSE(-1) 0|2 INDI ajout\xE9s|0 pr\xE9noms, 0 noms, 0 places."}}},
      {"every kind of code report", kBrokenLinks, {},
       {{"messages",
         "maxunion 1, maxenfant 2|erreur code parent @F9@ 4 @I5@|erreur sexe \xC9POUX(0) 0|"
         "erreur sexe \xC9POUSE(1) -1|ajout \xC9POUX(-1) 1|ajout \xC9POUSE(77) 1|ajout \xC9POUX(-1) 2|"
         "ajout \xC9POUSE(-1) 2|erreur FAMS retro @F1@ (0) 1|erreur FAMS retro @F2@ (2) -1|"
         "erreur FAMS inexistant(@F8@) 3|erreur CHIL @I8@ (0) 3|erreur CHIL(@I6@) 0|4 INDI ajout\xE9s|"
         "0 pr\xE9noms, 0 noms, 0 places."},
        {"#errors", "8"}, {"#parents", "2"}, {"#added", "4"}, {"famc", "-1|-1|-1|-1|-1|3"},
        {"added", "1|0|1|0"}, {"husband", "0|6|8|2"}, {"wife", "1|7|9|0"}}},
      // "0 INDI" is a header in every pass, although pass 3 checks no line shorter than 8.
      {"short headers keep pass 3 in step",
       "0 INDI\n0 @I2@ INDI\n1 SEX M\n1 FAMS @F1@\n0 FAM\n0 @F1@ FAM\n1 HUSB @I2@\n1 WIFE @I2@\n0 TRLR\n", {},
       {{"messages", "maxunion 1, maxenfant 0|ajout \xC9POUX(-1) 0|ajout \xC9POUSE(-1) 0|"
                     "erreur sexe \xC9POUSE(1) 1|2 INDI ajout\xE9s|0 pr\xE9noms, 0 noms, 0 places."}}},
      // The individual without a number is not the husband of a union without HUSB.
      {"missing husband added despite an unreadable header number",
       "0 INDI\n1 SEX M\n0 @I2@ INDI\n1 SEX F\n0 @F1@ FAM\n1 WIFE @I2@\n0 TRLR\n", {},
       {{"messages", "maxunion 0, maxenfant 0|ajout \xC9POUX(-1) 0|1 INDI ajout\xE9s|0 pr\xE9noms, 0 noms, 0 places."},
        {"husband", "2"}}},
  };
  for (const Case& c : cases) {
    const auto run = Convert(c.gedcom, c.options);
    ASSERT_TRUE(run->r.Completed()) << c.what;
    for (const auto& [field, expected] : c.fields) {
      EXPECT_EQ(Probe(*run, field), expected) << c.what << ": " << field;
    }
  }
  const auto run = Convert(kFamily);
  EXPECT_TRUE(run->r.recordsFilled);
  EXPECT_EQ(run->m.sourcePath, "/tmp/test.ged");
  EXPECT_EQ(run->m.sourceSize, static_cast<std::int64_t>(sizeof kFamily - 1));
}

// Many failed checks of pass 3, of both kinds and interleaved, report in the order of their
// lines, each with its own value word (cut at 63 bytes).
TEST(Conversion, PassThreeReportsInLineOrder) {
  std::string gedcom;
  Lines expected = {"maxunion 2, maxenfant 3"};
  const std::string longWord = "@F" + std::string(70, '7') + "@";
  for (int k = 0; k < 30; ++k) {
    const std::string n = std::to_string(k), i = std::to_string(k + 1);
    gedcom += "0 @I" + i + "@ INDI\n1 SEX M\n1 FAMS " + (k == 11 ? longWord : "@F9" + n + "@") +
              "\n1 FAMS @F8" + n + "@\n0 @F" + i + "@ FAM\n1 HUSB @I" + i + "@\n";
    for (int c = 0; c < 3; ++c) gedcom += "1 CHIL @I5" + n + std::to_string(c) + "@\n";
    expected.push_back("ajout \xC9POUSE(-1) " + n);
  }
  for (int k = 0; k < 30; ++k) {
    const std::string n = std::to_string(k);
    expected.push_back("erreur FAMS inexistant(" + (k == 11 ? longWord.substr(0, 63) : "@F9" + n + "@") + ") " + n);
    expected.push_back("erreur FAMS inexistant(@F8" + n + "@) " + n);
    for (int c = 0; c < 3; ++c) expected.push_back("erreur CHIL(@I5" + n + std::to_string(c) + "@) " + n);
  }
  expected.insert(expected.end(), {"30 INDI ajout\xE9s", "0 pr\xE9noms, 0 noms, 0 places."});
  auto run = Convert(gedcom + "0 TRLR\n");
  EXPECT_EQ(run->p.messages, expected);
  EXPECT_EQ(run->r.counts.errors, 150);
}

// Serves one text on the first read and another after each rewind.
class ChangingSource : public ByteSource {
 public:
  ChangingSource(std::string first, std::string later) : first_(first), later_(later) {}
  std::ptrdiff_t Read(char* b, std::size_t n) override { return Current().Read(b, n); }
  bool Rewind() override { return ++rewinds_, Current().Rewind(); }
  std::int64_t Size() override { return Current().Size(); }

 private:
  StringSource& Current() { return rewinds_ == 0 ? first_ : later_; }
  StringSource first_, later_;
  int rewinds_ = 0;
};

TEST(Conversion, FileThatChangesBetweenPassesIsNotConverted) {
  for (const char* later : {"0 @I1@ INDI\n", "0 @I1@ INDI\n0 @I2@ INDI\n0 @I3@ INDI\n", ""}) {
    ChangingSource source("0 @I1@ INDI\n0 @I2@ INDI\n", later);
    const auto run = Convert(source);
    EXPECT_EQ(run->r.outcome, ConversionOutcome::kFileChanged);
    EXPECT_TRUE(run->r.ReadFailed());
    EXPECT_FALSE(run->m.sourcePath.has_value());
  }
}

// A real file, truncated or deleted by another program once the first pass has read it.
class TamperedFile : public ByteSource {
 public:
  TamperedFile(std::string path, bool remove)
      : path_(std::move(path)), remove_(remove), file_(FileSource::Open(path_.c_str())) {}
  std::ptrdiff_t Read(char* b, std::size_t n) override { return file_->Read(b, n); }
  bool Rewind() override {
    const char* p = path_.c_str();
    if (rewinds_++ == 0) {
      EXPECT_EQ(remove_ ? std::remove(p) : ::truncate(p, 20), 0);
    }
    return file_->Rewind();
  }
  std::int64_t Size() override { return file_->Size(); }

 private:
  std::string path_;
  bool remove_;
  std::unique_ptr<FileSource> file_;
  int rewinds_ = 0;
};

TEST(Conversion, FileTruncatedDeletedOrUnreadable) {
  test::TempDir dir;
  for (bool remove : {false, true}) {
    test::WriteBytes(dir / "f.ged", kFamily);
    TamperedFile source(dir / "f.ged", remove);
    const auto run = Convert(source);
    // A deleted file stays whole while it is open: its data was read three times.
    EXPECT_EQ(run->r.outcome,
              remove ? ConversionOutcome::kCompleted : ConversionOutcome::kFileChanged);
    EXPECT_EQ(run->m.sourcePath.has_value(), remove);
  }
  GedcomModel m;
  m.Clear();
  m.sourcePath = "previous.ged";
  for (const char* path : {"/nonexistent/x.ged", "/tmp"}) {
    test::RecordingProgress p;
    const ConversionResult r = ConvertFile(m, path, {}, p);
    EXPECT_EQ(r.outcome, ConversionOutcome::kUnreadable) << path;
    EXPECT_FALSE(r.detail.empty());
    EXPECT_EQ(m.sourcePath, "previous.ged");
    EXPECT_TRUE(p.phases.empty());
  }
}

// The lines stay for the whole program: the split views into them.
LineWords Split(const std::string& s) {
  static std::deque<std::string> lines;
  const std::string& line = lines.emplace_back(s);
  LineWords m;
  SplitWords(line.data(), line.size(), m);
  return m;
}

// Tag and value cut at 63 bytes, numbers of 32 bits; a blank before the number takes the line
// off the quick path, which must split it alike.
TEST(SplitWords, ItemsTagAndValue) {
  const struct {
    std::string line;
    int items;
    std::string tag, value;
  } cases[] = {
      {"1 BIRT   ", 2, "BIRT", ""}, {"1 NAME Jean /Dupont/", 3, "NAME", "Jean"}, {"  2\tDATE\t1850", 3, "DATE", "1850"},
      {"x NAME", 0, "", ""},         {"1", 1, "", ""},                        {"", 0, "", ""},
      {"1NAME x", 3, "NAME", "x"},  // the number stops at the first non-digit
      {"2147483647 NAME x", 3, "NAME", "x"}, {"-2147483648 NAME x", 3, "NAME", "x"}, {"2147483648 NAME x", 0, "", ""},
      {"1 " + std::string(100, 'T') + " " + std::string(70, 'v') + " rest", 3, std::string(63, 'T'), std::string(63, 'v')},
      {"1\t@A@ \vB x/", 3, "@A@", "B"}, {"0 @I1@", 2, "@I1@", ""}, {"3 \v", 1, "", ""}, {"1 AB\t", 2, "AB", ""},
  };
  for (const auto& c : cases) {
    const LineWords quick = Split(c.line), general = Split(" " + c.line);
    for (const LineWords& m : {quick, general}) {
      EXPECT_EQ(m.items, c.items) << c.line;
      if (c.items >= 2) { EXPECT_EQ(m.tag, c.tag) << c.line; }
      if (c.items == 3) { EXPECT_EQ(m.Value(), c.value) << c.line; }
    }
    if (c.items == 3) {
      EXPECT_EQ(std::string_view(quick.valueStart, quick.lineEnd), std::string_view(general.valueStart, general.lineEnd))
          << c.line;
    }
  }
}

// Pass 3 passes by the lines that IsNeitherTag rules out: not one of them may split into the
// tag it looks for.
TEST(IsNeitherTag, RulesOutOnlyLinesOfAnotherTag) {
  std::mt19937 rng(5);
  const char alphabet[] = "1 \t\vFAMSCHILx@";
  const char* const tags[] = {"FAMS", "CHIL", "FAMC", "CHILD", "NAME", "FAM", ""};
  const char* const starts[] = {"1 ", "1  ", "1\t", "1 \t"};
  int ruledOut = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    for (std::size_t i = 0, length = rng() % 12; i < length; ++i) line += alphabet[rng() % (sizeof alphabet - 1)];
    if (round % 2 == 0) line = std::string(starts[rng() % 4]) + tags[rng() % 7] + line;
    if (!IsNeitherTag(line.data(), line.size(), "FAMS", "CHIL")) continue;
    ++ruledOut;
    LineWords words = Split(line);
    EXPECT_FALSE(words.TagIs("FAMS") || words.TagIs("CHIL")) << "'" << line << "'";
  }
  EXPECT_GT(ruledOut, 1000);
}

TEST(ReferenceNumber, FirstRunOfDigitsAndHeaderNumbers) {
  const std::pair<const char*, int> words[] = {
      {"@I12@", 12}, {"@3I@", 3}, {"@181U@", 181}, {"@1@", 1}, {"@I0000@", 0}, {"@PERSON1@", 1},
      {"@I12X34@", 12}, {"@PARENTS@", -1}, {"", -1}, {"@I2147483647@", 2147483647},
      {"@I2147483648@", -1}, {"@I000000000000000000042@", 42}};
  for (const auto& [word, number] : words) EXPECT_EQ(ReferenceNumber(word), number) << word;
  const std::pair<const char*, int> headers[] = {{"0 @I12@ INDI", 12}, {"0  @I12@ INDI", 12}, {"0 @3I@ INDI", 3},
                                                 {"0 INDI", -1}, {"0 I12 INDI", -1}, {"0 @FAMILY@ FAM", -1}};
  for (const auto& [line, number] : headers) EXPECT_EQ(HeaderNumber(line), number) << line;
}

// Without a line end the last character stands where the line end would be.
TEST(KindOfRecord, LooksOnlyJustBeforeTheLineEnd) {
  const struct {
    std::string text;
    bool hasEnd;
    RecordKind kind;
  } cases[] = {{"0 @I7@ INDI", true, RecordKind::kIndividual}, {"0 @N1@ NOTE ends with INDI", true, RecordKind::kIndividual},
               {"0 @F1@ FAM", true, RecordKind::kUnion},       {"0 @I7@ INDI ", true, RecordKind::kOther},
               {"0 @F1@ FAMILY", true, RecordKind::kOther},    {"0 @I7@ INDI", false, RecordKind::kOther},
               {"0 @I7@ INDI ", false, RecordKind::kIndividual}};
  for (auto c : cases) {
    const Line l{c.text.data(), c.text.size(), c.hasEnd};
    EXPECT_EQ(KindOfRecord(l), c.kind) << c.text << c.hasEnd;
  }
}

}  // namespace
}  // namespace brimsel

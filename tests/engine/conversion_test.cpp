// Tests of the conversion: the three passes, code resolution, reports and counts.
#include "engine/conversion.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

using Lines = std::vector<std::string>;

struct Converted {
  GedcomModel m;
  test::RecordingProgress p;
  ConversionResult r;
  std::string Given(int i) const { return Text(*m.givenNames, m.individuals[i].givenName); }
  std::string Surname(int i) const { return Text(*m.surnames, m.individuals[i].surname); }
  static std::string Text(const Dictionary& d, int id) { return id < 0 ? "<none>" : d.Entry(id).text; }
};

// Converts `gedcom` (LF line ends unless it brings its own) from a source in memory.
std::unique_ptr<Converted> Convert(const std::string& gedcom, ConversionOptions options = {}) {
  auto run = std::make_unique<Converted>();
  StringSource source(gedcom);
  run->r = ConvertSource(run->m, source, "/tmp/test.ged", options, run->p);
  return run;
}

const char kFamily[] =
    "0 HEAD\n1 SOUR X\n"
    "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n"
    "1 BIRT\n2 DATE 1 JAN 1900\n2 PLAC Paris\n"
    "0 @I2@ INDI\n1 NAME Marie /Martin/\n1 SEX F\n1 FAMS @F1@\n"
    "0 @I3@ INDI\n1 NAME Paul /Dupont/\n1 SEX M\n1 FAMC @F1@\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 MARR\n2 DATE 1899\n2 PLAC Paris\n"
    "0 TRLR\n";

TEST(Conversion, ConsistentFamilyReportsOnlyTheSummary) {
  auto run = Convert(kFamily);
  ASSERT_TRUE(run->r.Completed());
  EXPECT_TRUE(run->r.recordsFilled);
  EXPECT_EQ(run->p.messages, (Lines{"maxunion 1, maxenfant 1", "3 pr\xE9noms, 2 noms, 1 places."}));
  EXPECT_EQ(run->p.phases, (Lines{"Passe 1", "Passe 2", "Codes INDI", "Codes FAM", "Passe 3", ""}));
  const GedcomModel& m = run->m;
  EXPECT_EQ(m.individuals[2].famc, 0);
  EXPECT_EQ(m.unions[0].husband, 0);
  EXPECT_EQ(m.unions[0].wife, 1);
  EXPECT_STREQ(m.individuals[0].birthDate, "1 JAN 1900");
  EXPECT_EQ(Converted::Text(*m.places, m.unions[0].marriagePlace), "Paris");
  const ConversionCounts& c = run->r.counts;
  EXPECT_EQ(std::vector<int>({c.individuals, c.unions, c.birthDates, c.birthPlaces,
                              c.marriagePlaces, c.parents, c.errors}),
            std::vector<int>({3, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(m.sourcePath, "/tmp/test.ged");
  EXPECT_EQ(m.sourceSize, static_cast<std::int64_t>(sizeof kFamily - 1));
}

TEST(Conversion, LineCounterEveryHundredLinesOfEachPass) {
  std::string g = "0 @I1@ INDI\n";
  for (int i = 0; i < 249; ++i) g += "1 SEX M\n";
  // Passes 1 and 2: emptied, 100, 200; codes: 0 for the first individual; pass 3: 100, 200;
  // the end: lines read by pass 3.
  EXPECT_EQ(Convert(g)->p.lineCounts, (std::vector<int>{-1, 100, 200, -1, 100, 200, 0, 100, 200, 250}));
}

TEST(Conversion, NoIndividual) {
  auto run = Convert("0 HEAD\n0 @F1@ FAM\n1 HUSB @I1@\n0 TRLR\n");
  EXPECT_EQ(run->r.outcome, ConversionOutcome::kNoIndividual);
  EXPECT_EQ(run->p.messages, (Lines{"Aucun individu trouv\xE9!"}));
  EXPECT_FALSE(run->m.sourcePath.has_value());
  EXPECT_EQ(run->p.phases.back(), "");
}

TEST(Conversion, NamesUnderEachOption) {
  const std::string gedcom = "0 @I1@ INDI\n1 NAME jean pierre /DUPONT/\n0 @I2@ INDI\n1 NAME \x90lise /B\x82rard/\n"
                             "1 OCCU M\x82" "decin\n1 BIRT\n2 DATE 3 F\x90V 1850\n2 PLAC \x90vreux\n0 TRLR\n";
  struct Case {
    bool properNames, fromOem;
    Lines given, surnames;
    const char* place;
  } cases[] = {
      {true, false, {"Jean-Pierre", "\x90lise"}, {"Dupont", "B\x82rard"}, "\x90vreux"},
      {false, false, {"jean pierre", "\x90lise"}, {"DUPONT", "B\x82rard"}, "\x90vreux"},
      // Code page 850 applies to every text.
      {false, true, {"jean pierre", "\xC9lise"}, {"DUPONT", "B\xE9rard"}, "\xC9vreux"},
  };
  for (const Case& c : cases) {
    ConversionOptions options;
    options.properNames = c.properNames;
    if (c.fromOem) options.charset = Charset::kCp850;
    auto run = Convert(gedcom, options);
    EXPECT_EQ((Lines{run->Given(0), run->Given(1)}), c.given) << c.properNames << c.fromOem;
    EXPECT_EQ((Lines{run->Surname(0), run->Surname(1)}), c.surnames) << c.properNames << c.fromOem;
    EXPECT_EQ(Converted::Text(*run->m.places, run->m.individuals[1].birthPlace), c.place);
    EXPECT_STREQ(run->m.individuals[1].occupation, c.fromOem ? "M\xE9" "decin" : "M\x82" "decin");
    EXPECT_STREQ(run->m.individuals[1].birthDate, c.fromOem ? "3 F\xC9V 1850" : "3 F\x90V 1850");
  }
}

TEST(Conversion, NamePiecesAndPlacesNeverCapitalised) {
  auto run = Convert("0 @I1@ INDI\n1 NAME Jean /Dupont/ Jr\n0 @I2@ INDI\n1 NAME /Durand/\n"
                     "0 @I3@ INDI\n1 NAME //\n0 @I4@ INDI\n1 NAME  /  /\n"
                     "0 @I5@ INDI\n1 NAME jean /DUPONT/\n1 BIRT\n2 PLAC saint-malo, ille\n0 TRLR\n");
  EXPECT_EQ((Lines{run->Given(0), run->Surname(0), run->Given(1), run->Surname(1), run->Given(4)}),
            (Lines{"Jean", "Dupont", "Durand", "<none>", "Jean"}));
  EXPECT_EQ(run->m.individuals[4].surname, run->m.individuals[0].surname);
  EXPECT_EQ(run->m.surnames->Entry(0).refCount, 2);
  EXPECT_EQ(Converted::Text(*run->m.places, 0), "saint-malo, ille");
  EXPECT_EQ(Lines(run->p.messages.begin(), run->p.messages.begin() + 2),
            (Lines{"nom inconnus 2", "nom inconnus 3"}));
}

TEST(Conversion, SexCodesNumbersAndEventLines) {
  auto run = Convert(
      "0 @I1@ INDI\n1 SEX M\n1 FAMC @P7@\n1 BIRT Y\n2 DATE 1850\n0 @I2@ INDI\n1 SEX Male\n"
      "0 @I3@ INDI\n1 SEX F\n0 @I4@ INDI\n1 SEX U\n0 @I5@ INDI\n0  @I12@ INDI\n0 @3I@ INDI\n0 TRLR\n");
  std::vector<int> sexes, codes;
  for (const Individual& i : run->m.individuals) {
    sexes.push_back(i.sex);
    codes.push_back(i.code);
  }
  EXPECT_EQ(sexes, (std::vector<int>{1, 1, 0, 0, -1, -1, -1}));
  EXPECT_EQ(codes, (std::vector<int>{1, 2, 3, 4, 5, 12, 3}));
  EXPECT_EQ(run->p.messages[1], "erreur code parent @F7@ 0 @I1@");
  // An event line with a value is no event: its date is not read.
  EXPECT_EQ(run->m.individuals[0].birthDate, nullptr);
  EXPECT_EQ(run->r.counts.birthDates, 0);
}

TEST(Conversion, LaterValuesReplaceEarlierOnesAndCountersCountLines) {
  auto run = Convert("0 @I1@ INDI\n1 OCCU Tailleur\n1 OCCU Meunier\n1 BIRT\n2 DATE 1850\n2 DATE 1851\n"
                     "2 PLAC Lyon\n0 @I2@ INDI\n1 BIRT\n2 PLAC Lyon\n0 TRLR\n");
  const GedcomModel& m = run->m;
  EXPECT_STREQ(m.individuals[0].occupation, "Meunier");
  EXPECT_STREQ(m.individuals[0].birthDate, "1851");
  EXPECT_EQ(run->r.counts.birthDates, 2);
  EXPECT_EQ(run->r.counts.birthPlaces, 2);
  EXPECT_EQ(m.places->count, 1);
  EXPECT_EQ(m.places->Entry(0).refCount, 2);
}

TEST(Conversion, NotesOnlyWhenWanted) {
  const std::string gedcom =
      "0 @I1@ INDI\n1 NOTE first\n2 CONT second\n2 CONT third\n2 CONT\n1 SEX M\n"
      "1 NOTE glued\n2 CONC  on\n2 CONC to\n0 @F1@ FAM\n1 NOTE family\n0 @R1@ REPO\n1 NOTE dropped\n"
      "2 CONT too\n0 @I2@ INDI\n1 NOTE last\n2 CONT words";
  auto run = Convert(gedcom, {.notes = true});
  const GedcomModel& m = run->m;
  ASSERT_EQ(run->r.counts.individualNotes, 3);
  ASSERT_EQ(run->r.counts.unionNotes, 1);
  EXPECT_STREQ(m.individualNotes[0].text, "first second third ");
  EXPECT_EQ(m.individualNotes[0].owner, 0);
  EXPECT_STREQ(m.individualNotes[1].text, "glued onto");
  EXPECT_STREQ(m.unionNotes[0].text, "family");
  // The last note of a file without a final level-0 line is kept.
  EXPECT_STREQ(m.individualNotes[2].text, "last words");
  EXPECT_EQ(m.individualNotes[2].owner, 1);
  auto without = Convert(gedcom);
  EXPECT_EQ(without->r.counts.individualNotes, 0);
  EXPECT_TRUE(without->m.individualNotes.empty());
}

TEST(Conversion, LinesBeforeTheFirstRecordAndInOtherRecords) {
  auto run = Convert(
      "0 HEAD\n1 NAME Header /Name/\n2 QUAY 3\n"
      "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 MARR\n2 DATE 1900\n1 NOTE union\n"
      "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n1 HUSB @I9@\n1 MARR\n2 DATE 1\n"
      "0 @I2@ INDI\n1 SEX F\n1 FAMS @F1@\n0 @I3@ INDI\n1 FAMC @F1@\n"
      "0 @R1@ REPO\n1 NAME Archives /Nationales/\n1 SEX F\n2 SOUR x\n2 QUAY 1\n0 TRLR\n",
      {.notes = true});
  const GedcomModel& m = run->m;
  ASSERT_TRUE(run->r.Completed());
  EXPECT_EQ(run->p.messages, (Lines{"maxunion 1, maxenfant 1", "1 pr\xE9noms, 1 noms, 0 places."}));
  EXPECT_EQ(m.unions[0].husband, 0);
  EXPECT_EQ(m.unions[0].wife, 1);
  EXPECT_STREQ(m.unions[0].marriageDate, "1900");
  EXPECT_EQ(run->r.counts.marriageDates, 1);
  EXPECT_STREQ(m.unionNotes[0].text, "union");
  EXPECT_EQ(m.individuals[2].sex, -1);
  EXPECT_EQ(run->r.counts.quay, 1);
  EXPECT_EQ(run->r.counts.sources, 1);
}

// The message lines of the code resolution and of pass 3, for files whose links are broken.
TEST(Conversion, CodeResolutionReports) {
  struct Case {
    const char* what;
    std::string gedcom;
    Lines messages;
  } cases[] = {
      {"every kind of report",
       "0 @I1@ INDI\n1 SEX F\n1 FAMS @F1@\n"  // 0: wife of F1 named as husband
       "0 @I2@ INDI\n1 FAMS @F1@\n"           // 1: no SEX, wife of F1
       "0 @I3@ INDI\n1 SEX M\n1 FAMS @F2@\n"  // 2: F2 has no husband
       "0 @I4@ INDI\n1 SEX M\n1 FAMS @F8@\n"  // 3: no such union
       "0 @I5@ INDI\n1 FAMC @F9@\n"           // 4: no such union
       "0 @I8@ INDI\n1 FAMC @F5@\n"           // 5: code 8
       "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I8@\n1 CHIL @I6@\n0 @F2@ FAM\n1 WIFE @I77@\n"
       "0 @F3@ FAM\n0 @F5@ FAM\n1 HUSB @I3@\n1 WIFE @I1@\n0 TRLR\n",
       {"maxunion 1, maxenfant 2", "erreur code parent @F9@ 4 @I5@", "erreur sexe \xC9POUX(0) 0",
        "erreur sexe \xC9POUSE(1) -1", "ajout \xC9POUX(-1) 1", "ajout \xC9POUSE(77) 1",
        "ajout \xC9POUX(-1) 2", "ajout \xC9POUSE(-1) 2", "erreur FAMS retro @F1@ (0) 1",
        "erreur FAMS retro @F2@ (2) -1", "erreur FAMS inexistant(@F8@) 3", "erreur CHIL @I8@ (0) 3",
        "erreur CHIL(@I6@) 0", "4 INDI ajout\xE9s", "0 pr\xE9noms, 0 noms, 0 places."}},
      // "0 INDI" is a header in every pass, although pass 3 checks no line shorter than 8.
      {"short headers keep pass 3 in step",
       "0 INDI\n0 @I2@ INDI\n1 SEX M\n1 FAMS @F1@\n0 FAM\n0 @F1@ FAM\n1 HUSB @I2@\n1 WIFE @I2@\n0 TRLR\n",
       {"maxunion 1, maxenfant 0", "ajout \xC9POUX(-1) 0", "ajout \xC9POUSE(-1) 0",
        "erreur sexe \xC9POUSE(1) 1", "2 INDI ajout\xE9s", "0 pr\xE9noms, 0 noms, 0 places."}},
      // The individual without a number is not the husband of a union without HUSB.
      {"missing husband added despite an unreadable header number",
       "0 INDI\n1 SEX M\n0 @I2@ INDI\n1 SEX F\n0 @F1@ FAM\n1 WIFE @I2@\n0 TRLR\n",
       {"maxunion 0, maxenfant 0", "ajout \xC9POUX(-1) 0", "1 INDI ajout\xE9s",
        "0 pr\xE9noms, 0 noms, 0 places."}},
  };
  for (const Case& c : cases) {
    auto run = Convert(c.gedcom);
    ASSERT_TRUE(run->r.Completed()) << c.what;
    EXPECT_EQ(run->p.messages, c.messages) << c.what;
  }
  auto run = Convert(cases[0].gedcom);
  const GedcomModel& m = run->m;
  EXPECT_EQ(run->r.counts.errors, 8);
  EXPECT_EQ(run->r.counts.parents, 2);
  EXPECT_EQ(run->r.counts.added, 4);
  EXPECT_EQ(m.individuals[4].famc, -1);
  EXPECT_EQ(m.individuals[5].famc, 3);
  EXPECT_EQ(m.addedSexes, (std::vector<int>{1, 0, 1, 0}));
  std::vector<int> spouses;
  for (const Union& u : m.unions) spouses.insert(spouses.end(), {u.husband, u.wife});
  EXPECT_EQ(spouses, (std::vector<int>{0, 1, 6, 7, 8, 9, 2, 0}));
  EXPECT_EQ(Convert(cases[2].gedcom)->m.unions[0].husband, 2);
}

// Many failed checks of pass 3, of both kinds and interleaved, report in the order of their
// lines, each with its own value word (cut at 63 bytes).
TEST(Conversion, PassThreeReportsInLineOrder) {
  std::string gedcom;
  Lines expected = {"maxunion 2, maxenfant 3"};
  const std::string longWord = "@F" + std::string(70, '7') + "@";
  for (int k = 0; k < 30; ++k) {
    const std::string n = std::to_string(k);
    gedcom += "0 @I" + std::to_string(k + 1) + "@ INDI\n1 SEX M\n1 FAMS " +
              (k == 11 ? longWord : "@F9" + n + "@") + "\n1 FAMS @F8" + n + "@\n";
    gedcom += "0 @F" + std::to_string(k + 1) + "@ FAM\n1 HUSB @I" + std::to_string(k + 1) + "@\n";
    for (int c = 0; c < 3; ++c) gedcom += "1 CHIL @I5" + n + std::to_string(c) + "@\n";
    expected.push_back("ajout \xC9POUSE(-1) " + n);
  }
  for (int k = 0; k < 30; ++k) {
    const std::string n = std::to_string(k);
    expected.push_back("erreur FAMS inexistant(" + (k == 11 ? longWord.substr(0, 63) : "@F9" + n + "@") + ") " + n);
    expected.push_back("erreur FAMS inexistant(@F8" + n + "@) " + n);
    for (int c = 0; c < 3; ++c) expected.push_back("erreur CHIL(@I5" + n + std::to_string(c) + "@) " + n);
  }
  expected.push_back("30 INDI ajout\xE9s");
  expected.push_back("0 pr\xE9noms, 0 noms, 0 places.");
  auto run = Convert(gedcom + "0 TRLR\n");
  EXPECT_EQ(run->p.messages, expected);
  EXPECT_EQ(run->r.counts.errors, 150);
}

TEST(Conversion, RecordsOutOfOrderAreResolved) {
  auto run = Convert("0 @I5@ INDI\n1 SEX M\n1 FAMS @F2@\n0 @I1@ INDI\n1 SEX F\n1 FAMS @F2@\n"
                     "0 @I3@ INDI\n1 FAMC @F2@\n0 @F9@ FAM\n0 @F2@ FAM\n1 HUSB @I5@\n1 WIFE @I1@\n"
                     "1 CHIL @I3@\n0 @F1@ FAM\n0 TRLR\n");
  EXPECT_EQ(run->m.unions[1].husband, 0);
  EXPECT_EQ(run->m.unions[1].wife, 1);
  EXPECT_EQ(run->m.individuals[2].famc, 1);
  EXPECT_EQ(run->r.counts.errors, 0);
}

TEST(Conversion, EveryLineEndGivesTheSameResult) {
  const auto lf = Convert(kFamily);
  for (const char* end : {"\r", "\r\n", "\n\r"}) {
    std::string g;
    for (char c : std::string(kFamily)) g += c == '\n' ? std::string(end) : std::string(1, c);
    auto run = Convert(g);
    EXPECT_EQ(run->p.messages, lf->p.messages) << "line end " << int(end[0]);
    EXPECT_EQ(run->r.counts.individuals, 3);
    EXPECT_STREQ(run->m.individuals[0].birthDate, "1 JAN 1900");
  }
}

TEST(Conversion, NulEndsItsLineAndCtrlZTheFile) {
  auto run = Convert(std::string("0 @I1@ INDI\n1 NAME Jean\0/Dupont/\n1 SEX M\n\x1A" "0 @I2@ INDI\n", 43));
  EXPECT_EQ(run->r.counts.individuals, 1);
  EXPECT_EQ(run->Given(0), "Jean");
  EXPECT_EQ(run->Surname(0), "<none>");
  EXPECT_EQ(run->m.individuals[0].sex, 1);
}

TEST(Conversion, LongValuesAreCut) {
  const std::string date(40, '9'), note(9000, 'n'), occupation(100000, 'o');
  auto run = Convert("0 @I1@ INDI\n1 BIRT\n2 DATE " + date + "\n1 NOTE " + note + "\n2 CONT more\n1 OCCU " +
                         occupation + "\n1 FAMC @F" + std::string(70, '0') + "12@\n0 @F12@ FAM\n0 TRLR\n",
                     {.notes = true});
  const Individual& ind = run->m.individuals[0];
  EXPECT_EQ(std::string(ind.birthDate), date.substr(0, 31));
  EXPECT_EQ(std::string(run->m.individualNotes[0].text), note.substr(0, 8191));
  EXPECT_EQ(std::string(ind.occupation), occupation);
  // The word keeps its first 63 bytes: "@F" and 61 zeros, no digit other than 0.
  EXPECT_EQ(ind.famc, -1);
  EXPECT_EQ(run->p.messages[1], "erreur code parent @F0@ 0 @I1@");
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
    GedcomModel m;
    test::RecordingProgress p;
    ChangingSource source("0 @I1@ INDI\n0 @I2@ INDI\n", later);
    const ConversionResult r = ConvertSource(m, source, "/tmp/x.ged", {}, p);
    EXPECT_EQ(r.outcome, ConversionOutcome::kFileChanged);
    EXPECT_TRUE(r.ReadFailed());
    EXPECT_FALSE(m.sourcePath.has_value());
  }
}

// A real file, truncated or deleted by another program once the first pass has read it.
class TamperedFile : public ByteSource {
 public:
  TamperedFile(std::string path, bool remove)
      : path_(std::move(path)), remove_(remove), file_(FileSource::Open(path_.c_str())) {}
  std::ptrdiff_t Read(char* b, std::size_t n) override { return file_->Read(b, n); }
  bool Rewind() override {
    if (rewinds_++ == 0) {
      if (remove_) {
        std::remove(path_.c_str());
      } else {
        EXPECT_EQ(::truncate(path_.c_str(), 20), 0);
      }
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

TEST(Conversion, FileTruncatedOrDeletedBetweenPasses) {
  test::TempDir dir;
  for (bool remove : {false, true}) {
    test::WriteBytes(dir / "f.ged", kFamily);
    GedcomModel m;
    test::RecordingProgress p;
    TamperedFile source(dir / "f.ged", remove);
    const ConversionResult r = ConvertSource(m, source, "f.ged", {}, p);
    // A deleted file stays whole while it is open: its data was read three times.
    EXPECT_EQ(r.outcome, remove ? ConversionOutcome::kCompleted : ConversionOutcome::kFileChanged);
    EXPECT_EQ(m.sourcePath.has_value(), remove);
  }
}

TEST(Conversion, UnreadableFileChangesNothing) {
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

}  // namespace
}  // namespace brimsel

// Tests of the conversion: the three passes, code resolution, reports and counts.
#include "engine/conversion.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "support/fake_dialog.h"
#include "ui/commands.h"

namespace brimsel {
namespace {

using test::FakeDialog;
using Lines = std::vector<std::string>;

struct Converted {
  GedcomModel m;
  FakeDialog d;
  ConversionResult r;
};

// Converts `gedcom` (LF line ends unless it brings its own) with the given check boxes.
void Convert(Converted& run, const std::string& gedcom, bool notes = false, bool properNames = true,
             bool oem = false) {
  run.d.Check(ctl::kIncludeNotes, notes);
  run.d.Check(ctl::kProperNames, properNames);
  run.d.Check(ctl::kOem, oem);
  StringSource source(gedcom);
  run.r = ConvertChosenSource(run.m, run.d, source, "/tmp/test.ged");
}

std::string Dict(const Dictionary& d, int id) { return id < 0 ? "<none>" : d.Entry(id).text; }

const char kFamily[] =
    "0 HEAD\n1 SOUR X\n"
    "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n"
    "1 BIRT\n2 DATE 1 JAN 1900\n2 PLAC Paris\n"
    "0 @I2@ INDI\n1 NAME Marie /Martin/\n1 SEX F\n1 FAMS @F1@\n"
    "0 @I3@ INDI\n1 NAME Paul /Dupont/\n1 SEX M\n1 FAMC @F1@\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 MARR\n2 DATE 1899\n2 PLAC Paris\n"
    "0 TRLR\n";

TEST(Conversion, ConsistentFamilyReportsOnlyTheSummary) {
  Converted run;
  Convert(run, kFamily);
  ASSERT_TRUE(run.r.Completed());
  EXPECT_EQ(run.d.messages,
            (Lines{"maxunion 1, maxenfant 1", "3 pr\xE9noms, 2 noms, 1 places."}));
  const GedcomModel& m = run.m;
  EXPECT_EQ(m.counts.individuals, 3);
  EXPECT_EQ(m.counts.unions, 1);
  EXPECT_EQ(m.individuals[2].famc, 0);
  EXPECT_EQ(m.unions[0].husband, 0);
  EXPECT_EQ(m.unions[0].wife, 1);
  EXPECT_STREQ(m.individuals[0].birthDate, "1 JAN 1900");
  EXPECT_EQ(Dict(*m.places, m.unions[0].marriagePlace), "Paris");
  EXPECT_EQ(m.counts.birthPlaces, 1);
  EXPECT_EQ(m.counts.marriagePlaces, 1);
  EXPECT_EQ(m.counts.parents, 1);
  EXPECT_EQ(m.sourcePath, "/tmp/test.ged");
  EXPECT_EQ(run.d.Field(ctl::kFileLabel), "/tmp/test.ged");
  EXPECT_EQ(run.d.Field(ctl::kIndiTotal), "3");
  EXPECT_EQ(run.d.Field(ctl::kFamTotal), "1");
  EXPECT_EQ(run.d.Field(ctl::kBirthDate), "1");
  EXPECT_EQ(run.d.Field(ctl::kUnionEndDate), "0");
  EXPECT_EQ(run.d.Field(ctl::kUnionEndPlace), "0");
  EXPECT_EQ(run.d.Field(ctl::kErrors), "0");
  EXPECT_EQ(run.d.Field(ctl::kLineCounter), "25");  // lines of pass 3
  EXPECT_EQ(m.sourceSize, static_cast<std::int64_t>(sizeof kFamily - 1));
}

TEST(Conversion, StatusPhasesInOrder) {
  Converted run;
  Convert(run, kFamily);
  std::vector<std::string> texts;
  for (const auto& s : run.d.statuses) texts.push_back(s.busy ? s.text : "<idle>");
  EXPECT_EQ(texts, (Lines{"Passe 1", "Passe 2", "Codes INDI", "Codes FAM", "Passe 3", "<idle>"}));
  EXPECT_EQ(run.d.resets, 1);
}

TEST(Conversion, CountFieldsAreSetInTheirOrder) {
  Converted run;
  Convert(run, kFamily);
  std::vector<int> ids;
  for (const auto& [id, text] : run.d.fieldHistory) {
    if (id != ctl::kLineCounter) ids.push_back(id);
  }
  EXPECT_EQ(ids, (std::vector<int>{510, 520, 566, 511, 512, 515, 516, 508, 509, 519, 518, 521, 522,
                                   523, 524, 537, 513, 552, 550, 540, 543}));
}

TEST(Conversion, LineCounterShowsEveryHundredLines) {
  std::string g = "0 @I1@ INDI\n";
  for (int i = 0; i < 249; ++i) g += "1 SEX M\n";
  Converted run;
  Convert(run, g);
  Lines counter;
  for (const auto& [id, text] : run.d.fieldHistory) {
    if (id == ctl::kLineCounter) counter.push_back(text);
  }
  // Pass 1: emptied, 100, 200; pass 2 the same; codes: 0 for the first individual;
  // pass 3: 100, 200; the end: lines read by pass 3.
  EXPECT_EQ(counter, (Lines{"", "100", "200", "", "100", "200", "0", "100", "200", "250"}));
}

TEST(Conversion, NoIndividual) {
  Converted run;
  Convert(run, "0 HEAD\n0 @F1@ FAM\n1 HUSB @I1@\n0 TRLR\n");
  EXPECT_EQ(run.r.outcome, ConversionOutcome::kNoIndividual);
  EXPECT_EQ(run.d.messages, (Lines{"Aucun individu trouv\xE9!"}));
  EXPECT_FALSE(run.m.sourcePath.has_value());
  ASSERT_FALSE(run.d.statuses.empty());
  EXPECT_FALSE(run.d.statuses.back().busy);
}

TEST(Conversion, EventLinesWithAValueAreNotEvents) {
  Converted run;
  Convert(run, "0 @I1@ INDI\n1 BIRT Y\n2 DATE 1850\n2 PLAC Lyon\n0 TRLR\n");
  EXPECT_EQ(run.m.individuals[0].birthDate, nullptr);
  EXPECT_EQ(run.m.individuals[0].birthPlace, -1);
  EXPECT_EQ(run.m.counts.birthDates, 0);
}

TEST(Conversion, NamePieces) {
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 NAME Jean /Dupont/ Jr\n"
          "0 @I2@ INDI\n1 NAME /Durand/\n"
          "0 @I3@ INDI\n1 NAME //\n"
          "0 @I4@ INDI\n1 NAME  /  /\n"
          "0 @I5@ INDI\n1 NAME jean pierre /DUPONT/\n"
          "0 TRLR\n");
  const GedcomModel& m = run.m;
  EXPECT_EQ(Dict(*m.givenNames, m.individuals[0].givenName), "Jean");
  EXPECT_EQ(Dict(*m.surnames, m.individuals[0].surname), "Dupont");
  EXPECT_EQ(Dict(*m.givenNames, m.individuals[1].givenName), "Durand");
  EXPECT_EQ(m.individuals[1].surname, -1);
  EXPECT_EQ(Dict(*m.givenNames, m.individuals[4].givenName), "Jean-Pierre");
  EXPECT_EQ(m.individuals[4].surname, m.individuals[0].surname);
  EXPECT_EQ(run.d.messages[0], "nom inconnus 2");
  EXPECT_EQ(run.d.messages[1], "nom inconnus 3");
  EXPECT_EQ(m.surnames->Entry(0).refCount, 2);
}

TEST(Conversion, ProperNamesOffKeepsTheSpelling) {
  Converted run;
  Convert(run, "0 @I1@ INDI\n1 NAME jean pierre /DUPONT/\n0 TRLR\n", false, false);
  EXPECT_EQ(Dict(*run.m.givenNames, run.m.individuals[0].givenName), "jean pierre");
  EXPECT_EQ(Dict(*run.m.surnames, run.m.individuals[0].surname), "DUPONT");
}

TEST(Conversion, OemAppliesToEveryText) {
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 NAME \x90lise /B\x82rard/\n1 OCCU M\x82" "decin\n"
          "1 BIRT\n2 DATE 3 F\x90V 1850\n2 PLAC \x90vreux\n0 TRLR\n",
          false, false, true);
  const GedcomModel& m = run.m;
  EXPECT_EQ(Dict(*m.givenNames, m.individuals[0].givenName), "\xC9lise");
  EXPECT_EQ(Dict(*m.surnames, m.individuals[0].surname), "B\xE9rard");
  EXPECT_EQ(Dict(*m.places, m.individuals[0].birthPlace), "\xC9vreux");
  EXPECT_STREQ(m.individuals[0].occupation, "M\xE9" "decin");
  EXPECT_STREQ(m.individuals[0].birthDate, "3 F\xC9V 1850");
}

TEST(Conversion, PlacesAreNeverCapitalised) {
  Converted run;
  Convert(run, "0 @I1@ INDI\n1 BIRT\n2 PLAC saint-malo, ille et vilaine\n0 TRLR\n");
  EXPECT_EQ(Dict(*run.m.places, 0), "saint-malo, ille et vilaine");
}

TEST(Conversion, SexCodesAndCrossReferenceNumbers) {
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 SEX M\n1 FAMC @P7@\n0 @I2@ INDI\n1 SEX Male\n0 @I3@ INDI\n1 SEX F\n"
          "0 @I4@ INDI\n1 SEX U\n0 @I5@ INDI\n0  @I12@ INDI\n0 @3I@ INDI\n0 TRLR\n");
  const auto& ind = run.m.individuals;
  EXPECT_EQ(ind[0].sex, 1);
  EXPECT_EQ(ind[1].sex, 1);
  EXPECT_EQ(ind[2].sex, 0);
  EXPECT_EQ(ind[3].sex, 0);
  EXPECT_EQ(ind[4].sex, -1);
  EXPECT_EQ(ind[5].code, 12);
  EXPECT_EQ(ind[6].code, 3);
  EXPECT_EQ(run.d.messages[1], "erreur code parent @F7@ 0 @I1@");
}

TEST(Conversion, LaterValuesReplaceEarlierOnesAndCountersCountLines) {
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 OCCU Tailleur\n1 OCCU Meunier\n1 BIRT\n2 DATE 1850\n2 DATE 1851\n"
          "2 PLAC Lyon\n0 @I2@ INDI\n1 BIRT\n2 PLAC Lyon\n0 TRLR\n");
  const GedcomModel& m = run.m;
  EXPECT_STREQ(m.individuals[0].occupation, "Meunier");
  EXPECT_STREQ(m.individuals[0].birthDate, "1851");
  EXPECT_EQ(m.counts.birthDates, 2);
  EXPECT_EQ(m.counts.birthPlaces, 2);
  EXPECT_EQ(m.places->count, 1);
  EXPECT_EQ(m.places->Entry(0).refCount, 2);
}

TEST(Conversion, Notes) {
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 NOTE first\n2 CONT second\n2 CONT third\n2 CONT\n1 SEX M\n"
          "1 NOTE glued\n2 CONC  on\n2 CONC to\n"
          "0 @F1@ FAM\n1 NOTE family\n0 @R1@ REPO\n1 NOTE dropped\n2 CONT too\n"
          "0 @I2@ INDI\n1 NOTE last\n2 CONT words",
          true);
  const GedcomModel& m = run.m;
  ASSERT_EQ(m.counts.individualNotes, 3);
  ASSERT_EQ(m.counts.unionNotes, 1);
  EXPECT_STREQ(m.individualNotes[0].text, "first second third ");
  EXPECT_EQ(m.individualNotes[0].owner, 0);
  EXPECT_STREQ(m.individualNotes[1].text, "glued onto");
  EXPECT_STREQ(m.unionNotes[0].text, "family");
  EXPECT_EQ(m.unionNotes[0].owner, 0);
  // The last note of a file without a final level-0 line is kept.
  EXPECT_STREQ(m.individualNotes[2].text, "last words");
  EXPECT_EQ(m.individualNotes[2].owner, 1);
  EXPECT_EQ(run.d.Field(ctl::kNoteIndi), "3");
  EXPECT_EQ(run.d.Field(ctl::kNoteFam), "1");
}

TEST(Conversion, NotesNotWanted) {
  Converted run;
  Convert(run, "0 @I1@ INDI\n1 NOTE first\n2 CONT second\n0 TRLR\n", false);
  EXPECT_EQ(run.m.counts.individualNotes, 0);
  EXPECT_TRUE(run.m.individualNotes.empty());
}

TEST(Conversion, LinesBeforeTheFirstRecordAndInOtherRecords) {
  Converted run;
  Convert(run,
          "0 HEAD\n1 NAME Header /Name/\n2 QUAY 3\n"
          "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 MARR\n2 DATE 1900\n1 NOTE union\n"
          "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n1 HUSB @I9@\n1 MARR\n2 DATE 1\n"
          "0 @I2@ INDI\n1 SEX F\n1 FAMS @F1@\n"
          "0 @I3@ INDI\n1 FAMC @F1@\n"
          "0 @R1@ REPO\n1 NAME Archives /Nationales/\n1 SEX F\n2 SOUR x\n2 QUAY 1\n"
          "0 TRLR\n",
          true);
  const GedcomModel& m = run.m;
  ASSERT_TRUE(run.r.Completed());
  EXPECT_EQ(run.d.messages, (Lines{"maxunion 1, maxenfant 1", "1 pr\xE9noms, 1 noms, 0 places."}));
  EXPECT_EQ(m.unions[0].husband, 0);
  EXPECT_EQ(m.unions[0].wife, 1);
  EXPECT_STREQ(m.unions[0].marriageDate, "1900");
  EXPECT_EQ(m.counts.marriageDates, 1);
  EXPECT_STREQ(m.unionNotes[0].text, "union");
  EXPECT_EQ(Dict(*m.surnames, m.individuals[0].surname), "Dupont");
  EXPECT_EQ(m.individuals[2].sex, -1);
  EXPECT_EQ(m.counts.quay, 1);
  EXPECT_EQ(m.counts.sources, 1);
}

TEST(Conversion, CodeResolutionReports) {
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 SEX F\n1 FAMS @F1@\n"  // 0: wife of F1 named as husband
          "0 @I2@ INDI\n1 FAMS @F1@\n"           // 1: no SEX, wife of F1
          "0 @I3@ INDI\n1 SEX M\n1 FAMS @F2@\n"  // 2: F2 has no husband
          "0 @I4@ INDI\n1 SEX M\n1 FAMS @F8@\n"  // 3: no such union
          "0 @I5@ INDI\n1 FAMC @F9@\n"           // 4: no such union
          "0 @I8@ INDI\n1 FAMC @F5@\n"           // 5: code 8
          "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I8@\n1 CHIL @I6@\n"
          "0 @F2@ FAM\n1 WIFE @I77@\n"
          "0 @F3@ FAM\n"
          "0 @F5@ FAM\n1 HUSB @I3@\n1 WIFE @I1@\n"
          "0 TRLR\n");
  ASSERT_TRUE(run.r.Completed());
  EXPECT_EQ(run.d.messages, (Lines{
                                "maxunion 1, maxenfant 2",
                                "erreur code parent @F9@ 4 @I5@",
                                "erreur sexe \xC9POUX(0) 0",
                                "erreur sexe \xC9POUSE(1) -1",
                                "ajout \xC9POUX(-1) 1",
                                "ajout \xC9POUSE(77) 1",
                                "ajout \xC9POUX(-1) 2",
                                "ajout \xC9POUSE(-1) 2",
                                "erreur FAMS retro @F1@ (0) 1",
                                "erreur FAMS retro @F2@ (2) -1",
                                "erreur FAMS inexistant(@F8@) 3",
                                "erreur CHIL @I8@ (0) 3",
                                "erreur CHIL(@I6@) 0",
                                "4 INDI ajout\xE9s",
                                "0 pr\xE9noms, 0 noms, 0 places.",
                            }));
  const GedcomModel& m = run.m;
  EXPECT_EQ(m.counts.errors, 8);
  EXPECT_EQ(m.counts.parents, 2);
  EXPECT_EQ(m.individuals[4].famc, -1);
  EXPECT_EQ(m.individuals[5].famc, 3);
  EXPECT_EQ(m.counts.added, 4);
  EXPECT_EQ(m.addedSexes, (std::vector<int>{1, 0, 1, 0}));
  EXPECT_EQ(m.unions[1].husband, 6);
  EXPECT_EQ(m.unions[1].wife, 7);
  EXPECT_EQ(m.unions[2].husband, 8);
  EXPECT_EQ(m.unions[2].wife, 9);
  EXPECT_EQ(m.unions[3].husband, 2);
  EXPECT_EQ(m.unions[3].wife, 0);
  EXPECT_EQ(run.d.Field(ctl::kErrors), "8");
  EXPECT_EQ(run.d.Field(ctl::kParent), "2");
}

// Many failed checks of pass 3, of both kinds and interleaved, report in the order of their
// lines, each with its own value word (cut at 63 bytes).
TEST(Conversion, PassThreeReportsInLineOrder) {
  std::string gedcom;
  Lines attendus = {"maxunion 2, maxenfant 3"};
  const std::string longMot = "@F" + std::string(70, '7') + "@";
  for (int k = 0; k < 30; ++k) {
    std::string fams = k == 11 ? longMot : "@F9" + std::to_string(k) + "@";
    gedcom += "0 @I" + std::to_string(k + 1) + "@ INDI\n1 SEX M\n1 FAMS " + fams + "\n1 FAMS @F8" +
              std::to_string(k) + "@\n";
    gedcom += "0 @F" + std::to_string(k + 1) + "@ FAM\n1 HUSB @I" + std::to_string(k + 1) + "@\n";
    for (int c = 0; c < 3; ++c) gedcom += "1 CHIL @I5" + std::to_string(k) + std::to_string(c) + "@\n";
  }
  for (int k = 0; k < 30; ++k) {
    attendus.push_back("ajout \xC9POUSE(-1) " + std::to_string(k));
  }
  for (int k = 0; k < 30; ++k) {
    std::string fams = k == 11 ? longMot.substr(0, 63) : "@F9" + std::to_string(k) + "@";
    attendus.push_back("erreur FAMS inexistant(" + fams + ") " + std::to_string(k));
    attendus.push_back("erreur FAMS inexistant(@F8" + std::to_string(k) + "@) " + std::to_string(k));
    for (int c = 0; c < 3; ++c) {
      attendus.push_back("erreur CHIL(@I5" + std::to_string(k) + std::to_string(c) + "@) " +
                         std::to_string(k));
    }
  }
  attendus.push_back("30 INDI ajout\xE9s");
  attendus.push_back("0 pr\xE9noms, 0 noms, 0 places.");
  Converted run;
  Convert(run, gedcom + "0 TRLR\n");
  ASSERT_TRUE(run.r.Completed());
  EXPECT_EQ(run.d.messages, attendus);
  EXPECT_EQ(run.m.counts.errors, 150);
}

TEST(Conversion, MissingHusbandIsAddedEvenWhenAHeaderNumberIsUnreadable) {
  // The individual without a number must not be taken for the husband of a union without HUSB.
  Converted run;
  Convert(run, "0 INDI\n1 SEX M\n0 @I2@ INDI\n1 SEX F\n0 @F1@ FAM\n1 WIFE @I2@\n0 TRLR\n");
  EXPECT_EQ(run.m.individuals[0].code, -1);
  EXPECT_EQ(run.m.unions[0].husband, 2);
  EXPECT_EQ(run.m.addedSexes, (std::vector<int>{1}));
  EXPECT_EQ(run.d.messages[1], "ajout \xC9POUX(-1) 0");
}

TEST(Conversion, RecordsOutOfOrderAreResolved) {
  Converted run;
  Convert(run,
          "0 @I5@ INDI\n1 SEX M\n1 FAMS @F2@\n0 @I1@ INDI\n1 SEX F\n1 FAMS @F2@\n"
          "0 @I3@ INDI\n1 FAMC @F2@\n0 @F9@ FAM\n0 @F2@ FAM\n1 HUSB @I5@\n1 WIFE @I1@\n"
          "1 CHIL @I3@\n0 @F1@ FAM\n0 TRLR\n");
  EXPECT_EQ(run.m.unions[1].husband, 0);
  EXPECT_EQ(run.m.unions[1].wife, 1);
  EXPECT_EQ(run.m.individuals[2].famc, 1);
  EXPECT_EQ(run.m.counts.errors, 0);
}

TEST(Conversion, CrOnlyAndMixedLineEnds) {
  std::string lf = kFamily;
  for (const char* end : {"\r", "\r\n", "\n\r"}) {
    std::string g;
    for (char c : lf) {
      if (c == '\n') {
        g += end;
      } else {
        g += c;
      }
    }
    Converted a, b;
    Convert(a, lf);
    Convert(b, g);
    EXPECT_EQ(a.d.messages, b.d.messages) << "line end " << int(end[0]);
    EXPECT_EQ(b.m.counts.individuals, 3);
    EXPECT_STREQ(b.m.individuals[0].birthDate, "1 JAN 1900");
  }
}

TEST(Conversion, NulAndCtrlZ) {
  Converted run;
  Convert(run, std::string("0 @I1@ INDI\n1 NAME Jean\0/Dupont/\n1 SEX M\n\x1A" "0 @I2@ INDI\n", 43));
  EXPECT_EQ(run.m.counts.individuals, 1);
  EXPECT_EQ(Dict(*run.m.givenNames, run.m.individuals[0].givenName), "Jean");
  EXPECT_EQ(run.m.individuals[0].surname, -1);
  EXPECT_EQ(run.m.individuals[0].sex, 1);
}

TEST(Conversion, LongValuesAreCut) {
  std::string date(40, '9');
  std::string note(9000, 'n');
  std::string word = "@F" + std::string(70, '0') + "12@";
  std::string occu(100000, 'o');
  Converted run;
  Convert(run,
          "0 @I1@ INDI\n1 BIRT\n2 DATE " + date + "\n1 NOTE " + note + "\n2 CONT more\n1 OCCU " +
              occu + "\n1 FAMC " + word + "\n0 @F12@ FAM\n0 TRLR\n",
          true);
  const Individual& ind = run.m.individuals[0];
  EXPECT_EQ(std::string(ind.birthDate), date.substr(0, 31));
  EXPECT_EQ(std::string(run.m.individualNotes[0].text), note.substr(0, 8191));
  EXPECT_EQ(std::string(ind.occupation), occu);
  // The word keeps its first 63 bytes: "@F" and 61 zeros, no digit other than 0.
  EXPECT_EQ(ind.famc, -1);
  EXPECT_EQ(run.d.messages[1], "erreur code parent @F0@ 0 @I1@");
}

TEST(Conversion, NumbersBeyond32BitsAreUnknown) {
  Converted run;
  Convert(run,
          "0 @I2147483647@ INDI\n1 SEX M\n0 @I2147483648@ INDI\n"
          "0 @F1@ FAM\n1 HUSB @I2147483647@\n1 WIFE @I2147483648@\n0 TRLR\n");
  EXPECT_EQ(run.m.individuals[0].code, 2147483647);
  EXPECT_EQ(run.m.individuals[1].code, -1);
  EXPECT_EQ(run.m.unions[0].husband, 0);
  EXPECT_EQ(run.m.unions[0].wife, 2);
}

TEST(Conversion, ShortHeadersKeepPassThreeInStep) {
  // "0 INDI" is a header in every pass, although pass 3 checks no line shorter than 8.
  Converted run;
  Convert(run,
          "0 INDI\n0 @I2@ INDI\n1 SEX M\n1 FAMS @F1@\n0 FAM\n0 @F1@ FAM\n1 HUSB @I2@\n"
          "1 WIFE @I2@\n0 TRLR\n");
  EXPECT_EQ(run.d.messages,
            (Lines{"maxunion 1, maxenfant 0", "ajout \xC9POUX(-1) 0", "ajout \xC9POUSE(-1) 0",
                   "erreur sexe \xC9POUSE(1) 1", "2 INDI ajout\xE9s", "0 pr\xE9noms, 0 noms, 0 places."}));
}

// Serves one text on the first read and another after each rewind.
class ChangingSource : public ByteSource {
 public:
  ChangingSource(std::string first, std::string later) : first_(first), later_(later) {}
  std::ptrdiff_t Read(char* b, std::size_t n) override { return current().Read(b, n); }
  bool Rewind() override {
    ++rewinds_;
    return current().Rewind();
  }
  std::int64_t Size() override { return current().Size(); }

 private:
  StringSource& current() { return rewinds_ == 0 ? first_ : later_; }
  StringSource first_, later_;
  int rewinds_ = 0;
};

TEST(Conversion, FileThatChangesBetweenPassesIsNotReportedAsConverted) {
  for (const char* later : {"0 @I1@ INDI\n", "0 @I1@ INDI\n0 @I2@ INDI\n0 @I3@ INDI\n", ""}) {
    GedcomModel m;
    FakeDialog d;
    ChangingSource source("0 @I1@ INDI\n0 @I2@ INDI\n", later);
    ConversionResult r = ConvertChosenSource(m, d, source, "/tmp/x.ged");
    EXPECT_EQ(r.outcome, ConversionOutcome::kFileChanged);
    EXPECT_FALSE(m.sourcePath.has_value());
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].caption, "Erreur lecture");
  }
}

// A real file, truncated or deleted by another program once the first pass has read it.
class TamperedFile : public ByteSource {
 public:
  TamperedFile(std::string path, bool remove) : path_(std::move(path)), remove_(remove) {
    file_ = FileSource::Open(path_.c_str());
  }
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
  for (bool remove : {false, true}) {
    std::string path = "/tmp/brimsel-tampered-" + std::to_string(::getpid()) + ".ged";
    {
      std::ofstream out(path, std::ios::binary);
      out << kFamily;
    }
    GedcomModel m;
    FakeDialog d;
    TamperedFile source(path, remove);
    ConversionResult r = ConvertChosenSource(m, d, source, path.c_str());
    if (remove) {
      // The open file is still whole: its data was read three times, the conversion stands.
      EXPECT_TRUE(r.Completed());
    } else {
      EXPECT_EQ(r.outcome, ConversionOutcome::kFileChanged);
      EXPECT_FALSE(m.sourcePath.has_value());
    }
    std::remove(path.c_str());
  }
}

TEST(Conversion, ChoiceCancelledChangesNothing) {
  GedcomModel m;
  m.Clear();
  m.sourcePath = "previous.ged";
  FakeDialog d;
  d.WillChoose("", false);
  EXPECT_EQ(ReadGedcomCommand(m, d), 0);
  EXPECT_EQ(m.sourcePath, "previous.ged");
  EXPECT_EQ(d.titles, (Lines{"FIchier source"}));
  EXPECT_EQ(d.resets, 0);
}

TEST(Conversion, UnreadableFileChangesNothing) {
  GedcomModel m;
  m.Clear();
  m.sourcePath = "previous.ged";
  FakeDialog d;
  for (const char* path : {"/nonexistent/x.ged", "/tmp"}) {
    d.WillChoose(path);
    EXPECT_EQ(ReadGedcomCommand(m, d), 0);
    EXPECT_EQ(m.sourcePath, "previous.ged");
    EXPECT_EQ(d.resets, 0);
    EXPECT_TRUE(d.boxes.empty());
  }
}

}  // namespace
}  // namespace brimsel

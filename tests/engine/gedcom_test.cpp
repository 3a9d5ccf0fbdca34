// Tests of the model: reset and record lookups.
#include "engine/gedcom.h"
#include "export/date.h"

#include <gtest/gtest.h>

#include <vector>

namespace brimsel {
namespace {

void SetCodes(GedcomFichier& m, const std::vector<int>& codes) {
  m.individus.assign(codes.size(), {});
  m.unions.assign(codes.size(), {});
  for (std::size_t i = 0; i < codes.size(); ++i) m.individus[i].code = m.unions[i].code = codes[i];
  m.nbIndividus = m.nbUnions = static_cast<int>(codes.size());
}

TEST(GedcomFichier, AscendingCodesGiveTheBinarySearchResults) {
  GedcomFichier m;
  SetCodes(m, {1, 2, 5, 7});
  EXPECT_EQ(m.indiceIndividu(5), 2);
  EXPECT_EQ(m.indiceIndividu(3), -1);
  EXPECT_EQ(m.indiceIndividu(1), 0);
  EXPECT_EQ(m.indiceIndividu(7), 3);
  EXPECT_EQ(m.indiceUnion(2), 1);
  EXPECT_EQ(m.indiceUnion(8), -1);
}

TEST(GedcomFichier, RecordsOutOfOrderAreStillFound) {
  GedcomFichier m;
  SetCodes(m, {5, 1, 3});
  EXPECT_EQ(m.indiceIndividu(1), 1);
  EXPECT_EQ(m.indiceIndividu(5), 0);
  EXPECT_EQ(m.indiceIndividu(3), 2);
  EXPECT_EQ(m.indiceUnion(5), 0);
  EXPECT_EQ(m.indiceIndividu(4), -1);
}

TEST(GedcomFichier, DuplicateNumbersGiveTheFirstInFileOrderWhenTheSearchMisses) {
  GedcomFichier m;
  SetCodes(m, {9, 4, 9, 2, 9});
  EXPECT_EQ(m.indiceIndividu(9), 2);  // the binary search probes the middle first
  EXPECT_EQ(m.indiceIndividu(4), 1);
  SetCodes(m, {8, 3, 8, 1});
  EXPECT_EQ(m.indiceIndividu(3), 1);
}

TEST(GedcomFichier, SparseNumbersInAnyOrder) {
  GedcomFichier m;
  SetCodes(m, {2000000000, 7, 1999999999, 3});
  EXPECT_EQ(m.indiceIndividu(7), 1);
  EXPECT_EQ(m.indiceIndividu(2000000000), 0);
  EXPECT_EQ(m.indiceIndividu(1999999999), 2);
  EXPECT_EQ(m.indiceIndividu(3), 3);
  EXPECT_EQ(m.indiceIndividu(4), -1);
  EXPECT_EQ(m.indiceIndividu(2147483647), -1);
}

TEST(GedcomFichier, UnreadableNumbersDoNotCountAsShared) {
  GedcomFichier m;
  SetCodes(m, {-1, 4, -1, 2});
  EXPECT_EQ(m.indiceIndividu(2), 3);
  EXPECT_EQ(m.indiceIndividu(4), 1);
  EXPECT_EQ(m.indiceIndividu(-1), -1);
}

TEST(GedcomFichier, MinusOneNamesNobody) {
  GedcomFichier m;
  SetCodes(m, {-1, 2, 3});
  EXPECT_EQ(m.indiceIndividu(-1), -1);
  EXPECT_EQ(m.indiceUnion(-1), -1);
}

TEST(GedcomFichier, SmallTables) {
  GedcomFichier m;
  EXPECT_EQ(m.indiceIndividu(1), -1);
  SetCodes(m, {4});
  EXPECT_EQ(m.indiceIndividu(4), 0);
  EXPECT_EQ(m.indiceIndividu(5), -1);
  SetCodes(m, {4, 6});
  EXPECT_EQ(m.indiceIndividu(6), 1);
  EXPECT_EQ(m.indiceIndividu(4), 0);
}

TEST(GedcomFichier, ViderEmptiesAllButTheBasesAndMakesNewDictionaries) {
  GedcomFichier m;
  EXPECT_EQ(m.dictNoms, nullptr);
  m.vider();
  ASSERT_NE(m.dictNoms, nullptr);
  char t[] = "Dupont";
  m.dictNoms->Ajoute(t, 6, 0);
  SetCodes(m, {1, 2});
  m.nomSource = "x.ged";
  m.indiPlus = 1000;
  m.famPlus = 7;
  m.nbErreurs = 3;
  m.nbNotesIndi = 2;
  m.tailleSource = 10;
  m.textes.NouvelleDate();
  m.vider();
  EXPECT_FALSE(m.nomSource.has_value());
  EXPECT_EQ(m.nbIndividus, 0);
  EXPECT_TRUE(m.individus.empty());
  EXPECT_EQ(m.nbErreurs, 0);
  EXPECT_EQ(m.nbNotesIndi, 0);
  EXPECT_EQ(m.tailleSource, 0);
  EXPECT_EQ(m.dictNoms->nombre, 0);
  EXPECT_EQ(m.indiPlus, 1000);
  EXPECT_EQ(m.famPlus, 7);
  EXPECT_EQ(m.indiceIndividu(1), -1);
}

TEST(StockTextes, DatesHoldThirtyOneCharacters) {
  StockTextes s;
  char* d = s.NouvelleDate();
  for (std::size_t i = 0; i < kTailleDate; ++i) EXPECT_EQ(d[i], '\0');
  char* t = s.Copie("abc");
  EXPECT_STREQ(t, "abc");
  std::string big(1 << 20, 'x');
  EXPECT_EQ(std::string(s.Copie(big)), big);
}

// Dates are stored at about their own length; a later date of the same event replaces the
// earlier one, and every buffer keeps room for the longest normalised date the export writes
// over it.
TEST(StockTextes, DatesKeepTheirTextAndRoomForTheNormalisedForm) {
  StockTextes s;
  char* d = s.EcritDate(nullptr, "1850");
  EXPECT_STREQ(d, "1850");
  char* same = s.EcritDate(d, "12 MAR 1850");  // fits the minimum room: written in place
  EXPECT_EQ(same, d);
  EXPECT_STREQ(d, "12 MAR 1850");
  char* longer = s.EcritDate(d, "ABT 12 SEPTEMBER 1850 IN THE MORNING");
  EXPECT_STREQ(longer, "ABT 12 SEPTEMBER 1850 IN THE MO");  // cut at 31 characters
  EXPECT_EQ(s.EcritDate(longer, "1"), longer);
  EXPECT_STREQ(longer, "1");
  EXPECT_STREQ(s.EcritDate(nullptr, ""), "");

  // Two dates stored one after the other: normalising the first must leave the second whole.
  char* year = s.EcritDate(nullptr, "2147483647");
  char* next = s.EcritDate(nullptr, "ABT 1900");
  EXPECT_EQ(NormaliseDate(year), 249);  // an exact date with its year only
  EXPECT_STREQ(year, "13 juin 2147483647");
  EXPECT_STREQ(next, "ABT 1900");
}

}  // namespace
}  // namespace brimsel

// Tests of the model: reset and record lookups.
#include "engine/gedcom.h"

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

}  // namespace
}  // namespace brimsel

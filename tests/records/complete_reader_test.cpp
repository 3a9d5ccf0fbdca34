// The complete reader: each structure into its rows, the problems into issues, every character
// set, and the same rows whatever the threads and the parts.
#include "records/complete_reader.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>

#include "platform/text_decoder.h"
#include "records/complete_rows.h"
#include "records/gedcom_date.h"
#include "records/xref_index.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct StructureCase {
  const char* name;
  const char* gedcom;
  const char* table;
  Lines columns;
  Lines rows;
};

// Each structure, in a file of its own, into the rows of one table.
const StructureCase kStructures[] = {
    {"every record kind",
     "0 HEAD\n1 SOUR PROG\n0 @I1@ INDI\n0 @F1@ FAM\n0 @S1@ SOUR\n0 @R1@ REPO\n0 @M1@ OBJE\n"
     "0 @N1@ NOTE text\n0 @N2@ SNOTE shared\n0 @U1@ SUBM\n0 @B1@ SUBN\n0 @X1@ _CUSTOM v\n0 TRLR\n",
     "record",
     {"id", "tag", "xref", "line"},
     {"1|HEAD|NULL|1", "2|INDI|I1|3", "3|FAM|F1|4", "4|SOUR|S1|5", "5|REPO|R1|6", "6|OBJE|M1|7",
      "7|NOTE|N1|8", "8|SNOTE|N2|9", "9|SUBM|U1|10", "10|SUBN|B1|11", "11|_CUSTOM|X1|12",
      "12|TRLR|NULL|13"}},
    {"record kinds' tables",
     "0 @S1@ SOUR\n0 @I1@ INDI\n0 @I2@ INDI\n0 @N1@ NOTE a\n0 @N2@ SNOTE b\n",
     "note",
     {"id", "record", "xref", "text"},
     {"1|4|N1|a", "2|5|N2|b"}},
    {"a person",
     "0 @I1@ INDI\n1 SEX  M \n1 RESN privacy\n1 CHAN\n2 DATE 2 JAN 2020\n3 TIME 10:00\n",
     "person",
     {"id", "record", "xref", "sex", "restriction", "changed"},
     {"1|1|I1|M|privacy|2 JAN 2020 10:00"}},
    {"a source",
     "0 @S1@ SOUR\n1 TITL Registres\n2 CONC  paroissiaux\n1 AUTH Curé\n1 PUBL Mairie\n1 ABBR Reg\n"
     "1 TEXT a\n2 CONT b\n1 DATA\n2 AGNC Diocèse\n",
     "source",
     {"title", "author", "publication", "abbreviation", "text", "agency"},
     {"Registres paroissiaux|Curé|Mairie|Reg|a\nb|Diocèse"}},
    {"a repository and its citation",
     "0 @S1@ SOUR\n1 REPO @R1@\n2 CALN 12\n3 MEDI book\n0 @R1@ REPO\n1 NAME Archives\n1 ADDR\n"
     "2 CITY Quimper\n2 CTRY France\n1 WWW example.org\n",
     "source_repository",
     {"source", "repository", "call_number", "medium"},
     {"1|1|12|book"}},
    {"a repository",
     "0 @R1@ REPO\n1 NAME Archives\n1 ADDR 1 rue X\n2 CONT Quimper\n1 PHON 01\n",
     "repository",
     {"name", "address", "phone"},
     {"Archives|1 rue X\nQuimper|01"}},
    {"a media record",
     "0 @M1@ OBJE\n1 FILE photo.jpg\n2 FORM jpg\n3 TYPE photo\n2 TITL Portrait\n2 TRAN small.jpg\n"
     "3 FORM image/jpeg\n",
     "media",
     {"file", "format", "medium", "title"},
     {"photo.jpg|jpg|photo|Portrait"}},
    {"media links, by pointer and embedded",
     "0 @I1@ INDI\n1 OBJE @M1@\n1 OBJE\n2 FILE a.jpg\n3 FORM jpg\n2 TITL A\n0 @M1@ OBJE\n",
     "media_link",
     {"media", "file", "format", "title", "record", "person"},
     {"1|NULL|NULL|NULL|1|1", "NULL|a.jpg|jpg|A|1|1"}},
    {"a submitter",
     "0 @U1@ SUBM\n1 NAME Jean\n1 EMAIL j@x.fr\n1 LANG French\n",
     "submitter",
     {"name", "email", "language"},
     {"Jean|j@x.fr|French"}},
    {"names with and without their parts",
     "0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 NAME Jean Pierre /Martin/ Jr\n2 GIVN Jean-Pierre\n"
     "2 SURN Martin\n2 NPFX Dr\n2 NSFX Jr\n2 NICK Jeannot\n2 SPFX de\n2 TYPE birth\n1 NAME Marie\n"
     "1 NAME /Durand/\n",
     "person_name",
     {"person", "seq", "value", "given", "surname", "type", "prefix", "suffix", "nickname",
      "surname_prefix"},
     {"1|1|Jean /Dupont/|Jean|Dupont|NULL|NULL|NULL|NULL|NULL",
      "1|2|Jean Pierre /Martin/ Jr|Jean-Pierre|Martin|birth|Dr|Jr|Jeannot|de",
      "1|3|Marie|Marie|NULL|NULL|NULL|NULL|NULL|NULL",
      "1|4|/Durand/|NULL|Durand|NULL|NULL|NULL|NULL|NULL"}},
    {"events of a person",
     "0 @I1@ INDI\n1 BIRT Y\n2 TYPE natural\n2 AGE 0\n2 CAUS c\n2 AGNC mairie\n2 RELI cath\n"
     "2 ADDR 1 rue X\n2 RESN locked\n2 FAMC @F1@\n1 OCCU  laboureur \n1 TITL Duc de Bourbon\n"
     "1 EVEN\n2 TYPE Military\n1 ADOP\n2 FAMC @F1@\n3 ADOP BOTH\n1 BAPL\n2 TEMP SLAKE\n"
     "2 STAT COMPLETED\n1 _CUSTOM x\n0 @F1@ FAM\n",
     "event",
     {"person", "family", "seq", "tag", "type", "value", "age", "cause", "agency", "religion",
      "address", "restriction", "temple", "status", "child_of", "adopted_by"},
     {"1|NULL|1|BIRT|natural|Y|0|c|mairie|cath|1 rue X|locked|NULL|NULL|1|NULL",
      "1|NULL|2|OCCU|NULL|laboureur|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL",
      "1|NULL|3|TITL|NULL|Duc de Bourbon|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL",
      "1|NULL|4|EVEN|Military|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL",
      "1|NULL|5|ADOP|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|1|BOTH",
      "1|NULL|6|BAPL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|SLAKE|COMPLETED|NULL|NULL"}},
    {"events of a family",
     "0 @F1@ FAM\n1 MARR\n2 HUSB\n3 AGE 25y\n2 WIFE\n3 AGE 20y\n1 DIV\n1 NCHI 3\n",
     "event",
     {"person", "family", "seq", "tag", "value", "husband_age", "wife_age"},
     {"NULL|1|1|MARR|NULL|25y|20y", "NULL|1|2|DIV|NULL|NULL|NULL", "NULL|1|3|NCHI|3|NULL|NULL"}},
    {"a family's spouses and children, the first HUSB only",
     "0 @I1@ INDI\n0 @I2@ INDI\n0 @F1@ FAM\n1 HUSB @I1@\n1 HUSB @I2@\n1 WIFE @I2@\n1 CHIL @I1@\n"
     "1 CHIL @VOID@\n1 CHIL @I2@\n",
     "family",
     {"husband", "wife"},
     {"1|2"}},
    {"a person's families",
     "0 @I1@ INDI\n1 FAMS @F1@\n1 FAMC @F1@\n2 PEDI foster\n2 STAT proven\n0 @F1@ FAM\n",
     "person_family",
     {"person", "family", "tag", "seq", "pedigree", "status"},
     {"1|1|FAMS|1|NULL|NULL", "1|1|FAMC|2|foster|proven"}},
    {"pedigrees from the children's FAMC, before and after their family",
     "0 @I1@ INDI\n1 FAMC @F1@\n2 PEDI adopted\n1 FAMC @F2@\n0 @F1@ FAM\n1 CHIL @I1@\n"
     "1 CHIL @I2@\n0 @F2@ FAM\n1 CHIL @I1@\n0 @I2@ INDI\n1 FAMC @F1@\n2 PEDI birth\n",
     "family_child",
     {"family", "child", "seq", "pedigree"},
     {"1|1|1|adopted", "1|2|2|birth", "2|1|1|NULL"}},
    {"pointers to nothing and @VOID@",
     "0 @F1@ FAM\n1 HUSB @I9@\n1 WIFE @VOID@\n1 CHIL @I9@\n0 @I1@ INDI\n1 FAMC @F9@\n1 FAMS @I1@\n"
     "1 ALIA @VOID@\n1 _LINK @X@\n",
     "import_issue",
     {"line", "record", "message"},
     {"2|1|@I9@ names no record", "4|1|@I9@ names no record", "6|2|@F9@ names no record",
      "7|2|@I1@ names a INDI record, not FAM", "9|2|@X@ names no record"}},
    {"duplicate cross-references go to the first",
     "0 @I1@ INDI\n1 SEX M\n0 @I1@ INDI\n1 SEX F\n0 @F1@ FAM\n1 HUSB @I1@\n",
     "import_issue",
     {"line", "record", "message"},
     {"3|2|duplicate cross-reference @I1@: pointers go to record 1"}},
    {"notes at every level, in HEAD, empty and by pointer",
     "0 HEAD\n1 NOTE head\n0 @I1@ INDI\n1 NOTE first\n2 CONC  part\n2 CONT second\n1 NOTE\n"
     "1 NAME A /B/\n2 SOUR @S1@\n3 NOTE deep\n1 NOTE @N1@\n0 @N1@ NOTE rec\n1 CONT more\n"
     "0 @S1@ SOUR\n",
     "note",
     {"id", "record", "xref", "text"},
     {"1|NULL|NULL|head", "2|NULL|NULL|first part\nsecond", "3|NULL|NULL|", "4|NULL|NULL|deep",
      "5|3|N1|rec\nmore"}},
    {"a note continued after a structure below it",
     "0 @I1@ INDI\n1 NOTE a\n2 SOUR @S1@\n3 CONT x\n2 CONC b\n2 SOUR t\n3 CONC u\n2 CONT c\n"
     "0 @S1@ SOUR\n",
     "note",
     {"text"},
     {"ab\nc"}},
    {"what each note belongs to",
     "0 HEAD\n1 NOTE head\n0 @I1@ INDI\n1 NOTE first\n1 NAME A /B/\n2 SOUR @S1@\n3 NOTE deep\n"
     "1 NOTE @N1@\n1 SNOTE @VOID@\n0 @N1@ NOTE rec\n0 @S1@ SOUR\n",
     "note_link",
     {"id", "note", "record", "person", "person_name", "citation"},
     {"1|1|1|NULL|NULL|NULL", "2|2|2|1|NULL|NULL", "3|3|2|1|1|1", "4|4|2|1|NULL|NULL"}},
    {"citations by pointer and by their own text, none in HEAD",
     "0 HEAD\n1 SOUR PROG\n0 @I1@ INDI\n1 SOUR @S1@\n2 PAGE p. 12\n2 QUAY 3\n2 DATA\n3 TEXT t\n"
     "4 CONT u\n2 EVEN BIRT\n3 ROLE CHIL\n1 BIRT\n2 SOUR Register\n3 CONC , page 4\n3 TEXT q\n"
     "0 @S1@ SOUR\n",
     "citation",
     {"source", "page", "quality", "text", "description", "event_type", "role", "record", "person",
      "event"},
     {"1|p. 12|3|t\nu|NULL|BIRT|CHIL|2|1|NULL",
      "NULL|NULL|NULL|q|Register, page 4|NULL|NULL|2|1|1"}},
    {"places, their tails and coordinates",
     "0 @I1@ INDI\n1 BIRT\n2 PLAC Quimper, Finistère, France\n1 DEAT\n"
     "2 PLAC Boston, , Suffolk, MA\n1 BURI\n2 PLAC Brest,\n1 RESI\n2 PLAC  France \n1 CHR\n"
     "2 PLAC Quimper, Finistère, France\n3 MAP\n4 LATI N48.0\n4 LONG W4.1\n",
     "place",
     {"id", "name", "parent", "latitude", "longitude"},
     {"1|Quimper, Finistère, France|2|48|-4.1", "2|Finistère, France|3|NULL|NULL",
      "3|France|NULL|NULL|NULL", "4|Boston, , Suffolk, MA|5|NULL|NULL", "5|Suffolk, MA|6|NULL|NULL",
      "6|MA|NULL|NULL|NULL", "7|Brest,|NULL|NULL|NULL"}},
    {"every PLAC points to its place",
     "0 @I1@ INDI\n1 BIRT\n2 PLAC A\n2 PLAC B\n1 DEAT\n2 PLAC B\n0 @S1@ SOUR\n1 DATA\n"
     "2 EVEN BIRT\n3 PLAC C\n",
     "place_link",
     {"place", "tag", "record", "person", "source"},
     {"2|BIRT|1|1|NULL", "3|EVEN|2|NULL|1"}},
    {"GEDCOM 7 identifiers",
     "0 @I1@ INDI\n1 UID u1\n1 EXID 456\n2 TYPE http://x.org\n1 REFN 7\n1 BIRT\n2 UID u2\n",
     "identifier",
     {"tag", "value", "type", "record", "person", "event"},
     {"UID|u1|NULL|1|1|NULL", "EXID|456|http://x.org|1|1|NULL", "REFN|7|NULL|1|1|NULL",
      "UID|u2|NULL|1|1|1"}},
    {"GEDCOM 7 translations",
     "0 @N1@ SNOTE Note\n1 TRAN Remarque\n2 LANG fr\n0 @I1@ INDI\n1 NAME John /Smith/\n"
     "2 TRAN Jean /Smith/\n3 LANG fr\n1 SNOTE @N1@\n1 BIRT\n2 PLAC Londres\n3 TRAN London\n"
     "4 LANG en\n",
     "translation",
     {"value", "language", "record", "person_name", "note", "place"},
     {"Remarque|fr|1|NULL|1|NULL", "Jean /Smith/|fr|2|1|NULL|NULL", "London|en|2|NULL|NULL|1"}},
    {"GEDCOM 7 NO, SDATE, PHRASE and associations",
     "0 @I1@ INDI\n1 NO MARR\n1 ASSO @I2@\n2 ROLE GODP\n3 PHRASE godfather\n2 PHRASE friend\n"
     "1 CREA\n2 DATE 1 JAN 2020\n0 @I2@ INDI\n",
     "association",
     {"associate", "relation", "phrase", "record", "person"},
     {"2|GODP|friend|1|1"}},
    {"lines that are not GEDCOM lines, a level that jumps, lines before the first record",
     "garbage\n1 NAME orphan\n0 @I1@ INDI\n1 NAME A\n3 GIVN jump\n2 SURN x\nnot gedcom\n1NAME x\n"
     "\n",
     "import_issue",
     {"line", "record", "message"},
     {"1|1|lines before the first record", "1|1|not a GEDCOM line", "5|2|level 3 after level 1",
      "7|2|not a GEDCOM line", "8|2|not a GEDCOM line", "9|2|not a GEDCOM line"}},
    {"a jumped level reads as a child of the line before",
     "garbage\n0 @I1@ INDI\n1 NAME A\n3 GIVN jump\n2 SURN x\n",
     "person_name",
     {"given", "surname"},
     {"jump|x"}},
    {"the record's text keeps every line",
     "x\n0 @N1@ NOTE a\n1 CONC b\n1 CONT  c\n\n2 _X\n0 TRLR",
     "record",
     {"tag", "text"},
     {"NULL|x", "NOTE|0 @N1@ NOTE a\n1 CONC b\n1 CONT  c\n\n2 _X", "TRLR|0 TRLR"}},
};

TEST(CompleteReader, ReadsEachStructure) {
  for (const StructureCase& c : kStructures) {
    SCOPED_TRACE(c.name);
    const auto db = test::ReadRows(c.gedcom);
    ASSERT_TRUE(db->result.Read()) << db->result.detail;
    EXPECT_EQ(db->Select(c.table, c.columns), c.rows);
    EXPECT_EQ(db->sink.duplicateIds, Lines{});
  }
}

// Numbered cross-references and the others, each its own: "I1" and "I01" are two.
TEST(XrefIndex, FindsEachCrossReferenceAndKeepsTheFirst) {
  const Lines inserted = {"I1",          "I01",   "I0", "3I",        "SUBMITTER",
                          "I4294967296", "I7",    "i7", "ABCDEFGH1", "I999999999",
                          "I2",          "A_B12", "I1", "3I",        "LONG_CROSS_REFERENCE_1"};
  XrefIndex index;
  std::vector<bool> added;
  for (std::size_t i = 0; i < inserted.size(); ++i) {
    added.push_back(index.Insert(inserted[i], {static_cast<std::int64_t>(i) + 1,
                                               static_cast<std::int64_t>(i), RecordKind::kPerson}));
  }
  EXPECT_EQ(added, (std::vector<bool>{true, true, true, true, true, true, true, true, true, true,
                                      true, true, false, false, true}));
  for (std::size_t i = 0; i < inserted.size(); ++i) {
    XrefTarget t;
    ASSERT_TRUE(index.Find(inserted[i], t)) << inserted[i];
    EXPECT_EQ(t.record, added[i]  ? static_cast<std::int64_t>(i) + 1
                        : i == 12 ? 1
                                  : 4)
        << inserted[i];
  }
  for (const std::string missing : {"I3", "I001", "I", "", "I12", "SUBMITTE", "A_B1"}) {
    XrefTarget t;
    EXPECT_FALSE(index.Find(missing, t)) << missing;
  }
  EXPECT_EQ(index.Size(), 13u);
}

// The date columns come from the date reader (skipped while it reads nothing).
TEST(CompleteReader, FillsTheDateColumns) {
  if (!ReadGedcomDate("1850").readable) GTEST_SKIP() << "the date reader reads no date yet";
  const auto db = test::ReadRows(
      "0 @I1@ INDI\n1 BIRT\n2 DATE ABT 1850\n3 PHRASE about then\n2 SDATE 1 JAN 1851\n"
      "1 DEAT\n2 DATE 1 FEB 1900\n1 BURI\n2 DATE what\n1 NO MARR\n2 DATE TO 1900\n"
      "1 SOUR @S1@\n2 DATA\n3 DATE 1850\n0 @S1@ SOUR\n");
  const Lines columns = {"tag",      "date",        "date_from", "date_to", "date_qualifier",
                         "calendar", "date_phrase", "sort_date"};
  EXPECT_EQ(db->Select("event", columns),
            (Lines{"BIRT|ABT 1850|1850|1850|ABT|GREGORIAN|about then|1 JAN 1851",
                   "DEAT|1 FEB 1900|1900-02-01|1900-02-01|NULL|GREGORIAN|NULL|NULL",
                   "BURI|what|NULL|NULL|NULL|NULL|NULL|NULL",
                   "NO|TO 1900|NULL|1900|TO|GREGORIAN|NULL|NULL"}));
  const Lines days = db->Select("event", {"sort_day"});
  EXPECT_EQ(days[0], std::to_string(*ReadGedcomDate("1 JAN 1851").sortDay));  // SDATE first
  EXPECT_EQ(days[1], std::to_string(*ReadGedcomDate("1 FEB 1900").sortDay));
  EXPECT_EQ(db->Select("citation", {"date", "date_from"}), (Lines{"1850|1850"}));
  EXPECT_EQ(db->Select("import_issue", {"line", "message"}),
            (Lines{"9|date that no rule reads: what"}));
}

// The same snippet in each character set and line end gives the same rows.
TEST(CompleteReader, ReadsEveryCharacterSetAndLineEnd) {
  const std::string utf8 =
      "0 @I1@ INDI\n1 NAME Ren\xC3\xA9 /Ma\xC3\xAEtre/\n1 NOTE e\xCC\x81t\xC3\xA9\n2 CONT "
      "\xE2\x82\xAC\n";
  const Lines expected = {"Ren\xC3\xA9 /Ma\xC3\xAEtre/", "\xC3\xA9t\xC3\xA9\n\xE2\x82\xAC"};
  const struct {
    const char* name;
    std::string gedcom;
    Charset charset;
  } cases[] = {
      {"UTF-8", utf8, Charset::kUtf8},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + utf8, Charset::kUtf8},
      {"CR LF",
       "0 @I1@ INDI\r\n1 NAME Ren\xC3\xA9 /Ma\xC3\xAEtre/\r\n1 NOTE e\xCC\x81t\xC3\xA9\r\n2 CONT "
       "\xE2\x82\xAC\r\n",
       Charset::kUtf8},
      {"CR",
       "0 @I1@ INDI\r1 NAME Ren\xC3\xA9 /Ma\xC3\xAEtre/\r1 NOTE e\xCC\x81t\xC3\xA9\r2 CONT "
       "\xE2\x82\xAC\r",
       Charset::kUtf8},
      {"LF CR",
       "0 @I1@ INDI\n\r1 NAME Ren\xC3\xA9 /Ma\xC3\xAEtre/\n\r1 NOTE e\xCC\x81t\xC3\xA9\n\r2 CONT "
       "\xE2\x82\xAC",
       Charset::kUtf8},
      {"Windows-1252", "0 @I1@ INDI\n1 NAME Ren\xE9 /Ma\xEEtre/\n1 NOTE \xE9t\xE9\n2 CONT \x80\n",
       Charset::kWindows1252},
      {"ANSEL",
       "0 @I1@ INDI\n1 NAME Ren\xE2"
       "e /Ma\xE3itre/\n1 NOTE \xE2"
       "et\xE2"
       "e\n2 CONT \xC8\n",
       Charset::kAnsel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto db = test::ReadRows(c.gedcom, {.charset = c.charset});
    ASSERT_TRUE(db->result.Read());
    const Lines names = db->Select("person_name", {"value"});
    const Lines notes = db->Select("note", {"text"});
    ASSERT_EQ(names.size(), 1u);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ((Lines{names[0], notes[0]}), expected);
    EXPECT_EQ(db->Count("import_issue"), 0u);
  }
}

TEST(CompleteReader, ReadsUtf16AsItsUtf8) {
  const std::string text =
      "0 @I1@ INDI\r\n1 NAME Ren\xC3\xA9 /\xF0\x9F\x98\x80/\r\n1 NOTE a\r\n2 CONC b\r\n";
  for (const bool big : {false, true}) {
    std::string file = big ? "\xFE\xFF" : "\xFF\xFE";
    // Each character of the text as its UTF-16 code units, in the file's byte order.
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
      char32_t cp = static_cast<unsigned char>(text[i]);
      std::size_t n = 1;
      if (cp >= 0xF0) {
        cp = ((cp & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) |
             (text[i + 3] & 0x3F);
        n = 4;
      } else if (cp >= 0xC0) {
        cp = ((cp & 0x1F) << 6) | (text[i + 1] & 0x3F);
        n = 2;
      }
      if (cp >= 0x10000) {
        units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        units += static_cast<char16_t>(cp);
      }
      i += n;
    }
    for (char16_t u : units) {
      const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
      file += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    const auto db = test::ReadRows(
        file, {.charset = big ? Charset::kUtf16Be : Charset::kUtf16Le, .threads = 2});
    ASSERT_TRUE(db->result.Read());
    EXPECT_EQ(db->Select("person_name", {"value", "surname"}),
              (Lines{"Ren\xC3\xA9 /\xF0\x9F\x98\x80/|\xF0\x9F\x98\x80"}));
    EXPECT_EQ(db->Select("note", {"text"}), (Lines{"ab"}));
    EXPECT_EQ(db->Select("record", {"text"}),
              (Lines{"0 @I1@ INDI\n1 NAME Ren\xC3\xA9 /\xF0\x9F\x98\x80/\n1 NOTE a\n2 CONC b"}));
  }
}

// Windows-1252 texts are decoded as the text decoder decodes them, every byte.
TEST(CompleteReader, DecodesWindows1252AsTheTextDecoder) {
  std::string bytes;
  for (int b = 0x20; b < 0x100; ++b) bytes += static_cast<char>(b);
  std::string expected;
  DecodeCounts counts;
  DecodeText(bytes, Charset::kWindows1252, TableEncoding::kUtf8, expected, counts);
  const auto db = test::ReadRows("0 @N1@ NOTE " + bytes + "\n", {.charset = Charset::kWindows1252});
  EXPECT_EQ(db->Select("note", {"text"}), Lines{expected});
}

TEST(CompleteReader, ReadsAFileWithoutPersons) {
  const auto db = test::ReadRows("0 HEAD\n1 GEDC\n2 VERS 7.0\n0 @S1@ SOUR\n1 TITL T\n0 TRLR\n");
  ASSERT_TRUE(db->result.Read());
  EXPECT_EQ(db->Count("person"), 0u);
  EXPECT_EQ(db->Select("source", {"title"}), Lines{"T"});
  EXPECT_EQ(db->result.rows[static_cast<std::size_t>(CompleteTable::kRecord)], 3);
  for (const std::string empty : {"", "\x1A", "\xEF\xBB\xBF"}) {
    const auto none = test::ReadRows(empty);
    EXPECT_TRUE(none->result.Read());
    EXPECT_EQ(none->Count("record"), 0u);
  }
}

// A byte 26 ends the input, in whichever part it falls.
TEST(CompleteReader, StopsAtAByte26) {
  std::string text;
  for (int i = 1; i <= 40; ++i)
    text += "0 @I" + std::to_string(i) + "@ INDI\n1 NAME N" + std::to_string(i) + "\n";
  text +=
      "\x1A"
      "0 @I99@ INDI\n";
  for (int i = 0; i < 40; ++i) text += "0 @F" + std::to_string(i) + "@ FAM\n";
  for (const std::int64_t part : {0, 30, 200}) {
    const auto db =
        test::ReadRows(text, {.charset = Charset::kUtf8, .threads = 3, .partBytes = part});
    EXPECT_EQ(db->Count("person"), 40u);
    EXPECT_EQ(db->Count("family"), 0u);
    EXPECT_EQ(db->result.lines, 80);
  }
}

// A sink that fails, or a stop asked for, ends the reading with its outcome.
TEST(CompleteReader, EndsWhenTheSinkFailsOrAStopIsAsked) {
  class FailingSink final : public CompleteRowSink {
   public:
    bool Take(const RowBlock&) override { return false; }
  } failing;
  StringSource source("0 @I1@ INDI\n");
  EXPECT_EQ(ReadCompleteFile(source, {.charset = Charset::kUtf8}, failing).outcome,
            CompleteReadOutcome::kSinkFailed);
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "0 @I" + std::to_string(i) + "@ INDI\n";
  int polls = 0;
  const auto db = test::ReadRows(text, {.charset = Charset::kUtf8,
                                        .threads = 2,
                                        .stopRequested = [&] { return ++polls > 3; },
                                        .partBytes = 100});
  EXPECT_EQ(db->result.outcome, CompleteReadOutcome::kStopped);
  EXPECT_LT(db->Count("person"), 1000u);
}

// The files of the tests: the real ones, and a generated one in each character set.
std::vector<std::pair<std::string, Charset>> TestFiles(const test::TempDir& dir) {
  std::vector<std::pair<std::string, Charset>> files;
  if (fs::exists(BRIMSEL_SHARED_GEDCOM)) {
    for (const auto& e : fs::directory_iterator(BRIMSEL_SHARED_GEDCOM)) {
      if (e.path().extension() != ".ged") continue;
      const bool utf8 = e.path().filename() == "vendor-heredis.ged";
      files.emplace_back(e.path().string(), utf8 ? Charset::kUtf8 : Charset::kWindows1252);
    }
  }
  for (const auto& [option, set] : {std::pair{"", Charset::kWindows1252},
                                    {"--utf8 --shuffle", Charset::kUtf8},
                                    {"--ansel --crlf", Charset::kAnsel}}) {
    const std::string path = dir / ("gen" + std::to_string(files.size()) + ".ged");
    const std::string command =
        std::string(BRIMSEL_GEDCOM_GEN) + " --individuals 300 " + option + " " + path;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    files.emplace_back(path, set);
  }
  return files;
}

TEST(CompleteReader, GivesTheSameRowsWhateverTheThreadsAndParts) {
  test::TempDir dir;
  for (const auto& [path, charset] : TestFiles(dir)) {
    SCOPED_TRACE(path);
    auto source = FileSource::Open(path.c_str());
    ASSERT_TRUE(source);
    const auto one = test::ReadRows(*source, {.charset = charset});
    ASSERT_TRUE(one->result.Read()) << one->result.detail;
    EXPECT_EQ(one->sink.duplicateIds, Lines{});
    for (const auto& [threads, part] : {std::pair{1, 512}, {2, 0}, {3, 2000}, {7, 300}}) {
      const auto other =
          test::ReadRows(*source, {.charset = charset, .threads = threads, .partBytes = part});
      ASSERT_TRUE(other->result.Read()) << threads << " threads, parts of " << part;
      EXPECT_TRUE(other->sink.tables == one->sink.tables)
          << threads << " threads, parts of " << part;
    }
  }
}

// Writes the rows into an SQLite database made from the schemas, with their foreign keys.
class DatabaseSink final : public CompleteRowSink {
 public:
  DatabaseSink() {
    sqlite3_open(":memory:", &db_);
    for (const TableSchema& t : CompleteTables()) {
      std::string sql = std::string("CREATE TABLE ") + t.name + " (";
      for (const ColumnSchema& c : t.columns) {
        sql += std::string(&c == &t.columns.front() ? "" : ", ") + c.name +
               (c.type == ColumnType::kText   ? " TEXT"
                : c.type == ColumnType::kReal ? " REAL"
                                              : " INTEGER");
        if (c.role == ColumnRole::kKey) sql += " PRIMARY KEY";
        if (c.role == ColumnRole::kRequired) sql += " NOT NULL";
        if (c.role == ColumnRole::kReference)
          sql += std::string(" REFERENCES ") + c.references + "(id)";
      }
      Run(sql + ")");
      for (const ColumnSchema& c : t.columns) {
        if (c.indexed)
          Run(std::string("CREATE INDEX ") + t.name + "_" + c.name + " ON " + t.name + "(" +
              c.name + ")");
      }
    }
    for (const char* view : kCompleteViewSql) Run(view);
  }
  ~DatabaseSink() override { sqlite3_close(db_); }
  bool Take(const RowBlock& rows) override {
    std::string sql = std::string("INSERT INTO ") + rows.Table().name + " VALUES (";
    for (std::size_t c = 0; c < rows.Columns(); ++c) sql += c == 0 ? "?" : ", ?";
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, (sql + ")").c_str(), -1, &s, nullptr), SQLITE_OK);
    for (std::size_t r = 0; r < rows.Rows(); ++r) {
      for (std::size_t c = 0; c < rows.Columns(); ++c) {
        const Value v = rows.At(r, c);
        const int at = static_cast<int>(c) + 1;
        if (v.kind == Value::kInteger) sqlite3_bind_int64(s, at, v.integer);
        if (v.kind == Value::kReal) sqlite3_bind_double(s, at, v.real);
        if (v.kind == Value::kText)
          sqlite3_bind_text(s, at, v.text.data(), static_cast<int>(v.text.size()),
                            SQLITE_TRANSIENT);
        if (v.kind == Value::kNull) sqlite3_bind_null(s, at);
      }
      EXPECT_EQ(sqlite3_step(s), SQLITE_DONE) << rows.Table().name << " " << sqlite3_errmsg(db_);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    return true;
  }
  Lines Query(const std::string& sql) {
    Lines out;
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_);
    while (sqlite3_step(s) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(s); ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
        if (c != 0) row += '|';
        row += text != nullptr ? text : "NULL";
      }
      out.push_back(row);
    }
    sqlite3_finalize(s);
    return out;
  }

 private:
  void Run(const std::string& sql) {
    EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  }
  sqlite3* db_ = nullptr;
};

// Every reference names a row of its table, and the views read one row per person and family.
TEST(CompleteReader, RowsKeepTheirForeignKeysAndTheViewsReadThem) {
  test::TempDir dir;
  for (const auto& [path, charset] : TestFiles(dir)) {
    SCOPED_TRACE(path);
    auto source = FileSource::Open(path.c_str());
    DatabaseSink db;
    ASSERT_TRUE(ReadCompleteFile(*source, {.charset = charset, .threads = 2, .partBytes = 4096}, db)
                    .Read());
    EXPECT_EQ(db.Query("PRAGMA foreign_key_check"), Lines{});
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM person_summary"),
              db.Query("SELECT COUNT(*) FROM person"));
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM family_summary"),
              db.Query("SELECT COUNT(*) FROM family"));
  }
  DatabaseSink db;
  StringSource family(
      "0 @I1@ INDI\n1 NAME Jean /Le Goff/\n1 SEX M\n1 FAMS @F1@\n0 @I2@ INDI\n1 NAME Anne /Ker/\n"
      "0 @I3@ INDI\n1 NAME Yves /Le Goff/\n1 CHR\n2 PLAC Brest\n1 BIRT\n2 PLAC Quimper, France\n"
      "1 BURI\n2 PLAC Brest\n1 FAMC @F1@\n0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n1 "
      "MARR\n"
      "2 PLAC Brest\n");
  ASSERT_TRUE(ReadCompleteFile(family, {.charset = Charset::kUtf8}, db).Read());
  EXPECT_EQ(
      db.Query(
          "SELECT name, given, surname, sex, birth_place, death_place, father_name, mother_name"
          " FROM person_summary WHERE person = 3"),
      Lines{"Yves /Le Goff/|Yves|Le Goff|NULL|Quimper, France|Brest|Jean /Le Goff/|Anne /Ker/"});
  EXPECT_EQ(
      db.Query("SELECT husband_name, wife_name, marriage_place, children FROM family_summary"),
      Lines{"Jean /Le Goff/|Anne /Ker/|Brest|1"});
}

// Counts of the real files' lines, made simply from the lines, against the rows.
TEST(CompleteReader, CountsAsManyRowsAsTheFileHasLines) {
  if (!fs::exists(BRIMSEL_SHARED_GEDCOM)) GTEST_SKIP() << BRIMSEL_SHARED_GEDCOM << " is absent";
  static const std::set<std::string> kEvents = {
      "BIRT", "CHR",  "DEAT", "BURI", "CREM", "ADOP", "BAPM", "BARM", "BASM", "BLES", "CHRA",
      "CONF", "FCOM", "ORDN", "NATU", "EMIG", "IMMI", "CENS", "PROB", "WILL", "GRAD", "RETI",
      "EVEN", "CAST", "DSCR", "EDUC", "IDNO", "NATI", "NCHI", "NMR",  "OCCU", "PROP", "RELI",
      "RESI", "SSN",  "TITL", "FACT", "ANUL", "DIV",  "DIVF", "ENGA", "MARB", "MARC", "MARR",
      "MARL", "MARS", "BAPL", "CONL", "ENDL", "INIL", "SLGC", "SLGS", "NO"};
  for (const auto& e : fs::directory_iterator(BRIMSEL_SHARED_GEDCOM)) {
    if (e.path().extension() != ".ged") continue;
    SCOPED_TRACE(e.path().string());
    std::map<std::string, std::size_t> expected;
    std::set<std::string> persons;
    std::vector<std::string> children;
    std::istringstream in(test::ReadBytes(e.path().string()));
    std::string line, record;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::istringstream words(line);
      std::string level, second, third;
      words >> level >> second >> third;
      const bool pointer = third.size() > 2 && third.front() == '@';
      if (level == "0") {
        ++expected["record"];
        record = second[0] == '@' ? third : second;
        const std::map<std::string, std::string> tables = {
            {"INDI", "person"}, {"FAM", "family"},     {"SOUR", "source"}, {"REPO", "repository"},
            {"OBJE", "media"},  {"SUBM", "submitter"}, {"NOTE", "note"}};
        if (tables.count(record) != 0) ++expected[tables.at(record)];
        if (record == "INDI") persons.insert(second);
        continue;
      }
      if (second == "NOTE" && !pointer) ++expected["note"];
      if (second == "SOUR" && record != "HEAD") ++expected["citation"];
      if (level != "1") continue;
      if (record == "INDI" && second == "NAME") ++expected["person_name"];
      if ((record == "INDI" || record == "FAM") && kEvents.count(second) != 0)
        ++expected["event " + second];
      if (record == "FAM" && second == "CHIL") children.push_back(third);
    }
    for (const std::string& child : children) expected["family_child"] += persons.count(child);
    auto source = FileSource::Open(e.path().c_str());
    const auto db = test::ReadRows(
        *source, {.charset = e.path().filename() == "vendor-heredis.ged" ? Charset::kUtf8
                                                                         : Charset::kWindows1252});
    std::map<std::string, std::size_t> counted;
    for (const auto& [table, count] : expected) {
      if (table.rfind("event ", 0) == 0) continue;
      counted[table] = db->Count(table);
    }
    for (const std::string& tag : db->Select("event", {"tag"})) ++counted["event " + tag];
    EXPECT_EQ(counted, expected);
  }
}

}  // namespace
}  // namespace brimsel

// Conversions of files in every character set: which set is used, what the message list says,
// and the tables each set gives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/conversion.h"
#include "export/tables.h"
#include "platform/byte_source.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;

class Recorder final : public ProgressSink {
 public:
  void Phase(std::string_view) override {}
  void LineCount(int) override {}
  void Message(std::string_view line) override { messages.emplace_back(line); }
  std::vector<std::string> messages;
};

struct Converted {
  GedcomModel model;
  Recorder progress;
  ConversionResult result;
};

void Convert(Converted& c, const std::string& bytes, ConversionOptions options = {}) {
  options.notes = true;
  StringSource source(bytes);
  c.result = ConvertSource(c.model, source, "/tmp/family.ged", options, c.progress);
}

// The seven tables of a converted model, concatenated in table order.
std::string Tables(GedcomModel& model) {
  const fs::path dir = fs::temp_directory_path() /
                       ("brimsel-charset-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  ExportOptions options;
  options.outputDir = dir.string();
  Recorder progress;
  EXPECT_TRUE(ExportTables(model, options, progress).Written());
  std::string all;
  for (const char* suffix : kTableSuffixes) {
    std::ifstream in(dir / (std::string("family") + suffix), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    all += text.str();
  }
  fs::remove_all(dir);
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

// Code points of a UTF-8 text (valid, as the test writes it).
std::u32string CodePoints(const std::string& utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += c;
      i += 1;
    } else {
      out += static_cast<char32_t>(((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F));
      i += 2;
    }
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
    const char high = static_cast<char>(cp >> 8);
    const char low = static_cast<char>(cp & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

// ANSEL: a combining mark before its letter; Ø and Æ, ø and æ have bytes of their own.
std::string ToAnsel(const std::string& utf8) {
  std::string out;
  for (char32_t cp : CodePoints(utf8)) {
    switch (cp) {
      case U'é': out += "\xE2" "e"; break;
      case U'É': out += "\xE2" "E"; break;
      case U'à': out += "\xE1" "a"; break;
      case U'ç': out += "\xF0" "c"; break;
      case U'ü': out += "\xE8" "u"; break;
      case U'Û': out += "\xE3" "U"; break;
      case U'Ø': out += "\xA2"; break;
      case U'ø': out += "\xB2"; break;
      case U'Æ': out += "\xA5"; break;
      default: out += static_cast<char>(cp);
    }
  }
  return out;
}

// Decomposed UTF-8, as macOS programs write it: é as e and a combining acute accent.
std::string Decomposed(const std::string& utf8) {
  std::string out;
  for (char32_t cp : CodePoints(utf8)) {
    if (cp == U'é') {
      out += "e\xCC\x81";
    } else if (cp == U'É') {
      out += "E\xCC\x81";
    } else if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string WithHead(const char* charValue, const std::string& body) {
  std::string head = "0 HEAD\n";
  if (charValue != nullptr) head += std::string("1 CHAR ") + charValue + "\n";
  return head + body;
}

TEST(CharsetConversion, EverySetOfOneFamilyGivesTheSameTables) {
  const std::string family = kFamily;
  Converted reference;
  Convert(reference, WithHead("UTF-8", family));
  ASSERT_TRUE(reference.result.Completed());
  ASSERT_EQ(reference.model.tableEncoding, TableEncoding::kUtf8);
  const std::string tables = Tables(reference.model);
  // The accented capitals fold with their small letters: one surname, written in proper case.
  EXPECT_NE(tables.find("1\tQu\xC3\xA9r\xC3\xA9\r\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("12 f\xC3\xA9v 1841"), std::string::npos);
  EXPECT_NE(tables.find("Caf\xC3\xA9 du bourg et M\xC3\xBChle"), std::string::npos);
  EXPECT_EQ(reference.model.surnames->count, 1);

  struct Case {
    const char* name;
    std::string bytes;
    const char* firstMessage;
  } cases[] = {
      {"UTF-8, no CHAR", WithHead(nullptr, family), "Jeu de caract\xE8res UTF-8"},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + WithHead("ANSEL", family),
       "Jeu de caract\xE8res UTF-8 (CHAR ANSEL)"},
      {"UTF-8 declared ANSI", WithHead("ANSI", family), "Jeu de caract\xE8res UTF-8 (CHAR ANSI)"},
      {"decomposed UTF-8", WithHead("UTF-8", Decomposed(family)), "Jeu de caract\xE8res UTF-8"},
      {"UTF-16LE", ToUtf16(WithHead("UNICODE", family), false, true),
       "Jeu de caract\xE8res UTF-16LE"},
      {"UTF-16BE", ToUtf16(WithHead("UNICODE", family), true, true),
       "Jeu de caract\xE8res UTF-16BE"},
      {"UTF-16LE without a mark", ToUtf16("0 HEAD\n1 CHAR UTF-8\n" + family, false, false),
       "Jeu de caract\xE8res UTF-16LE (CHAR UTF-8)"},
      {"ANSEL", WithHead("ANSEL", ToAnsel(family)), "Jeu de caract\xE8res ANSEL"},
  };
  for (const Case& c : cases) {
    Converted run;
    Convert(run, c.bytes);
    ASSERT_TRUE(run.result.Completed()) << c.name;
    ASSERT_FALSE(run.progress.messages.empty()) << c.name;
    EXPECT_EQ(run.progress.messages.front(), c.firstMessage) << c.name;
    EXPECT_EQ(Tables(run.model), tables) << c.name;
  }

  // The Windows-1252 file gives the same tables in Windows-1252.
  Converted cp1252;
  Convert(cp1252, WithHead("ANSI", ToCp1252(family)));
  ASSERT_TRUE(cp1252.result.Completed());
  EXPECT_EQ(cp1252.model.tableEncoding, TableEncoding::kWindows1252);
  EXPECT_EQ(cp1252.progress.messages.front().rfind("Jeu", 0), std::string::npos);
  EXPECT_EQ(Tables(cp1252.model), ToCp1252(tables));
}

TEST(CharsetConversion, WhichSetAndTheMessageLine) {
  const std::string ascii = "0 @I1@ INDI\n1 NAME Jean /Martin/\n0 TRLR\n";
  const std::string latin = "0 @I1@ INDI\n1 NAME Jos\xE9 /Martin/\n0 TRLR\n";
  const std::string utf8 = "0 @I1@ INDI\n1 NAME Jos\xC3\xA9 /Martin/\n0 TRLR\n";
  struct Case {
    std::string bytes;
    std::optional<Charset> chosen;
    Charset used;
    const char* line;  // the first message when it names the set, else nullptr
  } cases[] = {
      {WithHead(nullptr, ascii), {}, Charset::kWindows1252, nullptr},
      {WithHead("ANSI", latin), {}, Charset::kWindows1252, nullptr},
      {WithHead(" windows-1252 ", latin), {}, Charset::kWindows1252, nullptr},
      // Bytes that are not UTF-8 decide nothing: the CHAR value stands, a stray byte is read
      // as Windows-1252.
      {WithHead("UTF-8", latin), {}, Charset::kUtf8, "Jeu de caract\xE8res UTF-8"},
      {WithHead("NOSUCHSET", latin), {}, Charset::kWindows1252,
       "Jeu de caract\xE8res Windows-1252 (CHAR NOSUCHSET)"},
      {WithHead("IBMPC", latin), {}, Charset::kCp437, "Jeu de caract\xE8res CP437"},
      {WithHead("MSDOS", ascii), {}, Charset::kCp850, "Jeu de caract\xE8res CP850"},
      {WithHead("MACINTOSH", latin), {}, Charset::kMacRoman, "Jeu de caract\xE8res MACINTOSH"},
      {WithHead("ANSEL", ascii), {}, Charset::kAnsel, "Jeu de caract\xE8res ANSEL"},
      {"0 HEAD\n1 GEDC\n2 VERS 7.0\n" + ascii, {}, Charset::kUtf8, "Jeu de caract\xE8res UTF-8"},
      {WithHead("ANSI", utf8), {}, Charset::kUtf8, "Jeu de caract\xE8res UTF-8 (CHAR ANSI)"},
      // A user's choice wins, and the message list does not repeat it.
      {WithHead("UTF-8", latin), Charset::kCp850, Charset::kCp850, nullptr},
      {"\xEF\xBB\xBF" + WithHead(nullptr, ascii), Charset::kWindows1252, Charset::kWindows1252,
       nullptr},
  };
  for (const Case& c : cases) {
    Converted run;
    ConversionOptions options;
    options.charset = c.chosen;
    Convert(run, c.bytes, options);
    ASSERT_TRUE(run.result.Completed()) << c.bytes;
    EXPECT_EQ(run.model.charset, c.used) << c.bytes;
    if (c.line) {
      EXPECT_EQ(run.progress.messages.front(), c.line) << c.bytes;
    } else {
      EXPECT_EQ(run.progress.messages.front().rfind("Jeu", 0), std::string::npos) << c.bytes;
    }
  }
  // A chosen Windows-1252 skips no UTF-8 mark: it is read as three characters of the first line.
  Converted marked;
  ConversionOptions options;
  options.charset = Charset::kWindows1252;
  options.properNames = false;
  Convert(marked, "\xEF\xBB\xBF" "0 @I1@ INDI\n0 @I2@ INDI\n1 NAME \xEF\xBB\xBF /X/\n", options);
  ASSERT_TRUE(marked.result.Completed());
  EXPECT_EQ(marked.model.counts.individuals, 1);
  EXPECT_EQ(std::string(marked.model.givenNames->Entry(0).text), "\xEF\xBB\xBF");
}

TEST(CharsetConversion, TheSetLineComesBeforeNoIndividualFound) {
  Converted run;
  Convert(run, WithHead("UTF-8", "0 @F1@ FAM\n1 NOTE \xC3\xA9t\xC3\xA9\n"));
  EXPECT_EQ(run.result.outcome, ConversionOutcome::kNoIndividual);
  EXPECT_EQ(run.progress.messages,
            (std::vector<std::string>{"Jeu de caract\xE8res UTF-8", "Aucun individu trouv\xE9!"}));
}

TEST(CharsetConversion, ReplacedCharactersAndBytesReadAsWindows1252AreCounted) {
  Converted run;
  ConversionOptions options;
  options.tableEncoding = TableEncoding::kWindows1252;
  // Ł and ő have no Windows-1252 form; é has.
  Convert(run, WithHead("UTF-8", "0 @I1@ INDI\n1 NAME \xC5\x81ukasz /Erd\xC5\x91s/\n"
                                 "1 OCCU caf\xC3\xA9\n0 TRLR\n"),
          options);
  ASSERT_TRUE(run.result.Completed());
  EXPECT_EQ(std::string(run.model.givenNames->Entry(0).text), "?ukasz");
  EXPECT_EQ(std::string(run.model.individuals[0].occupation), "caf\xE9");
  EXPECT_EQ(run.result.decoded.replaced, 2u);
  EXPECT_EQ(run.progress.messages.back(), "2 caract\xE8res remplac\xE9s par ?");

  // A file that says UTF-8 but holds a stray Windows-1252 byte: the byte is read as é, counted.
  Converted stray;
  Convert(stray, WithHead("UTF-8", "0 @I1@ INDI\n1 NAME Jos\xE9 /D\xC3\xA9vot/\n0 TRLR\n"));
  EXPECT_EQ(stray.model.charset, Charset::kUtf8);
  EXPECT_EQ(std::string(stray.model.givenNames->Entry(0).text), "Jos\xC3\xA9");
  EXPECT_EQ(stray.progress.messages.back(), "1 octets lus en Windows-1252");
}

TEST(CharsetConversion, LettersOfUtf8Texts) {
  Converted run;
  Convert(run, WithHead("UTF-8",
                        "0 @I1@ INDI\n1 NAME \xC3\x89LISE /STRAUSS/\n"
                        "0 @I2@ INDI\n1 NAME \xC3\xA9lise /Strau\xC3\x9F/\n"
                        "0 @I3@ INDI\n1 NAME _x /Zola/\n0 TRLR\n"));
  ASSERT_TRUE(run.result.Completed());
  // Full case folding: ß is ss; the first spelling stays, in proper case.
  EXPECT_EQ(run.model.surnames->count, 2);
  EXPECT_EQ(run.model.individuals[1].surname, run.model.individuals[0].surname);
  EXPECT_EQ(std::string(run.model.givenNames->Entry(0).text), "\xC3\x89lise");
  // The order folds to small letters: '_' comes before the letters.
  const std::vector<int>& order = run.model.givenNames->AlphabeticalOrder();
  EXPECT_EQ(std::string(run.model.givenNames->Entry(order.front()).text), "_x");
}

TEST(CharsetConversion, CutsNeverSplitACharacter) {
  // A date whose last character would take bytes 31 and 32: it is cut before that character.
  const std::string date = "1 JAN 1850 " + std::string(19, 'x') + "\xC3\xA9";
  // A note whose 8191st byte falls inside a character, and whose é is cut by a CONC line.
  std::string note = std::string(8190, 'n');
  Converted run;
  Convert(run, WithHead("UTF-8", "0 @I1@ INDI\n1 BIRT\n2 DATE " + date + "\n1 NOTE " + note +
                                     "\xC3\n2 CONC \xA9\n0 @I2@ INDI\n1 NOTE caf\xC3\n"
                                     "2 CONC \xA9 noir\n0 TRLR\n"));
  ASSERT_TRUE(run.result.Completed());
  EXPECT_EQ(run.model.charset, Charset::kUtf8);
  EXPECT_EQ(std::string(run.model.individuals[0].birthDate), date.substr(0, 30));
  EXPECT_EQ(std::string(run.model.individualNotes[0].text), note);
  EXPECT_EQ(std::string(run.model.individualNotes[1].text), "caf\xC3\xA9 noir");
  EXPECT_EQ(run.result.decoded.readAsCp1252, 0u);
}

}  // namespace
}  // namespace brimsel

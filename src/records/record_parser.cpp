// A part's records parsed into rows. Each line opens a structure on a stack; a structure is
// closed, and its row written, when a line of its level or above comes, so that a row has every
// value its lines below gave. Ids are given when a structure opens, in file order.
#include "records/record_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/code_page.h"
#include "platform/utf8.h"
#include "records/gedcom_date.h"
#include "records/gedcom_line_parts.h"
#include "records/text_ids.h"

namespace brimsel {
namespace {

// The tags the reader knows; every other tag is kUnknown.
enum class Tag : std::uint8_t {
  kUnknown,
  kHead,
  kIndi,
  kFam,
  kSour,
  kRepo,
  kObje,
  kNote,
  kSnote,
  kSubm,
  kSubn,
  kTrlr,
  kName,
  kSex,
  kResn,
  kFamc,
  kFams,
  kAsso,
  kAlia,
  kAnci,
  kDesi,
  kChan,
  kCrea,
  kDate,
  kTime,
  kType,
  kHusb,
  kWife,
  kChil,
  kRefn,
  kRin,
  kUidCustom,
  kUid,
  kExid,
  kAfn,
  kRfn,
  kTitl,
  kAuth,
  kPubl,
  kAbbr,
  kText,
  kData,
  kAgnc,
  kEven,
  kPage,
  kQuay,
  kRole,
  kRela,
  kCaln,
  kMedi,
  kAddr,
  kAdr1,
  kAdr2,
  kAdr3,
  kCity,
  kStae,
  kPost,
  kCtry,
  kPhon,
  kEmail,
  kWww,
  kFile,
  kForm,
  kTran,
  kLang,
  kMime,
  kGivn,
  kSurn,
  kNpfx,
  kNsfx,
  kNick,
  kSpfx,
  kPlac,
  kMap,
  kLati,
  kLong,
  kAge,
  kCaus,
  kReli,
  kSdate,
  kPhrase,
  kTemp,
  kStat,
  kPedi,
  kAdop,
  kCont,
  kConc,
  kBirt,
  kChr,
  kDeat,
  kBuri,
  kCrem,
  kBapm,
  kBarm,
  kBasm,
  kBles,
  kChra,
  kConf,
  kFcom,
  kOrdn,
  kNatu,
  kEmig,
  kImmi,
  kCens,
  kProb,
  kWill,
  kGrad,
  kReti,
  kCast,
  kDscr,
  kEduc,
  kIdno,
  kNati,
  kNchi,
  kNmr,
  kOccu,
  kProp,
  kResi,
  kSsn,
  kFact,
  kAnul,
  kDiv,
  kDivf,
  kEnga,
  kMarb,
  kMarc,
  kMarr,
  kMarl,
  kMars,
  kBapl,
  kConl,
  kEndl,
  kInil,
  kSlgc,
  kSlgs,
  kNo,
  kCount
};

struct TagName {
  const char* name;
  Tag tag;
};
constexpr TagName kTagNames[] = {
    {"HEAD", Tag::kHead}, {"INDI", Tag::kIndi}, {"FAM", Tag::kFam},        {"SOUR", Tag::kSour},
    {"REPO", Tag::kRepo}, {"OBJE", Tag::kObje}, {"NOTE", Tag::kNote},      {"SNOTE", Tag::kSnote},
    {"SUBM", Tag::kSubm}, {"SUBN", Tag::kSubn}, {"TRLR", Tag::kTrlr},      {"NAME", Tag::kName},
    {"SEX", Tag::kSex},   {"RESN", Tag::kResn}, {"FAMC", Tag::kFamc},      {"FAMS", Tag::kFams},
    {"ASSO", Tag::kAsso}, {"ALIA", Tag::kAlia}, {"ANCI", Tag::kAnci},      {"DESI", Tag::kDesi},
    {"CHAN", Tag::kChan}, {"CREA", Tag::kCrea}, {"DATE", Tag::kDate},      {"TIME", Tag::kTime},
    {"TYPE", Tag::kType}, {"HUSB", Tag::kHusb}, {"WIFE", Tag::kWife},      {"CHIL", Tag::kChil},
    {"REFN", Tag::kRefn}, {"RIN", Tag::kRin},   {"_UID", Tag::kUidCustom}, {"UID", Tag::kUid},
    {"EXID", Tag::kExid}, {"AFN", Tag::kAfn},   {"RFN", Tag::kRfn},        {"TITL", Tag::kTitl},
    {"AUTH", Tag::kAuth}, {"PUBL", Tag::kPubl}, {"ABBR", Tag::kAbbr},      {"TEXT", Tag::kText},
    {"DATA", Tag::kData}, {"AGNC", Tag::kAgnc}, {"EVEN", Tag::kEven},      {"PAGE", Tag::kPage},
    {"QUAY", Tag::kQuay}, {"ROLE", Tag::kRole}, {"RELA", Tag::kRela},      {"CALN", Tag::kCaln},
    {"MEDI", Tag::kMedi}, {"ADDR", Tag::kAddr}, {"ADR1", Tag::kAdr1},      {"ADR2", Tag::kAdr2},
    {"ADR3", Tag::kAdr3}, {"CITY", Tag::kCity}, {"STAE", Tag::kStae},      {"POST", Tag::kPost},
    {"CTRY", Tag::kCtry}, {"PHON", Tag::kPhon}, {"EMAIL", Tag::kEmail},    {"WWW", Tag::kWww},
    {"FILE", Tag::kFile}, {"FORM", Tag::kForm}, {"TRAN", Tag::kTran},      {"LANG", Tag::kLang},
    {"MIME", Tag::kMime}, {"GIVN", Tag::kGivn}, {"SURN", Tag::kSurn},      {"NPFX", Tag::kNpfx},
    {"NSFX", Tag::kNsfx}, {"NICK", Tag::kNick}, {"SPFX", Tag::kSpfx},      {"PLAC", Tag::kPlac},
    {"MAP", Tag::kMap},   {"LATI", Tag::kLati}, {"LONG", Tag::kLong},      {"AGE", Tag::kAge},
    {"CAUS", Tag::kCaus}, {"RELI", Tag::kReli}, {"SDATE", Tag::kSdate},    {"PHRASE", Tag::kPhrase},
    {"TEMP", Tag::kTemp}, {"STAT", Tag::kStat}, {"PEDI", Tag::kPedi},      {"ADOP", Tag::kAdop},
    {"CONT", Tag::kCont}, {"CONC", Tag::kConc}, {"BIRT", Tag::kBirt},      {"CHR", Tag::kChr},
    {"DEAT", Tag::kDeat}, {"BURI", Tag::kBuri}, {"CREM", Tag::kCrem},      {"BAPM", Tag::kBapm},
    {"BARM", Tag::kBarm}, {"BASM", Tag::kBasm}, {"BLES", Tag::kBles},      {"CHRA", Tag::kChra},
    {"CONF", Tag::kConf}, {"FCOM", Tag::kFcom}, {"ORDN", Tag::kOrdn},      {"NATU", Tag::kNatu},
    {"EMIG", Tag::kEmig}, {"IMMI", Tag::kImmi}, {"CENS", Tag::kCens},      {"PROB", Tag::kProb},
    {"WILL", Tag::kWill}, {"GRAD", Tag::kGrad}, {"RETI", Tag::kReti},      {"CAST", Tag::kCast},
    {"DSCR", Tag::kDscr}, {"EDUC", Tag::kEduc}, {"IDNO", Tag::kIdno},      {"NATI", Tag::kNati},
    {"NCHI", Tag::kNchi}, {"NMR", Tag::kNmr},   {"OCCU", Tag::kOccu},      {"PROP", Tag::kProp},
    {"RESI", Tag::kResi}, {"SSN", Tag::kSsn},   {"FACT", Tag::kFact},      {"ANUL", Tag::kAnul},
    {"DIV", Tag::kDiv},   {"DIVF", Tag::kDivf}, {"ENGA", Tag::kEnga},      {"MARB", Tag::kMarb},
    {"MARC", Tag::kMarc}, {"MARR", Tag::kMarr}, {"MARL", Tag::kMarl},      {"MARS", Tag::kMars},
    {"BAPL", Tag::kBapl}, {"CONL", Tag::kConl}, {"ENDL", Tag::kEndl},      {"INIL", Tag::kInil},
    {"SLGC", Tag::kSlgc}, {"SLGS", Tag::kSlgs}, {"NO", Tag::kNo},
};

// Tags of up to 8 bytes packed into an integer, looked up in an open-addressed table: a tag is
// looked up on every line.
class TagTable {
 public:
  TagTable() {
    for (const TagName& t : kTagNames) {
      const std::uint64_t key = Pack(t.name);
      std::size_t at = Slot(key);
      while (keys_[at] != 0) at = (at + 1) & (kSize - 1);
      keys_[at] = key;
      tags_[at] = t.tag;
      names_[static_cast<std::size_t>(t.tag)] = t.name;
    }
  }
  Tag Find(std::string_view text) const {
    if (text.empty() || text.size() > 8) return Tag::kUnknown;
    const std::uint64_t key = Pack(text);
    for (std::size_t at = Slot(key);; at = (at + 1) & (kSize - 1)) {
      if (keys_[at] == key) return tags_[at];
      if (keys_[at] == 0) return Tag::kUnknown;
    }
  }
  const char* Name(Tag tag) const { return names_[static_cast<std::size_t>(tag)]; }

 private:
  static constexpr std::size_t kSize = 512;
  // The bytes of the text in the low bytes of the key. Four-letter tags, the most frequent,
  // load at once; a copy of a variable size would stall the load of the key that follows it.
  static std::uint64_t Pack(std::string_view text) {
    if (text.size() == 4) {
      std::uint32_t word;
      std::memcpy(&word, text.data(), 4);
      return word;
    }
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      key |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    }
    return key;
  }
  static std::size_t Slot(std::uint64_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 55);
  }
  std::uint64_t keys_[kSize] = {};
  Tag tags_[kSize] = {};
  const char* names_[static_cast<std::size_t>(Tag::kCount)] = {};
};

const TagTable& Tags() {
  static const TagTable table;
  return table;
}

// The level-1 tags of a person or a family that make an event row.
bool IsEventTag(Tag t) {
  return (t >= Tag::kBirt && t <= Tag::kNo) || t == Tag::kAdop || t == Tag::kEven ||
         t == Tag::kReli || t == Tag::kTitl;
}

bool IsIdentifierTag(Tag t) {
  return t >= Tag::kRefn && t <= Tag::kRfn;
}

// What an open structure is; it decides how the lines below it are read.
enum class Node : std::uint8_t {
  kIgnored,           // nothing typed of its own; generic structures below it still count
  kRecord,            // the level-0 line
  kName,              // a person's NAME
  kEvent,             // an event or attribute of a person or family
  kField,             // a value that fills a slot of another structure when it closes
  kDate,              // a DATE read into date columns
  kPlace,             // a PLAC
  kMap,               // MAP under PLAC
  kAddress,           // ADDR and its parts
  kFamilyLink,        // a person's FAMC or FAMS
  kEventFamily,       // FAMC under an event
  kSpouse,            // HUSB or WIFE under a family event (their AGE)
  kNote,              // a NOTE with its own text
  kCitation,          // SOUR at level 1 or more
  kCitationData,      // DATA under a citation
  kCitationEvent,     // EVEN under a citation
  kMediaLink,         // OBJE at level 1 or more
  kMediaFile,         // FILE of a media record or link
  kMediaForm,         // FORM of a media record, link or file
  kAssociation,       // ASSO
  kIdentifier,        // REFN, RIN, _UID, UID, EXID, AFN, RFN
  kSourceRepository,  // REPO under a source record
  kCallNumber,        // CALN under it
  kSourceData,        // DATA under a source record
  kChange,            // CHAN or CREA of a record
  kChangeDate,        // its DATE
  kTranslation,       // TRAN
};

// Slots: values a structure's lines below it give, by structure.
namespace slot {
// Every record.
constexpr int kRestriction = 0, kChanged = 1, kChangedTime = 2, kCreated = 3, kCreatedTime = 4;
// Person.
constexpr int kSex = 5;
// Source.
constexpr int kTitle = 5, kAuthor = 6, kPublication = 7, kAbbreviation = 8, kSourceText = 9,
              kAgency = 10;
// Repository and submitter.
constexpr int kName = 5, kAddress = 6, kPhone = 7, kEmail = 8, kWebsite = 9, kLanguage = 10;
// Media records and links.
constexpr int kFile = 5, kFormat = 6, kMedium = 7, kMediaTitle = 8;
// Note records and inline notes.
constexpr int kNoteMime = 11, kNoteLanguage = 12;
// Events.
constexpr int kType = 0, kAge = 1, kHusbandAge = 2, kWifeAge = 3, kCause = 4, kEventAgency = 5,
              kReligion = 6, kEventAddress = 7, kEventRestriction = 8, kTemple = 9, kStatus = 10,
              kAdoptedBy = 11, kSortDate = 12;
// Dates, in events and citations alike.
constexpr int kDateText = 14, kDatePhrase = 15;
// Names.
constexpr int kNameType = 0, kPrefix = 1, kGiven = 2, kNickname = 3, kSurnamePrefix = 4,
              kSurname = 5, kSuffix = 6;
// Person's family links.
constexpr int kPedigree = 0, kLinkStatus = 1;
// Citations.
constexpr int kPage = 0, kQuality = 1, kCitationText = 2, kEventType = 3, kRole = 4;
// Associations.
constexpr int kRelation = 0, kPhrase = 1;
// Identifiers.
constexpr int kIdentifierType = 0;
// Repository citations.
constexpr int kCallNumber = 0, kCallMedium = 1;
// Translations.
constexpr int kTranslationLanguage = 0, kTranslationMime = 1;
// Address parts ADR1 ADR2 ADR3 CITY STAE POST CTRY.
constexpr int kFirstAddressPart = 0, kAddressParts = 7;
}  // namespace slot

// What a translation translates.
enum class Translated : std::uint8_t { kName, kNote, kPlace, kMedia };

// Bytes of the record's lines, or of the values joined from several lines.
struct Span {
  std::size_t offset = 0;
  std::size_t size = 0;
  std::uint8_t where = 0;  // 0: none, 1: the record's lines, 2: the joined values
  explicit operator bool() const { return where != 0; }
};
constexpr std::uint8_t kInLines = 1;
constexpr std::uint8_t kInJoined = 2;

// The structures a line lies in, for the owner columns of the rows made below them. Person,
// family, source and media hold final ids; the others the part's ids. 0: none.
struct Owner {
  std::int64_t person = 0;
  std::int64_t family = 0;
  std::int64_t source = 0;
  std::int64_t media = 0;
  std::int64_t event = 0;
  std::int64_t personName = 0;
  std::int64_t citation = 0;
  std::int64_t association = 0;
  std::int64_t note = 0;
};

constexpr int kSlots = 16;

struct Frame {
  Node node = Node::kIgnored;
  Tag tag = Tag::kUnknown;
  std::uint8_t slot = 0;  // kField, kSpouse, kChange: the slot it fills; kTranslation: Translated
  int level = 0;
  std::size_t sink = 0;      // the frame whose slots the lines below fill
  std::int64_t id = 0;       // its row's id
  std::int64_t linkId = 0;   // kNote: its note_link row's id
  std::int64_t seq = 0;      // kName, kEvent: its rank among the record's
  std::int64_t pointer = 0;  // the record it points to (final id), 0 for none
  std::int64_t place = 0;    // kEvent, kPlace: the part's place id
  std::int64_t childOf = 0;  // kEvent: the family of a FAMC below it
  Span tagText;
  Span value;
  // A value continued by CONT or CONC lines is joined here while the structure is open, and
  // moved to the record's joined values when it closes: each byte is copied twice at most,
  // whatever the order of the continued structures.
  std::string joinedText;
  bool joinedHere = false;
  bool pointerForm =
      false;  // kCitation: a SOUR that points to a record, whose text is no description
  std::uint32_t filled = 0;  // bit i: slots[i] holds a value
  std::array<Span, kSlots> slots;
  Owner owner;
  bool hasDate = false;
  ReadDate date;
  std::optional<std::int64_t> sortDay;  // from SDATE

  bool Has(int s) const { return (filled >> s) & 1u; }
  void Set(int s, Span v) {
    if (Has(s)) return;  // the first line of a kind counts
    slots[static_cast<std::size_t>(s)] = v;
    filled |= 1u << s;
  }
};

// A coordinate: N, S, E or W and a decimal number, or a signed decimal number. False when
// the text is none of them or out of range.
bool ReadCoordinate(std::string_view text, bool latitude, double& out) {
  if (text.empty()) return false;
  double sign = 1;
  const char c = static_cast<char>(text.front() & ~0x20);
  if (c == 'N' || c == 'S' || c == 'E' || c == 'W') {
    if ((c == 'N' || c == 'S') != latitude) return false;
    sign = c == 'S' || c == 'W' ? -1 : 1;
    text.remove_prefix(1);
  } else if (text.front() == '+') {
    text.remove_prefix(1);
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  if (std::fabs(v) > (latitude ? 90.0 : 180.0)) return false;
  out = sign * v;
  return true;
}

// The UTF-8 form of each Windows-1252 byte, as the text decoder makes it: its characters are
// all left alone by normalization.
struct Windows1252Table {
  char bytes[256][4] = {};
  unsigned char length[256] = {};
  Windows1252Table() {
    for (int b = 0; b < 256; ++b) {
      std::string utf8;
      AppendUtf8(utf8, Cp1252ToCodePoint(static_cast<unsigned char>(b)));
      length[b] = static_cast<unsigned char>(utf8.size());
      std::memcpy(bytes[b], utf8.data(), utf8.size());
    }
  }
};

}  // namespace

struct RecordParser::State {
  State(const FileIndex& file, const FileCharset& charset)
      : index(file.xrefs),
        duplicates(file.duplicates),
        decoder(charset, TableEncoding::kUtf8),
        windows1252(charset == Charset::kWindows1252),
        lineWise(charset == Charset::kAnsel || charset == Charset::kConverter) {
    frames.resize(16);
  }

  void Begin(const PartStart& part, PartRows& rows) {
    start = &part;
    out = &rows;
    out->Clear();
    placeIds.Clear();
    pedigreeIds.Clear();
    inRecord = false;
    depth = 0;
    kindCounts = {};
  }

  const XrefIndex& index;
  const std::vector<FileIndex::Duplicate>& duplicates;
  const PartStart* start = nullptr;
  PartRows* out = nullptr;
  TextDecoder decoder;
  // Windows-1252 decodes byte by byte to characters that normalization leaves alone: a table
  // does what the decoder would.
  bool windows1252;
  bool lineWise;  // ANSEL and converters: decode the record's lines one by one

  std::string lines;   // the record's lines, joined with '\n'
  std::string joined;  // values continued by CONT or CONC
  std::string scratch;
  std::string windowsScratch;  // its size is its capacity: see DecodeWindows1252
  std::string text;            // a decoded text kept while another one is decoded
  std::string recordText;
  std::vector<Frame> frames;
  std::size_t depth = 0;  // frames open; frames[0] is the record's line
  TextIds placeIds;       // the part's places by name
  TextIds pedigreeIds;    // the part's PEDI texts

  bool inRecord = false;
  std::int64_t lineNumber = 0;  // the file's number of the current line
  std::int64_t recordId = 0;
  std::int64_t recordLine = 0;
  RecordKind kind = RecordKind::kNone;
  Span xref;                // the record's cross-reference, without its '@'
  std::int64_t kindId = 0;  // the record's id in its kind's table
  std::array<std::int64_t, kRecordKindCount> kindCounts{};
  int lastLevel = 0;
  std::int64_t husband = 0, wife = 0;
  bool husbandSeen = false, wifeSeen = false;
  std::int64_t nameSeq = 0, eventSeq = 0, familySeq = 0, childSeq = 0;

  RowBlock& Block(CompleteTable t) { return out->blocks[static_cast<std::size_t>(t)]; }
  std::int64_t NextId(CompleteTable t) { return ++out->localIds[static_cast<std::size_t>(t)]; }

  // --- Texts -------------------------------------------------------------------------------

  std::string_view Raw(Span s) const {
    if (!s) return {};
    const std::string& from = s.where == kInLines ? lines : joined;
    return std::string_view(from).substr(s.offset, s.size);
  }
  // The decoded text of raw bytes, valid until the next call.
  std::string_view Decode(std::string_view raw) {
    if (windows1252) return IsAscii(raw) ? raw : DecodeWindows1252(raw);
    if (decoder.DecodeChanged(raw, scratch, out->decoded)) return scratch;
    return raw;
  }
  std::string_view Value(Span s) { return TrimLineBlanks(Decode(Raw(s))); }

  // A single typed value: trimmed, NULL when empty.
  void ValueCell(RowBlock& b, Span s) {
    if (s) {
      b.TextOrNull(Value(s));
    } else {
      b.Null();
    }
  }
  // A text as the file has it (notes, texts): NULL when absent or, with `emptyIsNull`, empty.
  void TextCell(RowBlock& b, Span s, bool emptyIsNull) {
    if (!s) {
      if (emptyIsNull) {
        b.Null();
      } else {
        b.Text({});
      }
      return;
    }
    const std::string_view v = Decode(Raw(s));
    if (v.empty() && emptyIsNull) {
      b.Null();
    } else {
      b.Text(v);
    }
  }
  static void IdCell(RowBlock& b, std::int64_t id) {
    if (id > 0) {
      b.Integer(id);
    } else {
      b.Null();
    }
  }
  // A DATE and TIME pair, as CHAN and CREA hold them.
  void DateTimeCell(RowBlock& b, const Frame& f, int dateSlot, int timeSlot) {
    text.assign(f.Has(dateSlot) ? Value(f.slots[dateSlot]) : std::string_view());
    const std::string_view time = f.Has(timeSlot) ? Value(f.slots[timeSlot]) : std::string_view();
    if (!time.empty()) {
      if (!text.empty()) text += ' ';
      text.append(time);
    }
    b.TextOrNull(text);
  }
  Span SlotOf(const Frame& f, int s) const {
    return f.Has(s) ? f.slots[static_cast<std::size_t>(s)] : Span{};
  }

  // Adds the value of a CONT (with a line end) or CONC line to the structure's value.
  void Continue(Frame& f, bool newLine, std::string_view raw) {
    if (!f.joinedHere) {
      f.joinedText.assign(Raw(f.value));
      f.joinedHere = true;
    }
    if (newLine) f.joinedText += '\n';
    f.joinedText.append(raw);
  }

  // --- Issues and pointers ---------------------------------------------------------------------

  void Issue(std::string_view message) {
    RowBlock& b = Block(CompleteTable::kImportIssue);
    b.Integer(NextId(CompleteTable::kImportIssue));
    b.Integer(lineNumber);
    IdCell(b, recordId);
    b.Text(message);
  }
  std::string XrefText(std::string_view xref) {
    std::string m = "@";
    m.append(Decode(xref));
    m += '@';
    return m;
  }
  // The record a pointer value names, when it is of `want` (kOther: any kind). A pointer that
  // names nothing suitable is an issue; @VOID@ and a value that is no pointer are not.
  bool Resolve(std::string_view value, RecordKind want, XrefTarget& target) {
    const std::string_view xref = PointerIn(value);
    if (xref.empty() || IsVoidPointer(xref)) return false;
    if (!index.Find(xref, target)) {
      Issue(XrefText(xref) + " names no record");
      return false;
    }
    if (want != RecordKind::kOther && target.kind != want) {
      Issue(XrefText(xref) + " names a " + RecordKindName(target.kind) + " record, not " +
            RecordKindName(want));
      return false;
    }
    return true;
  }
  // The id in its kind's table of the record a pointer names, or 0.
  std::int64_t Pointer(std::string_view value, RecordKind want) {
    XrefTarget target;
    return Resolve(value, want, target) ? target.rank + 1 : 0;
  }

  // Windows-1252 into UTF-8: eight bytes at a time while they are ASCII, the others through a
  // table of their UTF-8 forms. The scratch buffer only grows, so that it is not cleared each
  // time.
  std::string_view DecodeWindows1252(std::string_view raw) {
    static const Windows1252Table kTable;
    if (windowsScratch.size() < 3 * raw.size() + 8) windowsScratch.resize(3 * raw.size() + 8);
    char* out = windowsScratch.data();
    const char* p = raw.data();
    const char* const end = p + raw.size();
    while (p < end) {
      if (end - p >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if ((w & 0x8080808080808080ull) == 0) {
          std::memcpy(out, p, 8);
          out += 8;
          p += 8;
          continue;
        }
      }
      const auto b = static_cast<unsigned char>(*p++);
      std::memcpy(out, kTable.bytes[b], 4);
      out += kTable.length[b];
    }
    return {windowsScratch.data(), static_cast<std::size_t>(out - windowsScratch.data())};
  }

  // --- Places ----------------------------------------------------------------------------------

  std::int64_t InternPlace(std::string_view name) {
    const auto nameOf = [&](std::int64_t id) -> std::string_view {
      return out->PlaceName(out->places[static_cast<std::size_t>(id - 1)]);
    };
    if (const std::int64_t id = placeIds.Find(name, nameOf)) return id;
    out->places.push_back({out->placeNames.size(), name.size(), std::nullopt, std::nullopt});
    out->placeNames.append(name);
    const auto id = static_cast<std::int64_t>(out->places.size());
    placeIds.Add(name, id, nameOf);
    return id;
  }

  // --- Lines -----------------------------------------------------------------------------------

  void Line(std::string_view line) {
    lineNumber = start->firstLine + out->lines;
    ++out->lines;
    const GedcomLineParts p = SplitGedcomLine(line);
    if (p.valid && p.level == 0) {
      CloseRecord();
      OpenRecord(line, p);
      return;
    }
    if (!inRecord) OpenLinesBeforeRecords();
    const std::size_t at = AppendLine(line);
    if (!p.valid) {
      Issue("not a GEDCOM line");
      return;
    }
    if (p.level > lastLevel + 1) {
      Issue("level " + std::to_string(p.level) + " after level " + std::to_string(lastLevel));
    }
    lastLevel = p.level;
    while (depth > 1 && frames[depth - 1].level >= p.level) CloseTop();
    OpenChild(p, line, at);
  }

  std::size_t AppendLine(std::string_view line) {
    if (!lines.empty() || recordLine != lineNumber) lines += '\n';
    const std::size_t at = lines.size();
    lines.append(line);
    return at;
  }

  Frame& Push(Tag tag, int level, Span tagText, Span value) {
    if (depth == frames.size()) frames.resize(frames.size() * 2);
    Frame& f = frames[depth];
    f.node = Node::kIgnored;
    f.tag = tag;
    f.slot = 0;
    f.level = level;
    f.sink = depth;
    f.id = f.linkId = f.seq = f.pointer = f.place = f.childOf = 0;
    f.tagText = tagText;
    f.value = value;
    f.filled = 0;
    f.joinedHere = false;
    f.pointerForm = false;
    f.owner = depth > 0 ? frames[depth - 1].owner : Owner{};
    f.hasDate = false;
    f.sortDay.reset();
    ++depth;
    return f;
  }

  void StartRecord(RecordKind k) {
    ++out->records;
    recordId = start->records + out->records;
    kind = k;
    kindId = start->kinds[static_cast<std::size_t>(k)] + ++kindCounts[static_cast<std::size_t>(k)];
    recordLine = lineNumber;
    xref = {};
    lines.clear();
    joined.clear();
    lastLevel = 0;
    husband = wife = 0;
    husbandSeen = wifeSeen = false;
    nameSeq = eventSeq = familySeq = childSeq = 0;
    inRecord = true;
  }

  void OpenLinesBeforeRecords() {
    StartRecord(RecordKind::kNone);
    Frame& f = Push(Tag::kUnknown, 0, {}, {});
    f.node = Node::kRecord;
    Issue("lines before the first record");
  }

  void OpenRecord(std::string_view line, const GedcomLineParts& p) {
    StartRecord(RecordKindOfTag(p.tag));
    lines.append(line);
    const Span tagText{static_cast<std::size_t>(p.tag.data() - line.data()), p.tag.size(),
                       kInLines};
    Frame& f = Push(Tags().Find(p.tag), 0, tagText,
                    {p.valueOffset, line.size() - p.valueOffset, kInLines});
    f.node = Node::kRecord;
    if (!p.xref.empty())
      xref = {static_cast<std::size_t>(p.xref.data() - line.data()), p.xref.size(), kInLines};
    switch (kind) {
      case RecordKind::kPerson:
        f.owner.person = kindId;
        break;
      case RecordKind::kFamily:
        f.owner.family = kindId;
        break;
      case RecordKind::kSource:
        f.owner.source = kindId;
        break;
      case RecordKind::kMedia:
        f.owner.media = kindId;
        break;
      case RecordKind::kNote:
        f.id = NextId(CompleteTable::kNote);
        f.owner.note = f.id;
        out->noteRecords.emplace_back(kindId - 1, f.id);
        break;
      default:
        break;
    }
    if (!p.xref.empty() && !duplicates.empty()) {
      const auto it = std::lower_bound(
          duplicates.begin(), duplicates.end(), recordId,
          [](const FileIndex::Duplicate& d, std::int64_t record) { return d.record < record; });
      if (it != duplicates.end() && it->record == recordId) {
        Issue("duplicate cross-reference " + XrefText(p.xref) + ": pointers go to record " +
              std::to_string(it->first));
      }
    }
  }

  void CloseRecord() {
    if (!inRecord) return;
    while (depth > 0) CloseTop();
    inRecord = false;
  }

  // --- Opening a line's structure --------------------------------------------------------------

  void OpenChild(const GedcomLineParts& p, std::string_view line, std::size_t at) {
    const std::size_t parentIndex = depth - 1;
    const Span tagText{at + static_cast<std::size_t>(p.tag.data() - line.data()), p.tag.size(),
                       kInLines};
    const Span value{at + p.valueOffset, p.value.size(), kInLines};
    const Tag tag = Tags().Find(p.tag);
    if (tag == Tag::kCont || tag == Tag::kConc) {
      Continue(frames[parentIndex], tag == Tag::kCont, p.value);
      Push(tag, p.level, tagText, value);
      return;
    }
    Frame& f = Push(tag, p.level, tagText, value);
    Frame& parent = frames[parentIndex];
    if (!OpenTyped(parent, parentIndex, f, p.value) && !OpenGeneric(parent, f, p.value) &&
        f.node == Node::kIgnored) {
      // A pointer in a line that no column holds must still name a record.
      XrefTarget target;
      Resolve(p.value, RecordKind::kOther, target);
    }
  }

  // A value that fills slot `s` of frame `sink` when it closes.
  static void Field(Frame& f, std::size_t sink, int s) {
    f.node = Node::kField;
    f.sink = sink;
    f.slot = static_cast<std::uint8_t>(s);
  }

  // The structures that depend on the structure above them. True when the line was taken.
  bool OpenTyped(Frame& parent, std::size_t parentIndex, Frame& f, std::string_view v) {
    const Tag t = f.tag;
    switch (parent.node) {
      case Node::kRecord:
        return OpenRecordChild(parent, parentIndex, f, v);
      case Node::kName: {
        static constexpr std::pair<Tag, int> kParts[] = {
            {Tag::kType, slot::kNameType},      {Tag::kNpfx, slot::kPrefix},
            {Tag::kGivn, slot::kGiven},         {Tag::kNick, slot::kNickname},
            {Tag::kSpfx, slot::kSurnamePrefix}, {Tag::kSurn, slot::kSurname},
            {Tag::kNsfx, slot::kSuffix}};
        for (const auto& [tag, s] : kParts) {
          if (t == tag) {
            Field(f, parentIndex, s);
            return true;
          }
        }
        if (t == Tag::kTran) return OpenTranslation(f, Translated::kName);
        return false;
      }
      case Node::kEvent:
        return OpenEventChild(parent, parentIndex, f, v);
      case Node::kDate:
        if (t == Tag::kPhrase) Field(f, parent.sink, slot::kDatePhrase);
        return t == Tag::kPhrase;
      case Node::kPlace:
        if (t == Tag::kMap) {
          f.node = Node::kMap;
          f.place = parent.place;
          return true;
        }
        if (t == Tag::kLati || t == Tag::kLong) return Coordinate(parent.place, t, v);
        if (t == Tag::kTran) {
          f.place = parent.place;
          return OpenTranslation(f, Translated::kPlace);
        }
        return false;
      case Node::kMap:
        if (t == Tag::kLati || t == Tag::kLong) return Coordinate(parent.place, t, v);
        return false;
      case Node::kAddress: {
        static constexpr Tag kParts[] = {Tag::kAdr1, Tag::kAdr2, Tag::kAdr3, Tag::kCity,
                                         Tag::kStae, Tag::kPost, Tag::kCtry};
        for (int i = 0; i < slot::kAddressParts; ++i) {
          if (t == kParts[i]) {
            Field(f, parentIndex, slot::kFirstAddressPart + i);
            return true;
          }
        }
        return false;
      }
      case Node::kFamilyLink:
        if (t == Tag::kPedi) Field(f, parentIndex, slot::kPedigree);
        if (t == Tag::kStat) Field(f, parentIndex, slot::kLinkStatus);
        return t == Tag::kPedi || t == Tag::kStat;
      case Node::kEventFamily:
        if (t == Tag::kAdop) Field(f, parent.sink, slot::kAdoptedBy);
        return t == Tag::kAdop;
      case Node::kSpouse:
        if (t == Tag::kAge) Field(f, parent.sink, parent.slot);
        return t == Tag::kAge;
      case Node::kNote:
        if (t == Tag::kMime) Field(f, parentIndex, slot::kNoteMime);
        if (t == Tag::kLang) Field(f, parentIndex, slot::kNoteLanguage);
        if (t == Tag::kTran) return OpenTranslation(f, Translated::kNote);
        return t == Tag::kMime || t == Tag::kLang;
      case Node::kCitation:
        switch (t) {
          case Tag::kPage:
            Field(f, parentIndex, slot::kPage);
            return true;
          case Tag::kQuay:
            Field(f, parentIndex, slot::kQuality);
            return true;
          case Tag::kText:
            Field(f, parentIndex, slot::kCitationText);
            return true;
          case Tag::kData:
            f.node = Node::kCitationData;
            f.sink = parentIndex;
            return true;
          case Tag::kEven:
            Field(f, parentIndex, slot::kEventType);
            f.node = Node::kCitationEvent;
            return true;
          default:
            return false;
        }
      case Node::kCitationData:
        if (t == Tag::kDate) return OpenDate(frames[parent.sink], f);
        if (t == Tag::kText) Field(f, parent.sink, slot::kCitationText);
        return t == Tag::kText;
      case Node::kCitationEvent:
        if (t == Tag::kRole) Field(f, parent.sink, slot::kRole);
        return t == Tag::kRole;
      case Node::kMediaLink:
      case Node::kMediaFile:
      case Node::kMediaForm:
        return OpenMediaChild(parent, f);
      case Node::kAssociation:
        if (t == Tag::kRela || t == Tag::kRole) Field(f, parentIndex, slot::kRelation);
        if (t == Tag::kPhrase) Field(f, parentIndex, slot::kPhrase);
        return t == Tag::kRela || t == Tag::kRole || t == Tag::kPhrase;
      case Node::kIdentifier:
        if (t == Tag::kType) Field(f, parentIndex, slot::kIdentifierType);
        return t == Tag::kType;
      case Node::kSourceRepository:
        if (t == Tag::kCaln) {
          Field(f, parentIndex, slot::kCallNumber);
          f.node = Node::kCallNumber;
        }
        return t == Tag::kCaln;
      case Node::kCallNumber:
        if (t == Tag::kMedi) Field(f, parent.sink, slot::kCallMedium);
        return t == Tag::kMedi;
      case Node::kSourceData:
        if (t == Tag::kAgnc) Field(f, parent.sink, slot::kAgency);
        return t == Tag::kAgnc;
      case Node::kChange:
        if (t == Tag::kDate) {
          Field(f, parent.sink, parent.slot);
          f.node = Node::kChangeDate;
        }
        return t == Tag::kDate;
      case Node::kChangeDate:
        if (t == Tag::kTime) Field(f, parent.sink, parent.slot + 1);
        return t == Tag::kTime;
      case Node::kTranslation:
        if (t == Tag::kLang) Field(f, parentIndex, slot::kTranslationLanguage);
        if (t == Tag::kMime || t == Tag::kForm) Field(f, parentIndex, slot::kTranslationMime);
        return t == Tag::kLang || t == Tag::kMime || t == Tag::kForm;
      default:
        return false;
    }
  }

  bool OpenRecordChild(Frame& record, std::size_t recordIndex, Frame& f, std::string_view v) {
    const Tag t = f.tag;
    const bool typed = kind != RecordKind::kNone && kind != RecordKind::kHead &&
                       kind != RecordKind::kSubmission && kind != RecordKind::kTrailer &&
                       kind != RecordKind::kOther;
    if (typed) {
      if (t == Tag::kResn) {
        Field(f, recordIndex, slot::kRestriction);
        return true;
      }
      if (t == Tag::kChan || t == Tag::kCrea) {
        f.node = Node::kChange;
        f.sink = recordIndex;
        f.slot = t == Tag::kChan ? slot::kChanged : slot::kCreated;
        return true;
      }
    }
    switch (kind) {
      case RecordKind::kPerson:
        if (t == Tag::kName) {
          f.node = Node::kName;
          f.id = NextId(CompleteTable::kPersonName);
          f.owner.personName = f.id;
          f.seq = ++nameSeq;
          return true;
        }
        if (t == Tag::kSex) {
          Field(f, recordIndex, slot::kSex);
          return true;
        }
        if (IsEventTag(t)) return OpenEvent(f);
        if (t == Tag::kFamc || t == Tag::kFams) {
          f.node = Node::kFamilyLink;
          f.pointer = Pointer(v, RecordKind::kFamily);
          if (f.pointer != 0) f.id = NextId(CompleteTable::kPersonFamily);
          return true;
        }
        if (t == Tag::kAlia) return Checked(v, RecordKind::kPerson);
        if (t == Tag::kAnci || t == Tag::kDesi || t == Tag::kSubm)
          return Checked(v, RecordKind::kSubmitter);
        return false;
      case RecordKind::kFamily:
        if (t == Tag::kHusb || t == Tag::kWife) {
          const std::int64_t person = Pointer(v, RecordKind::kPerson);
          bool& seen = t == Tag::kHusb ? husbandSeen : wifeSeen;
          if (!seen) (t == Tag::kHusb ? husband : wife) = person;
          seen = true;
          return true;
        }
        if (t == Tag::kChil) {
          const std::int64_t child = Pointer(v, RecordKind::kPerson);
          if (child != 0) out->children.push_back({kindId, child, ++childSeq});
          return true;
        }
        if (IsEventTag(t)) return OpenEvent(f);
        if (t == Tag::kSubm) return Checked(v, RecordKind::kSubmitter);
        return false;
      case RecordKind::kSource: {
        static constexpr std::pair<Tag, int> kFields[] = {{Tag::kTitl, slot::kTitle},
                                                          {Tag::kAuth, slot::kAuthor},
                                                          {Tag::kPubl, slot::kPublication},
                                                          {Tag::kAbbr, slot::kAbbreviation},
                                                          {Tag::kText, slot::kSourceText}};
        for (const auto& [tag, s] : kFields) {
          if (t == tag) {
            Field(f, recordIndex, s);
            return true;
          }
        }
        if (t == Tag::kData) {
          f.node = Node::kSourceData;
          f.sink = recordIndex;
          return true;
        }
        if (t == Tag::kRepo) {
          f.node = Node::kSourceRepository;
          f.id = NextId(CompleteTable::kSourceRepository);
          f.pointer = Pointer(v, RecordKind::kRepository);
          return true;
        }
        return false;
      }
      case RecordKind::kRepository:
      case RecordKind::kSubmitter: {
        static constexpr std::pair<Tag, int> kFields[] = {{Tag::kName, slot::kName},
                                                          {Tag::kPhon, slot::kPhone},
                                                          {Tag::kEmail, slot::kEmail},
                                                          {Tag::kWww, slot::kWebsite},
                                                          {Tag::kLang, slot::kLanguage}};
        for (const auto& [tag, s] : kFields) {
          if (t == tag && (t != Tag::kLang || kind == RecordKind::kSubmitter)) {
            Field(f, recordIndex, s);
            return true;
          }
        }
        if (t == Tag::kAddr) {
          f.node = Node::kAddress;
          f.sink = recordIndex;
          f.slot = slot::kAddress;
          return true;
        }
        return false;
      }
      case RecordKind::kMedia:
        return OpenMediaChild(record, f);
      case RecordKind::kNote:
        if (t == Tag::kMime) Field(f, recordIndex, slot::kNoteMime);
        if (t == Tag::kLang) Field(f, recordIndex, slot::kNoteLanguage);
        if (t == Tag::kTran) return OpenTranslation(f, Translated::kNote);
        return t == Tag::kMime || t == Tag::kLang;
      case RecordKind::kHead:
        if (t == Tag::kSubm) return Checked(v, RecordKind::kSubmitter);
        if (t == Tag::kSubn) return Checked(v, RecordKind::kSubmission);
        return false;
      case RecordKind::kSubmission:
        if (t == Tag::kSubm) return Checked(v, RecordKind::kSubmitter);
        return false;
      default:
        return false;
    }
  }

  // A pointer line kept in no column, checked against `want`.
  bool Checked(std::string_view v, RecordKind want) {
    Pointer(v, want);
    return true;
  }

  bool OpenEvent(Frame& f) {
    f.node = Node::kEvent;
    f.id = NextId(CompleteTable::kEvent);
    f.owner.event = f.id;
    f.seq = ++eventSeq;
    return true;
  }

  bool OpenEventChild(Frame& event, std::size_t eventIndex, Frame& f, std::string_view v) {
    static constexpr std::pair<Tag, int> kFields[] = {
        {Tag::kType, slot::kType},     {Tag::kAge, slot::kAge},
        {Tag::kCaus, slot::kCause},    {Tag::kAgnc, slot::kEventAgency},
        {Tag::kReli, slot::kReligion}, {Tag::kResn, slot::kEventRestriction},
        {Tag::kTemp, slot::kTemple},   {Tag::kStat, slot::kStatus}};
    const Tag t = f.tag;
    for (const auto& [tag, s] : kFields) {
      if (t == tag) {
        Field(f, eventIndex, s);
        return true;
      }
    }
    switch (t) {
      case Tag::kDate:
        return OpenDate(event, f);
      case Tag::kSdate: {
        Field(f, eventIndex, slot::kSortDate);
        const std::string_view text = Value(f.value);
        if (text.empty()) return true;
        const ReadDate d = ReadGedcomDate(text);
        if (!d.readable) {
          Issue("date that no rule reads: " + std::string(text));
        } else if (d.sortDay && !event.sortDay) {
          event.sortDay = d.sortDay;
        }
        return true;
      }
      case Tag::kAddr:
        f.node = Node::kAddress;
        f.sink = eventIndex;
        f.slot = slot::kEventAddress;
        return true;
      case Tag::kHusb:
      case Tag::kWife:
        f.node = Node::kSpouse;
        f.sink = eventIndex;
        f.slot = t == Tag::kHusb ? slot::kHusbandAge : slot::kWifeAge;
        return true;
      case Tag::kFamc: {
        f.node = Node::kEventFamily;
        f.sink = eventIndex;
        const std::int64_t family = Pointer(v, RecordKind::kFamily);
        if (event.childOf == 0) event.childOf = family;
        return true;
      }
      default:
        return false;
    }
  }

  // A DATE whose text goes into the date columns of `target` (the first DATE there).
  bool OpenDate(Frame& target, Frame& f) {
    f.node = Node::kDate;
    f.sink = static_cast<std::size_t>(&target - frames.data());
    const std::string_view text = Value(f.value);
    if (target.hasDate) return true;
    target.hasDate = true;
    target.Set(slot::kDateText, f.value);
    target.date = text.empty() ? ReadDate{} : ReadGedcomDate(text);
    if (!text.empty() && !target.date.readable)
      Issue("date that no rule reads: " + std::string(text));
    return true;
  }

  bool OpenMediaChild(Frame& parent, Frame& f) {
    switch (f.tag) {
      case Tag::kFile:
        if (parent.node == Node::kMediaFile || parent.node == Node::kMediaForm) return false;
        Field(f, parent.sink, slot::kFile);
        f.node = Node::kMediaFile;
        return true;
      case Tag::kForm:
        if (parent.node == Node::kMediaForm) return false;
        Field(f, parent.sink, slot::kFormat);
        f.node = Node::kMediaForm;
        return true;
      case Tag::kTitl:
        if (parent.node == Node::kMediaForm) return false;
        Field(f, parent.sink, slot::kMediaTitle);
        return true;
      case Tag::kMedi:
      case Tag::kType:
        if (parent.node != Node::kMediaForm) return false;
        Field(f, parent.sink, slot::kMedium);
        return true;
      case Tag::kTran:
        if (parent.node != Node::kMediaFile) return false;
        return OpenTranslation(f, Translated::kMedia);
      default:
        return false;
    }
  }

  bool OpenTranslation(Frame& f, Translated what) {
    f.node = Node::kTranslation;
    f.slot = static_cast<std::uint8_t>(what);
    f.id = NextId(CompleteTable::kTranslation);
    return true;
  }

  // LATI or LONG of a place: the first occurrence with a coordinate gives it.
  bool Coordinate(std::int64_t place, Tag t, std::string_view raw) {
    const std::string_view text = TrimLineBlanks(Decode(raw));
    double v = 0;
    const bool latitude = t == Tag::kLati;
    if (!ReadCoordinate(text, latitude, v)) {
      if (!text.empty()) {
        Issue(std::string(latitude ? "latitude" : "longitude") +
              " that no rule reads: " + std::string(text));
      }
      return true;
    }
    if (place > 0) {
      std::optional<double>& to =
          latitude ? out->places[place - 1].latitude : out->places[place - 1].longitude;
      if (!to) to = v;
    }
    return true;
  }

  // The structures that may stand under any other: notes, citations, media links, places,
  // associations and identifiers.
  bool OpenGeneric(Frame& parent, Frame& f, std::string_view v) {
    switch (f.tag) {
      case Tag::kNote:
      case Tag::kSnote:
        return OpenNote(f, v);
      case Tag::kSour:
        if (kind == RecordKind::kHead) return false;  // the program that wrote the file
        f.node = Node::kCitation;
        f.id = NextId(CompleteTable::kCitation);
        f.owner.citation = f.id;
        if (!PointerIn(v).empty()) {
          f.pointer = Pointer(v, RecordKind::kSource);
          f.pointerForm = true;
        }
        return true;
      case Tag::kObje:
        f.node = Node::kMediaLink;
        f.id = NextId(CompleteTable::kMediaLink);
        f.pointer = Pointer(v, RecordKind::kMedia);
        return true;
      case Tag::kPlac:
        return OpenPlace(parent, f);
      case Tag::kAsso:
        f.node = Node::kAssociation;
        f.id = NextId(CompleteTable::kAssociation);
        f.owner.association = f.id;
        f.pointer = Pointer(v, RecordKind::kPerson);
        return true;
      default:
        if (!IsIdentifierTag(f.tag)) return false;
        f.node = Node::kIdentifier;
        f.id = NextId(CompleteTable::kIdentifier);
        return true;
    }
  }

  bool OpenNote(Frame& f, std::string_view v) {
    if (PointerIn(v).empty()) {
      f.node = Node::kNote;
      f.id = NextId(CompleteTable::kNote);
      f.linkId = NextId(CompleteTable::kNoteLink);
      f.owner.note = f.id;
      return true;
    }
    XrefTarget target;
    if (!Resolve(v, RecordKind::kNote, target)) return true;
    RowBlock& b = out->noteRecordLinks;
    b.Integer(NextId(CompleteTable::kNoteLink));
    b.Integer(target.rank);
    LinkOwners(b, f.owner);
    return true;
  }

  // The owner columns of note_link after `note`.
  void LinkOwners(RowBlock& b, const Owner& o) {
    IdCell(b, recordId);
    IdCell(b, o.person);
    IdCell(b, o.family);
    IdCell(b, o.source);
    IdCell(b, o.media);
    IdCell(b, o.event);
    IdCell(b, o.personName);
    IdCell(b, o.citation);
    IdCell(b, o.association);
  }

  bool OpenPlace(Frame& parent, Frame& f) {
    f.node = Node::kPlace;
    const std::string_view name = Value(f.value);
    if (name.empty()) return true;
    f.place = InternPlace(name);
    if (parent.node == Node::kEvent && parent.place == 0) {
      parent.place = f.place;
      return true;
    }
    RowBlock& b = Block(CompleteTable::kPlaceLink);
    b.Integer(NextId(CompleteTable::kPlaceLink));
    b.Integer(f.place);
    TagCell(b, parent);
    IdCell(b, recordId);
    IdCell(b, f.owner.person);
    IdCell(b, f.owner.family);
    IdCell(b, f.owner.source);
    return true;
  }

  void TagCell(RowBlock& b, const Frame& f) {
    if (f.tag != Tag::kUnknown) {
      b.Text(Tags().Name(f.tag));
    } else {
      ValueCell(b, f.tagText);
    }
  }

  // --- Closing a structure: its row --------------------------------------------------------------

  void CloseTop() {
    Frame& f = frames[depth - 1];
    if (f.joinedHere) {
      f.value = {joined.size(), f.joinedText.size(), kInJoined};
      joined.append(f.joinedText);
    }
    switch (f.node) {
      case Node::kField:
      case Node::kChangeDate:
      case Node::kMediaFile:
      case Node::kMediaForm:
      case Node::kCallNumber:
      case Node::kCitationEvent:
        frames[f.sink].Set(f.slot, f.value);
        break;
      case Node::kAddress:
        CloseAddress(f);
        break;
      case Node::kRecord:
        CloseRecordLine(f);
        break;
      case Node::kName:
        CloseName(f);
        break;
      case Node::kEvent:
        CloseEvent(f);
        break;
      case Node::kFamilyLink:
        CloseFamilyLink(f);
        break;
      case Node::kNote:
        CloseNote(f);
        break;
      case Node::kCitation:
        CloseCitation(f);
        break;
      case Node::kMediaLink:
        CloseMediaLink(f);
        break;
      case Node::kAssociation: {
        RowBlock& b = Block(CompleteTable::kAssociation);
        b.Integer(f.id);
        IdCell(b, f.pointer);
        ValueCell(b, SlotOf(f, slot::kRelation));
        ValueCell(b, SlotOf(f, slot::kPhrase));
        IdCell(b, recordId);
        IdCell(b, f.owner.person);
        IdCell(b, f.owner.family);
        IdCell(b, f.owner.event);
        break;
      }
      case Node::kIdentifier: {
        RowBlock& b = Block(CompleteTable::kIdentifier);
        b.Integer(f.id);
        b.Text(Tags().Name(f.tag));
        ValueCell(b, f.value);
        ValueCell(b, SlotOf(f, slot::kIdentifierType));
        IdCell(b, recordId);
        IdCell(b, f.owner.person);
        IdCell(b, f.owner.family);
        IdCell(b, f.owner.event);
        break;
      }
      case Node::kSourceRepository: {
        RowBlock& b = Block(CompleteTable::kSourceRepository);
        b.Integer(f.id);
        IdCell(b, f.owner.source);
        IdCell(b, f.pointer);
        ValueCell(b, SlotOf(f, slot::kCallNumber));
        ValueCell(b, SlotOf(f, slot::kCallMedium));
        break;
      }
      case Node::kTranslation:
        CloseTranslation(f);
        break;
      default:
        break;
    }
    --depth;
  }

  void CloseAddress(Frame& f) {
    Span text = f.value;
    if (Value(f.value).empty()) {
      // Only the parts: joined with ", " in their order.
      const std::size_t offset = joined.size();
      for (int i = 0; i < slot::kAddressParts; ++i) {
        const Span part = SlotOf(f, slot::kFirstAddressPart + i);
        if (!part || TrimLineBlanks(Raw(part)).empty()) continue;
        if (joined.size() != offset) joined.append(", ");
        joined.append(TrimLineBlanks(Raw(part)));
      }
      text = {offset, joined.size() - offset, kInJoined};
    }
    frames[f.sink].Set(f.slot, text);
  }

  [[gnu::flatten]] void CloseRecordLine(Frame& f) {
    RowBlock& r = Block(CompleteTable::kRecord);
    r.Integer(recordId);
    if (kind == RecordKind::kNone) {
      r.Null();
    } else {
      ValueCell(r, f.tagText);
    }
    const bool hasXref = static_cast<bool>(xref);
    if (hasXref) {
      r.Text(Decode(Raw(xref)));
    } else {
      r.Null();
    }
    r.Text(RecordText());
    r.Integer(recordLine);

    const auto head = [&](CompleteTable table) -> RowBlock& {
      RowBlock& b = Block(table);
      b.Integer(table == CompleteTable::kNote ? f.id : kindId);
      b.Integer(recordId);
      if (hasXref) {
        b.Text(Decode(Raw(xref)));
      } else {
        b.Null();
      }
      return b;
    };
    const auto tail = [&](RowBlock& b) {
      ValueCell(b, SlotOf(f, slot::kRestriction));
      DateTimeCell(b, f, slot::kChanged, slot::kChangedTime);
      DateTimeCell(b, f, slot::kCreated, slot::kCreatedTime);
    };
    switch (kind) {
      case RecordKind::kPerson: {
        RowBlock& b = head(CompleteTable::kPerson);
        ValueCell(b, SlotOf(f, slot::kSex));
        tail(b);
        break;
      }
      case RecordKind::kFamily: {
        RowBlock& b = head(CompleteTable::kFamily);
        IdCell(b, husband);
        IdCell(b, wife);
        tail(b);
        break;
      }
      case RecordKind::kSource: {
        RowBlock& b = head(CompleteTable::kSource);
        for (int s : {slot::kTitle, slot::kAuthor, slot::kPublication, slot::kAbbreviation}) {
          ValueCell(b, SlotOf(f, s));
        }
        TextCell(b, SlotOf(f, slot::kSourceText), true);
        ValueCell(b, SlotOf(f, slot::kAgency));
        tail(b);
        break;
      }
      case RecordKind::kRepository:
      case RecordKind::kSubmitter: {
        const bool repository = kind == RecordKind::kRepository;
        RowBlock& b = head(repository ? CompleteTable::kRepository : CompleteTable::kSubmitter);
        for (int s : {slot::kName, slot::kAddress, slot::kPhone, slot::kEmail, slot::kWebsite}) {
          ValueCell(b, SlotOf(f, s));
        }
        if (!repository) ValueCell(b, SlotOf(f, slot::kLanguage));
        tail(b);
        break;
      }
      case RecordKind::kMedia: {
        RowBlock& b = head(CompleteTable::kMedia);
        for (int s : {slot::kFile, slot::kFormat, slot::kMedium, slot::kMediaTitle}) {
          ValueCell(b, SlotOf(f, s));
        }
        tail(b);
        break;
      }
      case RecordKind::kNote: {
        RowBlock& b = head(CompleteTable::kNote);
        TextCell(b, f.value, false);
        ValueCell(b, SlotOf(f, slot::kNoteMime));
        ValueCell(b, SlotOf(f, slot::kNoteLanguage));
        tail(b);
        break;
      }
      default:
        break;
    }
  }

  // The record's lines, decoded: at once where decoding a line does not depend on the lines
  // around it, line by line otherwise.
  std::string_view RecordText() {
    if (!lineWise) return Decode(lines);
    recordText.clear();
    std::string_view rest = lines;
    for (;;) {
      const std::size_t end = rest.find('\n');
      recordText.append(Decode(rest.substr(0, end)));
      if (end == std::string_view::npos) break;
      recordText += '\n';
      rest.remove_prefix(end + 1);
    }
    return recordText;
  }

  [[gnu::flatten]] void CloseName(Frame& f) {
    RowBlock& b = Block(CompleteTable::kPersonName);
    b.Integer(f.id);
    b.Integer(f.owner.person);
    b.Integer(f.seq);
    text.assign(Value(f.value));
    b.TextOrNull(text);
    // Without GIVN or SURN: the given names before the first slash, the surname between the
    // slashes.
    const std::size_t slash = text.find('/');
    std::string_view given = text;
    std::string_view surname;
    if (slash != std::string::npos) {
      given = std::string_view(text).substr(0, slash);
      const std::size_t close = text.find('/', slash + 1);
      surname = std::string_view(text).substr(
          slash + 1, close == std::string::npos ? std::string::npos : close - slash - 1);
    }
    if (f.Has(slot::kGiven)) {
      ValueCell(b, f.slots[slot::kGiven]);
    } else {
      b.TextOrNull(TrimLineBlanks(given));
    }
    if (f.Has(slot::kSurname)) {
      ValueCell(b, f.slots[slot::kSurname]);
    } else {
      b.TextOrNull(TrimLineBlanks(surname));
    }
    for (int s :
         {slot::kNameType, slot::kPrefix, slot::kSuffix, slot::kNickname, slot::kSurnamePrefix}) {
      ValueCell(b, SlotOf(f, s));
    }
  }

  void DateCells(RowBlock& b, const Frame& f) {
    ValueCell(b, SlotOf(f, slot::kDateText));
    const bool read = f.hasDate && f.date.readable;
    const ReadDate& d = f.date;
    b.TextOrNull(read ? std::string_view(d.from) : std::string_view());
    b.TextOrNull(read ? std::string_view(d.to) : std::string_view());
    b.TextOrNull(read ? std::string_view(d.qualifier) : std::string_view());
    if (read && d.calendar) {
      b.Text(CalendarName(*d.calendar));
    } else {
      b.Null();
    }
    const std::optional<std::int64_t> day = f.sortDay ? f.sortDay : read ? d.sortDay : std::nullopt;
    if (day) {
      b.Integer(*day);
    } else {
      b.Null();
    }
    if (f.Has(slot::kDatePhrase)) {
      ValueCell(b, f.slots[slot::kDatePhrase]);
    } else {
      b.TextOrNull(read ? std::string_view(d.phrase) : std::string_view());
    }
  }

  [[gnu::flatten]] void CloseEvent(Frame& f) {
    RowBlock& b = Block(CompleteTable::kEvent);
    b.Integer(f.id);
    IdCell(b, f.owner.person);
    IdCell(b, f.owner.family);
    b.Integer(f.seq);
    b.Text(Tags().Name(f.tag));
    ValueCell(b, SlotOf(f, slot::kType));
    ValueCell(b, f.value);
    DateCells(b, f);
    ValueCell(b, SlotOf(f, slot::kSortDate));
    IdCell(b, f.place);
    for (int s : {slot::kAge, slot::kHusbandAge, slot::kWifeAge, slot::kCause, slot::kEventAgency,
                  slot::kReligion, slot::kEventAddress, slot::kEventRestriction, slot::kTemple,
                  slot::kStatus}) {
      ValueCell(b, SlotOf(f, s));
    }
    IdCell(b, f.childOf);
    ValueCell(b, SlotOf(f, slot::kAdoptedBy));
  }

  [[gnu::flatten]] void CloseFamilyLink(Frame& f) {
    if (f.pointer == 0) return;
    RowBlock& b = Block(CompleteTable::kPersonFamily);
    b.Integer(f.id);
    b.Integer(f.owner.person);
    b.Integer(f.pointer);
    b.Text(Tags().Name(f.tag));
    b.Integer(++familySeq);
    ValueCell(b, SlotOf(f, slot::kPedigree));
    ValueCell(b, SlotOf(f, slot::kLinkStatus));
    if (f.tag == Tag::kFamc && f.Has(slot::kPedigree)) {
      const std::string_view pedigree = Value(f.slots[slot::kPedigree]);
      if (pedigree.empty()) return;
      auto& texts = out->pedigreeTexts;
      const auto textOf = [&](std::int64_t id) -> std::string_view {
        return texts[static_cast<std::size_t>(id - 1)];
      };
      std::int64_t id = pedigreeIds.Find(pedigree, textOf);
      if (id == 0) {
        texts.emplace_back(pedigree);
        id = static_cast<std::int64_t>(texts.size());
        pedigreeIds.Add(pedigree, id, textOf);
      }
      out->pedigrees.push_back({f.owner.person, f.pointer, static_cast<std::uint32_t>(id - 1)});
    }
  }

  [[gnu::flatten]] void CloseNote(Frame& f) {
    RowBlock& n = Block(CompleteTable::kNote);
    n.Integer(f.id);
    n.Null();
    n.Null();
    TextCell(n, f.value, false);
    ValueCell(n, SlotOf(f, slot::kNoteMime));
    ValueCell(n, SlotOf(f, slot::kNoteLanguage));
    n.Null();
    n.Null();
    n.Null();
    RowBlock& l = Block(CompleteTable::kNoteLink);
    l.Integer(f.linkId);
    l.Integer(f.id);
    // The note does not own itself: the owners are those of the line above.
    Owner o = f.owner;
    o.note = 0;
    LinkOwners(l, o);
  }

  [[gnu::flatten]] void CloseCitation(Frame& f) {
    RowBlock& b = Block(CompleteTable::kCitation);
    b.Integer(f.id);
    IdCell(b, f.pointer);
    ValueCell(b, SlotOf(f, slot::kPage));
    const std::string_view quality =
        f.Has(slot::kQuality) ? Value(f.slots[slot::kQuality]) : std::string_view();
    std::int64_t q = 0;
    const auto [end, ec] = std::from_chars(quality.data(), quality.data() + quality.size(), q);
    if (!quality.empty() && ec == std::errc() && end == quality.data() + quality.size() && q >= 0) {
      b.Integer(q);
    } else {
      b.Null();
    }
    DateCells(b, f);
    TextCell(b, SlotOf(f, slot::kCitationText), true);
    TextCell(b, f.pointerForm ? Span{} : f.value, true);
    ValueCell(b, SlotOf(f, slot::kEventType));
    ValueCell(b, SlotOf(f, slot::kRole));
    IdCell(b, recordId);
    IdCell(b, f.owner.person);
    IdCell(b, f.owner.family);
    IdCell(b, f.owner.event);
    IdCell(b, f.owner.personName);
    IdCell(b, f.owner.association);
    IdCell(b, f.owner.note);
  }

  void CloseMediaLink(Frame& f) {
    RowBlock& b = Block(CompleteTable::kMediaLink);
    b.Integer(f.id);
    IdCell(b, f.pointer);
    for (int s : {slot::kFile, slot::kFormat, slot::kMediaTitle}) ValueCell(b, SlotOf(f, s));
    IdCell(b, recordId);
    IdCell(b, f.owner.person);
    IdCell(b, f.owner.family);
    IdCell(b, f.owner.source);
    IdCell(b, f.owner.event);
    IdCell(b, f.owner.citation);
  }

  void CloseTranslation(Frame& f) {
    const auto what = static_cast<Translated>(f.slot);
    RowBlock& b = Block(CompleteTable::kTranslation);
    b.Integer(f.id);
    // A translated note keeps its text as the file has it; names and places are single values.
    if (what == Translated::kNote) {
      TextCell(b, f.value, false);
    } else {
      ValueCell(b, f.value);
    }
    ValueCell(b, SlotOf(f, slot::kTranslationLanguage));
    ValueCell(b, SlotOf(f, slot::kTranslationMime));
    IdCell(b, recordId);
    IdCell(b, what == Translated::kName ? f.owner.personName : 0);
    IdCell(b, what == Translated::kNote ? f.owner.note : 0);
    IdCell(b, what == Translated::kPlace ? f.place : 0);
    IdCell(b, what == Translated::kMedia ? f.owner.media : 0);
  }
};

PartRows::PartRows() {
  for (std::size_t t = 0; t < kCompleteTableCount; ++t) blocks[t] = RowBlock(CompleteTables()[t]);
  noteRecordLinks = RowBlock(CompleteTableSchema(CompleteTable::kNoteLink));
}

void PartRows::Clear() {
  for (RowBlock& b : blocks) b.Clear();
  localIds = {};
  noteRecordLinks.Clear();
  noteRecords.clear();
  children.clear();
  pedigrees.clear();
  pedigreeTexts.clear();
  places.clear();
  placeNames.clear();
  lines = 0;
  records = 0;
  decoded = {};
}

RecordParser::RecordParser(const FileIndex& index, const FileCharset& charset)
    : state_(std::make_unique<State>(index, charset)) {}

void RecordParser::Begin(const PartStart& start, PartRows& out) {
  state_->Begin(start, out);
}

RecordParser::~RecordParser() = default;

void RecordParser::Line(std::string_view text) {
  state_->Line(text);
}

void RecordParser::Finish() {
  state_->CloseRecord();
}

}  // namespace brimsel

#pragma once
// The three forms of a JV-Data record: the delivered text, the parsed record
// (one text per field of the layout, in layout order) and the stored record
// (the fixed-width bytes written to the record files). Text stays in its
// code page 932 bytes throughout.
//
// The download is what goes through these forms: it parses each delivered
// record with ParseRecord and the layout of its type, packs it with
// PackRecord, and parses the market-sale lines with ParseHS. The build
// program never does: it reads stored records through the compile-time
// field lookups of common/record_layout.h (RaceEntryField("jockey_code")).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/record_layout.h"

namespace volq {

// The bytes of `length` bytes from 1-based `position` of `bytes` (fewer when
// the bytes end earlier, none past the end); the position then advances by the
// full length. An overflow of the position raises an overflow Failure.
std::string MidBytes(std::string_view bytes, int32_t& position, int32_t length);

struct ParsedRecord {
  const RecordLayout* layout = nullptr;
  std::vector<std::string> fields;  // one per flattened field, layout order
  // A field by its flattened name, looked up when the program runs (a name
  // not in the layout raises an index Failure): for tests that look into a
  // parsed record. Code that reads a fixed field resolves it when compiled.
  const std::string& Get(std::string_view name) const { return fields[layout->IndexOf(name)]; }
};

struct StoredRecord {
  const RecordLayout* layout = nullptr;
  std::string bytes;  // stored_length() bytes
};

// One named type per record type and form, for the named routines below.
#define VOLQ_RECORD_TYPES(Parsed, Stored) \
  struct Parsed : ParsedRecord {};        \
  struct Stored : StoredRecord {};
VOLQ_RECORD_TYPES(RaceParsed, RaceRecord)
VOLQ_RECORD_TYPES(RaceEntryParsed, RaceEntryRecord)
VOLQ_RECORD_TYPES(HorseParsed, HorseRecord)
VOLQ_RECORD_TYPES(BreedingHorseParsed, BreedingHorseRecord)
VOLQ_RECORD_TYPES(JockeyParsed, JockeyRecord)
VOLQ_RECORD_TYPES(OffspringParsed, OffspringRecord)
VOLQ_RECORD_TYPES(TrainerParsed, TrainerRecord)
VOLQ_RECORD_TYPES(BreederParsed, BreederRecord)
VOLQ_RECORD_TYPES(OwnerParsed, OwnerRecord)
#undef VOLQ_RECORD_TYPES
struct MarketSaleParsed : ParsedRecord {};
// The market-sale record is stored as its delivered text line: it has no
// packed form.
using MarketSaleRecord = std::string;

// Generic forms, the ones the download calls: every field of `layout` from
// the delivered text, and the stored bytes of a parsed record (each field
// left-justified, blank-padded and cut at its stored width).
void ParseRecord(const RecordLayout& layout, std::string_view text, ParsedRecord& out);
void PackRecord(const ParsedRecord& in, StoredRecord& out);
// Delivered text straight to stored bytes (parse then pack): what the
// download stores, for the tests that make stored records.
std::string StoreDelivered(const RecordLayout& layout, std::string_view text);

// The same routines under each record type's name, the generic ones with
// the type's layout. Of these the download calls ParseHS; the others are
// the named entry points of their types for whoever handles one type.
void ParseRA(std::string_view text, RaceParsed& out);
void ParseSE(std::string_view text, RaceEntryParsed& out);
void ParseUM(std::string_view text, HorseParsed& out);
void ParseHN(std::string_view text, BreedingHorseParsed& out);
void ParseKS(std::string_view text, JockeyParsed& out);
void ParseSK(std::string_view text, OffspringParsed& out);
void ParseCH(std::string_view text, TrainerParsed& out);
void ParseBR(std::string_view text, BreederParsed& out);
void ParseBN(std::string_view text, OwnerParsed& out);
void ParseHS(std::string_view text, MarketSaleParsed& out);

void PackRA(const RaceParsed& in, RaceRecord& out);
void PackSE(const RaceEntryParsed& in, RaceEntryRecord& out);
void PackUM(const HorseParsed& in, HorseRecord& out);
void PackHN(const BreedingHorseParsed& in, BreedingHorseRecord& out);
void PackKS(const JockeyParsed& in, JockeyRecord& out);
void PackSK(const OffspringParsed& in, OffspringRecord& out);
void PackCH(const TrainerParsed& in, TrainerRecord& out);
void PackBR(const BreederParsed& in, BreederRecord& out);
void PackBN(const OwnerParsed& in, OwnerRecord& out);

// Fields of a stored record held as bytes, by (offset, length): the bytes
// present (short or empty past the end of a short record). For offsets
// computed when the program runs (a block of counts walked in a loop); a
// fixed field is named through its type's lookup instead.
inline std::string_view FieldAt(std::string_view rec, int offset, int length) {
  return Slice{offset, length}.Of(rec);
}

}  // namespace volq

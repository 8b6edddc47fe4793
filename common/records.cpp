#include "common/records.h"

#include <limits>

#include "platform/fs/file_failure.h"

namespace volq {

std::string MidBytes(std::string_view bytes, int32_t& position, int32_t length) {
  if (position < 1 || length < 0) FailIndex("MidBytes: bad position or length");
  if (position > std::numeric_limits<int32_t>::max() - length)
    FailOverflow("MidBytes: position overflow");
  std::string out;
  size_t start = static_cast<size_t>(position - 1);
  if (start < bytes.size()) out.assign(bytes.substr(start, static_cast<size_t>(length)));
  position += length;
  return out;
}

void ParseRecord(const RecordLayout& layout, std::string_view text, ParsedRecord& out) {
  out.layout = &layout;
  out.fields.resize(layout.fields().size());
  int32_t pos = 1;
  size_t i = 0;
  for (const Field& f : layout.fields()) out.fields[i++] = MidBytes(text, pos, f.delivered_width);
}

void PackRecord(const ParsedRecord& in, StoredRecord& out) {
  const RecordLayout& layout = *in.layout;
  out.layout = &layout;
  out.bytes.assign(static_cast<size_t>(layout.stored_length()), ' ');
  size_t i = 0;
  for (const Field& f : layout.fields()) {
    const std::string& t = in.fields[i++];
    size_t n = t.size() < static_cast<size_t>(f.width) ? t.size() : f.width;
    out.bytes.replace(f.offset, n, t, 0, n);
  }
}

std::string StoreDelivered(const RecordLayout& layout, std::string_view text) {
  ParsedRecord p;
  ParseRecord(layout, text, p);
  StoredRecord s;
  PackRecord(p, s);
  return std::move(s.bytes);
}

#define VOLQ_ROUTINES(Suffix, Layout, Parsed, Stored)                                          \
  void Parse##Suffix(std::string_view text, Parsed& out) { ParseRecord(Layout(), text, out); } \
  void Pack##Suffix(const Parsed& in, Stored& out) { PackRecord(in, out); }
VOLQ_ROUTINES(RA, RaceLayout, RaceParsed, RaceRecord)
VOLQ_ROUTINES(SE, RaceEntryLayout, RaceEntryParsed, RaceEntryRecord)
VOLQ_ROUTINES(UM, HorseLayout, HorseParsed, HorseRecord)
VOLQ_ROUTINES(HN, BreedingHorseLayout, BreedingHorseParsed, BreedingHorseRecord)
VOLQ_ROUTINES(KS, JockeyLayout, JockeyParsed, JockeyRecord)
VOLQ_ROUTINES(SK, OffspringLayout, OffspringParsed, OffspringRecord)
VOLQ_ROUTINES(CH, TrainerLayout, TrainerParsed, TrainerRecord)
VOLQ_ROUTINES(BR, BreederLayout, BreederParsed, BreederRecord)
VOLQ_ROUTINES(BN, OwnerLayout, OwnerParsed, OwnerRecord)
#undef VOLQ_ROUTINES

void ParseHS(std::string_view text, MarketSaleParsed& out) {
  ParseRecord(MarketSaleLayout(), text, out);
}

}  // namespace volq

#pragma once
// Record layouts as data: one table per record type lists its fields in
// delivery order with their delivered and stored widths, repeats and groups.
// Parsing, packing, stored offsets and record lengths all follow from it.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_map.h"

namespace volq {

// One entry of a layout table: a field (width) or a group of entries,
// repeated `repeat` times. stored_width differs from width only for the
// jockey and trainer prize totals, which are stored one digit shorter.
struct FieldSpec {
  std::string name;
  int width = 0;
  int stored_width = 0;
  int repeat = 1;
  std::vector<FieldSpec> group;
};

FieldSpec F(std::string name, int width, int repeat = 1);
FieldSpec Narrow(std::string name, int width, int stored_width, int repeat = 1);
FieldSpec G(std::string name, int repeat, std::initializer_list<FieldSpec> group);

// A field of the flattened layout. Repeated entries are named name[i]
// (0-based), group members group.member, so "results[1].prize[0]".
struct Field {
  std::string name;
  int delivered_offset;
  int offset;  // 0-based in the stored record
  int delivered_width;
  int width;  // stored width
};

// A byte range of a stored record.
struct Slice {
  int offset;
  int length;
  std::string_view Of(std::string_view rec) const {
    if (static_cast<size_t>(offset) >= rec.size()) return {};
    return rec.substr(offset, length);
  }
};

class RecordLayout {
 public:
  RecordLayout(std::string type, std::vector<FieldSpec> table);

  const std::string& type() const { return type_; }
  int delivered_length() const { return delivered_length_; }
  int stored_length() const { return stored_length_; }
  const std::vector<Field>& fields() const { return fields_; }

  // Index of a field by its flattened name; a missing name raises an index Failure.
  size_t IndexOf(std::string_view name) const;
  const Field& field(std::string_view name) const { return fields_[IndexOf(name)]; }
  Slice slice(std::string_view name) const {
    const Field& f = field(name);
    return {f.offset, f.width};
  }
  // Stored range from the start of the first named field to the end of the last.
  Slice span(std::string_view first, std::string_view last) const;

 private:
  void Flatten(const std::vector<FieldSpec>& table, const std::string& prefix);
  std::string type_;
  std::vector<Field> fields_;
  TextMap<size_t> index_;
  int delivered_length_ = 0;
  int stored_length_ = 0;
};

// The ten layouts of the kept record types.
const RecordLayout& RaceLayout();          // "RA" 1272
const RecordLayout& RaceEntryLayout();     // "SE" 555
const RecordLayout& HorseLayout();         // "UM" 1609
const RecordLayout& BreedingHorseLayout(); // "HN" 251
const RecordLayout& JockeyLayout();        // "KS" 4173 -> 4161
const RecordLayout& OffspringLayout();     // "SK" 208
const RecordLayout& TrainerLayout();       // "CH" 3862 -> 3850
const RecordLayout& BreederLayout();       // "BR" 545
const RecordLayout& OwnerLayout();         // "BN" 477
const RecordLayout& MarketSaleLayout();    // "HS" 200 (a text line)

// Layout of a type by its two letters, nullptr for a type not kept.
const RecordLayout* LayoutOf(std::string_view type);

// Stored lengths, for the steps that open record files.
inline constexpr int kRaceLength = 1272;
inline constexpr int kRaceEntryLength = 555;
inline constexpr int kHorseLength = 1609;
inline constexpr int kBreedingHorseLength = 251;
inline constexpr int kJockeyLength = 4161;
inline constexpr int kOffspringLength = 208;
inline constexpr int kTrainerLength = 3850;
inline constexpr int kBreederLength = 545;
inline constexpr int kOwnerLength = 477;
inline constexpr int kMarketSaleLength = 200;
// The files the build program derives are in common/derived_layout.h.

// Start of results block b (0 = current year, 1 = previous year, 2 = career).
inline constexpr int JockeyBlockOffset(int b) { return 1015 + 1048 * b; }
inline constexpr int TrainerBlockOffset(int b) { return 704 + 1048 * b; }

}  // namespace volq

#include "build/records/female_line.h"

#include <unordered_map>

#include "common/cp932_text.h"
#include "common/list_layout.h"
#include "common/record_layout.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// The items of an FL line, as docs/fields.md names them.
static_assert(EntryCount(kFemaleLineItems) == kFemaleLineValues);

// The fields of a mare's six values, in value order.
const std::array<Slice, kFemaleLineValues>& ValueFields() {
  static const std::array<Slice, kFemaleLineValues> fields = [] {
    return std::array<Slice, kFemaleLineValues>{
        BreedingHorseField("breeding_number"),      BreedingHorseField("horse_name"),
        BreedingHorseField("birth_year"),           BreedingHorseField("birthplace"),
        BreedingHorseField("sire_breeding_number"), BreedingHorseField("dam_breeding_number")};
  }();
  return fields;
}

constexpr int kDamValue = 5;

}  // namespace

void FemaleLineTable::AddMare(std::string_view rec) {
  const int32_t r = static_cast<int32_t>(own_.size());
  std::array<std::string, kFemaleLineValues>& values = own_.emplace_back();
  for (int k = 0; k < kFemaleLineValues; ++k) {
    const Slice& f = ValueFields()[k];
    values[k] = Cp932FixedText(f.Of(rec), static_cast<size_t>(f.length));
  }
  Line& line = lines_.emplace_back();
  line.found[0] = r;
  line.number_of[1] = r;
}

void FemaleLineTable::RunPasses() {
  // Breeding number -> first row that has it, in place of a scan of all rows.
  std::unordered_map<std::string_view, int32_t> row_of;
  row_of.reserve(own_.size());
  for (int32_t j = 1; j <= rows(); ++j) row_of.emplace(own_[j][0], j);

  for (int g = 1; g <= kFemaleLinePasses; ++g) {
    for (int32_t r = 1; r <= rows(); ++r) {
      Line& line = lines_[r];
      if (line.number_of[g] == 0) continue;
      auto it = row_of.find(own_[line.number_of[g]][kDamValue]);
      if (it == row_of.end()) continue;
      line.found[g] = it->second;
      line.number_of[g + 1] = it->second;
    }
  }
}

std::string_view FemaleLineTable::Value(int32_t r, int g, int k) const {
  const Line& line = lines_[r];
  if (g == 0) return own_[r][k];
  int32_t from = k == 0 ? line.number_of[g] : line.found[g];
  if (from == 0) return {};
  return own_[from][k == 0 ? kDamValue : k];
}

void WriteFemaleLineList(const FemaleLineTable& table, const std::filesystem::path& path) {
  TextListWriter list(path);
  for (int32_t r = 1; r <= table.rows(); ++r) {
    for (int g = 0; g < kFemaleLineGenerations; ++g) {
      for (int k = 0; k < kFemaleLineValues; ++k) list.String(table.Value(r, g, k));
      list.EndLine();
    }
  }
  list.Close();
}

}  // namespace volq

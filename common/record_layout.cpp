#include "common/record_layout.h"

#include "platform/fs/failure.h"

namespace volq {

FieldSpec F(std::string name, int width, int repeat) {
  return FieldSpec{std::move(name), width, width, repeat, {}};
}
FieldSpec Narrow(std::string name, int width, int stored_width, int repeat) {
  return FieldSpec{std::move(name), width, stored_width, repeat, {}};
}
FieldSpec G(std::string name, int repeat, std::initializer_list<FieldSpec> group) {
  return FieldSpec{std::move(name), 0, 0, repeat, group};
}

RecordLayout::RecordLayout(std::string type, std::vector<FieldSpec> table)
    : type_(std::move(type)) {
  Flatten(table, "");
  for (size_t i = 0; i < fields_.size(); ++i) index_.emplace(fields_[i].name, i);
}

void RecordLayout::Flatten(const std::vector<FieldSpec>& table, const std::string& prefix) {
  for (const FieldSpec& s : table) {
    for (int r = 0; r < s.repeat; ++r) {
      std::string name = prefix + s.name;
      if (s.repeat > 1) name += "[" + std::to_string(r) + "]";
      if (s.group.empty()) {
        fields_.push_back({name, delivered_length_, stored_length_, s.width, s.stored_width});
        delivered_length_ += s.width;
        stored_length_ += s.stored_width;
      } else {
        Flatten(s.group, name + ".");
      }
    }
  }
}

size_t RecordLayout::IndexOf(std::string_view name) const {
  auto it = index_.find(name);
  if (it == index_.end()) FailIndex("no field " + std::string(name) + " in " + type_);
  return it->second;
}

Slice RecordLayout::span(std::string_view first, std::string_view last) const {
  const Field& a = field(first);
  const Field& b = field(last);
  return {a.offset, b.offset + b.width - a.offset};
}

namespace {

FieldSpec Header() { return G("header", 1, {F("record_type", 2), F("data_kind", 1), F("creation_date", 8)}); }

FieldSpec RaceId(std::string name = "race") {
  return G(std::move(name), 1,
           {F("year", 4), F("month_day", 4), F("venue", 2), F("meeting", 2), F("day", 2),
            F("race_number", 2)});
}

// Placing counts: 1st, 2nd, 3rd, 4th, 5th, unplaced.
FieldSpec Counts(std::string name, int width, int repeat = 1) {
  return G(std::move(name), repeat, {F("count", width, 6)});
}

FieldSpec GradedWins() {
  return G("graded_win", 3,
           {RaceId(), F("race_name", 60), F("short_name10", 20), F("short_name6", 12),
            F("short_name3", 6), F("grade", 1), F("starters", 2), F("pedigree_number", 10),
            F("horse_name", 36)});
}

// Yearly results block of jockeys and trainers: the four prize totals are
// delivered 10 wide and stored 9 wide.
FieldSpec ResultsBlocks() {
  return G("results", 3,
           {F("year", 4), Narrow("prize", 10, 9, 4), Counts("flat", 6), Counts("jump", 6),
            Counts("venue_surface", 6, 20), Counts("distance", 6, 6)});
}

FieldSpec SmallResultsBlocks() {
  return G("results", 2,
           {F("year", 4), F("main_prize", 10), F("added_prize", 10), Counts("counts", 6)});
}

}  // namespace

const RecordLayout& RaceLayout() {
  static const RecordLayout l("RA", {
      Header(), RaceId(), F("weekday", 1), F("special_number", 4),
      F("race_name", 60), F("subtitle", 60), F("parenthesis", 60),
      F("race_name_en", 120), F("subtitle_en", 120), F("parenthesis_en", 120),
      F("short_name10", 20), F("short_name6", 12), F("short_name3", 6),
      F("name_kind", 1), F("edition", 3), F("grade", 1), F("grade_before", 1),
      F("race_kind", 2), F("race_symbol", 3), F("weight_rule", 1), F("condition", 3, 5),
      F("condition_name", 60), F("distance", 4), F("distance_before", 4),
      F("track", 2), F("track_before", 2), F("course_division", 2),
      F("course_division_before", 2), F("main_prize", 8, 7), F("main_prize_before", 8, 5),
      F("added_prize", 8, 5), F("added_prize_before", 8, 3), F("post_time", 4),
      F("post_time_before", 4), F("registered", 2), F("starters", 2), F("finishers", 2),
      F("weather", 1), F("turf_going", 1), F("dirt_going", 1), F("lap_time", 3, 25),
      F("jump_mile_time", 4), F("first3f", 3), F("first4f", 3), F("last3f", 3),
      F("last4f", 3),
      G("corner", 4, {F("corner", 1), F("laps", 1), F("order", 70)}),
      F("update_flag", 1), F("crlf", 2)});
  return l;
}

const RecordLayout& RaceEntryLayout() {
  static const RecordLayout l("SE", {
      Header(), RaceId(), F("bracket", 1), F("horse_number", 2), F("pedigree_number", 10),
      F("horse_name", 36), F("horse_symbol", 2), F("sex", 1), F("breed", 1), F("coat", 2),
      F("age", 2), F("affiliation", 1), F("trainer_code", 5), F("trainer_short_name", 8),
      F("owner_code", 6), F("owner_name", 64), F("colours", 60), F("reserved1", 60),
      F("weight", 3), F("weight_before", 3), F("blinkers", 1), F("reserved2", 1),
      F("jockey_code", 5), F("jockey_code_before", 5), F("jockey_short_name", 8),
      F("jockey_short_name_before", 8), F("apprentice", 1), F("apprentice_before", 1),
      F("body_weight", 3), F("body_weight_sign", 1), F("body_weight_change", 3),
      F("abnormality", 1), F("arrival_order", 2), F("final_placing", 2), F("dead_heat", 1),
      F("dead_heat_count", 1), F("time", 4), F("margin", 3, 3), F("corner_position", 2, 4),
      F("win_odds", 4), F("win_popularity", 2), F("main_prize", 8), F("added_prize", 8),
      F("reserved3", 3, 2), F("last4f", 3), F("last3f", 3),
      G("opponent", 3, {F("pedigree_number", 10), F("horse_name", 36)}),
      F("time_difference", 4), F("update_flag", 1), F("forecast_kind", 1),
      F("forecast_time", 5), F("forecast_plus", 4), F("forecast_minus", 4),
      F("forecast_placing", 2), F("style_judgement", 1), F("crlf", 2)});
  return l;
}

const RecordLayout& HorseLayout() {
  static const RecordLayout l("UM", {
      Header(), F("pedigree_number", 10), F("deregistration_flag", 1),
      F("registration_date", 8), F("deregistration_date", 8), F("birth_date", 8),
      F("horse_name", 36), F("horse_name_kana", 36), F("horse_name_en", 60),
      F("in_stable", 1), F("reserved", 19), F("horse_symbol", 2), F("sex", 1), F("breed", 1),
      F("coat", 2), G("ancestor", 14, {F("breeding_number", 10), F("name", 36)}),
      F("affiliation", 1), F("trainer_code", 5), F("trainer_short_name", 8),
      F("invitation_region", 20), F("breeder_code", 8), F("breeder_name", 72),
      F("birthplace", 20), F("owner_code", 6), F("owner_name", 64), F("prize", 9, 6),
      Counts("overall", 3), Counts("central", 3), Counts("course", 3, 7),
      Counts("going", 3, 12), Counts("distance", 3, 6), F("style", 3, 4),
      F("registered_races", 3), F("crlf", 2)});
  return l;
}

const RecordLayout& BreedingHorseLayout() {
  static const RecordLayout l("HN", {
      Header(), F("breeding_number", 10), F("reserved1", 8), F("pedigree_number", 10),
      F("reserved2", 1), F("horse_name", 36), F("horse_name_kana", 40),
      F("horse_name_en", 80), F("birth_year", 4), F("sex", 1), F("breed", 1), F("coat", 2),
      F("import_kind", 1), F("import_year", 4), F("birthplace", 20),
      F("sire_breeding_number", 10), F("dam_breeding_number", 10), F("crlf", 2)});
  return l;
}

const RecordLayout& JockeyLayout() {
  static const RecordLayout l("KS", {
      Header(), F("jockey_code", 5), F("deregistration_flag", 1), F("licence_date", 8),
      F("licence_end_date", 8), F("birth_date", 8), F("jockey_name", 34), F("reserved", 34),
      F("jockey_name_kana", 30), F("short_name", 8), F("jockey_name_en", 80), F("sex", 1),
      F("qualification", 1), F("apprentice", 1), F("affiliation", 1),
      F("invitation_region", 20), F("trainer_code", 5), F("trainer_short_name", 8),
      G("first_ride", 2,
        {RaceId(), F("starters", 2), F("pedigree_number", 10), F("horse_name", 36),
         F("placing", 2), F("abnormality", 1)}),
      G("first_win", 2,
        {RaceId(), F("starters", 2), F("pedigree_number", 10), F("horse_name", 36)}),
      GradedWins(), ResultsBlocks(), F("crlf", 2)});
  return l;
}

const RecordLayout& OffspringLayout() {
  static const RecordLayout l("SK", {
      Header(), F("pedigree_number", 10), F("birth_date", 8), F("sex", 1), F("breed", 1),
      F("coat", 2), F("import_kind", 1), F("import_year", 4), F("breeder_code", 8),
      F("birthplace", 20), F("ancestor", 10, 14), F("crlf", 2)});
  return l;
}

const RecordLayout& TrainerLayout() {
  static const RecordLayout l("CH", {
      Header(), F("trainer_code", 5), F("deregistration_flag", 1), F("licence_date", 8),
      F("licence_end_date", 8), F("birth_date", 8), F("trainer_name", 34),
      F("trainer_name_kana", 30), F("short_name", 8), F("trainer_name_en", 80), F("sex", 1),
      F("affiliation", 1), F("invitation_region", 20), GradedWins(), ResultsBlocks(),
      F("crlf", 2)});
  return l;
}

const RecordLayout& BreederLayout() {
  static const RecordLayout l("BR", {
      Header(), F("breeder_code", 8), F("breeder_name", 72), F("breeder_name_plain", 72),
      F("breeder_name_kana", 72), F("breeder_name_en", 168), F("address", 20),
      SmallResultsBlocks(), F("crlf", 2)});
  return l;
}

const RecordLayout& OwnerLayout() {
  static const RecordLayout l("BN", {
      Header(), F("owner_code", 6), F("owner_name", 64), F("owner_name_plain", 64),
      F("owner_name_kana", 50), F("owner_name_en", 100), F("colours", 60),
      SmallResultsBlocks(), F("crlf", 2)});
  return l;
}

const RecordLayout& MarketSaleLayout() {
  static const RecordLayout l("HS", {
      Header(), F("pedigree_number", 10), F("sire_breeding_number", 10),
      F("dam_breeding_number", 10), F("birth_year", 4), F("market_code", 6),
      F("organiser_name", 40), F("market_name", 80), F("start_date", 8), F("end_date", 8),
      F("age", 1), F("price", 10), F("crlf", 2)});
  return l;
}

const RecordLayout* LayoutOf(std::string_view type) {
  if (type == "RA") return &RaceLayout();
  if (type == "SE") return &RaceEntryLayout();
  if (type == "UM") return &HorseLayout();
  if (type == "HN") return &BreedingHorseLayout();
  if (type == "KS") return &JockeyLayout();
  if (type == "SK") return &OffspringLayout();
  if (type == "CH") return &TrainerLayout();
  if (type == "BR") return &BreederLayout();
  if (type == "BN") return &OwnerLayout();
  if (type == "HS") return &MarketSaleLayout();
  return nullptr;
}

}  // namespace volq

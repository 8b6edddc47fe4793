#include "build/extended/ex_viewer.h"

#include <optional>
#include <vector>

#include "build/step/step_frame.h"
#include "common/derived_layout.h"
#include "common/records.h"
#include "platform/fs/record_file.h"
#include "platform/text/cp932.h"

namespace volq {

namespace {

// A fixed text between the fields of a row.
struct Gap {
  const char* text;
};

// A piece of a shown value: an EX field by its name, or a fixed text.
struct Piece {
  Slice field{0, 0};
  const char* text = nullptr;
  consteval Piece(const char* name) : field(LayoutField(kUmaExTable, name)) {}
  consteval Piece(Gap g) : text(g.text) {}
};

struct ViewerRow {
  const char* label;  // UTF-8
  std::vector<Piece> pieces;
};

// Rows 1 to 128, in row order. Where a row shows several fields they follow
// each other with nothing between them but the texts given.
const std::vector<ViewerRow>& ViewerRows() {
  // clang-format off
  static const std::vector<ViewerRow> rows = {
    {"レコードスペック", {"record_type"}},
    {"データ区分", {"data_kind"}},
    {"作成年月日", {"creation_date.year", "creation_date.month", "creation_date.day"}},
    {"レース年月日", {"race.year", "race.month_day"}},
    {"レース開催場所回日R", {"race.venue", "race.meeting", "race.day_number", "race.race_number"}},
    {"枠馬番血統番号", {"bracket", "horse_number", "pedigree_number"}},
    {"馬名", {"horse_name"}},
    {"生年月日", {"birth_date.year", "birth_date.month", "birth_date.day"}},
    {"馬招待地区", {"invitation"}},
    {"生産者コード", {"breeder_code"}},
    {"生産地", {"birthplace"}},
    {"父馬繁殖番号", {"pedigree[0].breeding_number"}},
    {"父馬生年", {"pedigree[0].birth_year"}},
    {"父馬生産地", {"pedigree[0].birthplace"}},
    {"母馬繁殖番号", {"pedigree[1].breeding_number"}},
    {"母馬生年", {"pedigree[1].birth_year"}},
    {"母馬生産地", {"pedigree[1].birthplace"}},
    {"母父馬繁殖番号+父父", {"pedigree[3].breeding_number", "pedigree[5].breeding_number"}},
    {"母父馬生年+父父", {"pedigree[3].birth_year", "pedigree[5].birth_year"}},
    {"母父馬生産地+父父", {"pedigree[3].birthplace", "pedigree[5].birthplace"}},
    {"馬記号", {"horse_symbol"}},
    {"馬性別", {"sex"}},
    {"馬品種", {"breed"}},
    {"馬毛色", {"coat"}},
    {"東西所属", {"affiliation"}},
    {"調教師コード", {"trainer_code"}},
    {"馬主コード", {"owner_code"}},
    {"服色表示", {"colours"}},
    {"負担重量", {"weight"}},
    {"変更前負担重量", {"weight_before"}},
    {"ブリンカー使用区分", {"blinkers"}},
    {"予備", {"reserved2", Gap{" "}, "weekday"}},
    {"騎手コード", {"jockey_code"}},
    {"騎手略称", {"jockey_short_name"}},
    {"騎手生年月日", {"jockey_birth_date.year", "jockey_birth_date.month", "jockey_birth_date.day"}},
    {"騎手性別", {"jockey_sex"}},
    {"騎乗資格区分", {"qualification"}},
    {"騎手招待地区", {"jockey_invitation"}},
    {"変更前騎手コード", {"jockey_code_before"}},
    {"変更前騎手略称", {"jockey_short_name_before"}},
    {"見習い区分", {"apprentice"}},
    {"変更前見習い区分", {"apprentice_before"}},
    {"馬体重", {"body_weight"}},
    {"前走増減符号", {"body_weight_sign"}},
    {"前走増減差", {"body_weight_change"}},
    {"異常区分", {"abnormality"}},
    {"入線順位", {"arrival_order", Gap{" "}, "time_difference"}},
    {"確定順位", {"final_placing"}},
    {"同着区分", {"dead_heat"}},
    {"同着頭数", {"dead_heat_count"}},
    {"走破タイム", {"time"}},
    {"着差コード", {"margin[0]"}},
    {"着差コード+", {"margin[1]"}},
    {"着差コード++", {"margin[2]"}},
    {"第1コーナー順位", {"corner_position[0]"}},
    {"第2コーナー順位", {"corner_position[1]"}},
    {"第3コーナー順位", {"corner_position[2]"}},
    {"第4コーナー順位", {"corner_position[3]"}},
    {"単勝オッズ", {"win_odds"}},
    {"単勝人気", {"win_popularity"}},
    {"本賞金", {"main_prize_won"}},
    {"付加賞金", {"added_prize_won"}},
    {"予備", {"reserved3[0]"}},
    {"予備", {"reserved3[1]"}},
    {"後半4Fタイム", {"last4f"}},
    {"後半3Fタイム", {"last3f"}},
    {"レースグレイド", {"grade"}},
    {"変更前レースグレイド", {"grade_before"}},
    {"競走条件種別", {"condition.race_kind"}},
    {"競走条件記号", {"condition.race_symbol"}},
    {"競走重量種別", {"condition.weight_rule"}},
    {"競走2歳条件", {"condition.age_condition[0]"}},
    {"競走3歳条件", {"condition.age_condition[1]"}},
    {"競走4歳条件", {"condition.age_condition[2]"}},
    {"競走5歳以上条件", {"condition.age_condition[3]"}},
    {"競走最若年条件", {"condition.age_condition[4]"}},
    {"距離(m)", {"distance"}},
    {"変更前距離(m)", {"distance_before"}},
    {"トラックコード", {"track_code"}},
    {"変更前トラックコード", {"track_code_before"}},
    {"コース区分", {"course_division"}},
    {"変更前コース区分", {"course_division_before"}},
    {"本賞金1着", {"main_prize[0]"}},
    {"本賞金2着", {"main_prize[1]"}},
    {"本賞金3着", {"main_prize[2]"}},
    {"本賞金4着", {"main_prize[3]"}},
    {"本賞金5着", {"main_prize[4]"}},
    {"同着本賞金5着", {"main_prize[5]"}},
    {"同着本賞金5着", {"main_prize[6]"}},
    {"同着変更前1着本賞金", {"main_prize_before[0]"}},
    {"同着変更前2着本賞金", {"main_prize_before[1]"}},
    {"同着変更前3着本賞金", {"main_prize_before[2]"}},
    {"同着変更前4着本賞金", {"main_prize_before[3]"}},
    {"同着変更前5着本賞金", {"main_prize_before[4]"}},
    {"付加賞金1着", {"added_prize[0]"}},
    {"付加賞金2着", {"added_prize[1]"}},
    {"付加賞金3着", {"added_prize[2]"}},
    {"同着付加賞金3着", {"added_prize[3]"}},
    {"同着付加賞金3着", {"added_prize[4]"}},
    {"同着変更前1着付加賞金", {"added_prize_before[0]"}},
    {"同着変更前2着付加賞金", {"added_prize_before[1]"}},
    {"同着変更前3着付加賞金", {"added_prize_before[2]"}},
    {"発走時刻", {"post_time"}},
    {"変更前発走時刻", {"post_time_before"}},
    {"登録頭数", {"registered"}},
    {"出走頭数", {"starters"}},
    {"入線頭数", {"finishers"}},
    {"天候コード", {"weather"}},
    {"芝馬場状態", {"turf_going"}},
    {"ダート馬場状態", {"dirt_going"}},
    {"ハロン毎先頭馬タイム", {"lap_time[0]", Gap{"-"}, "lap_time[1]", Gap{"-"}, "lap_time[2]", Gap{"-"}, "lap_time[3]", Gap{"-"}}},
    {"障害マイルタイム", {"jump_mile_time"}},
    {"前半4Fラップタイム計", {"race_first4f"}},
    {"前半3Fラップタイム計", {"race_first3f"}},
    {"後半4Fラップタイム計", {"race_last4f"}},
    {"後半3Fラップタイム計", {"race_last3f"}},
    {"コ周回各馬通貨順位0", {"corner[0].corner", "corner[0].laps", "corner[0].order"}},
    {"コ周回各馬通貨順位1", {"corner[1].corner", "corner[1].laps", "corner[1].order"}},
    {"コ周回各馬通貨順位2", {"corner[2].corner", "corner[2].laps", "corner[2].order"}},
    {"コ周回各馬通貨順位3", {"corner[3].corner", "corner[3].laps", "corner[3].order"}},
    {"第何子", {"foal_order"}},
    {"市場コード", {"sale.code"}},
    {"市場主催者", {"sale.host"}},
    {"市場名", {"sale.name"}},
    {"市場開始日", {"sale.start_date"}},
    {"市場閉鎖日", {"sale.end_date"}},
    {"取引馬齢", {"sale.age"}},
    {"取引価格（円）", {"sale.price"}},
  };
  // clang-format on
  return rows;
}

const std::vector<std::string>& Labels() {
  static const std::vector<std::string> labels = [] {
    std::vector<std::string> l;
    for (const ViewerRow& r : ViewerRows()) l.push_back(Cp932(r.label));
    return l;
  }();
  return labels;
}

std::string Shown(std::string_view ex, const ViewerRow& row) {
  std::string s;
  for (const Piece& p : row.pieces) s.append(p.text ? std::string_view(p.text) : p.field.Of(ex));
  return s;
}

}  // namespace

void ShowUmaExRecords(DataDir& dir, std::string_view file, Grid& grid) {
  // A file that is not there shows no race; looking at it makes no file.
  const std::filesystem::path path = dir.EntityPath(kUmaExFolder, file, "");
  std::optional<RecordImage> ex;
  if (EntryExists(path)) ex.emplace(path, kUmaExLength);
  const int32_t n = ex ? ex->Count() : 0;
  grid.SetCols(n + 1);
  const std::string before = Cp932("前"), after = Cp932("走");
  const std::vector<ViewerRow>& rows = ViewerRows();
  // Column c shows record n + 1 - c: the last race first.
  for (int32_t c = 1; c <= n; ++c) {
    const std::string_view rec = ex->View(n + 1 - c);
    grid.TextMatrix(0, c) = before + CountText(c) + after;
    for (size_t r = 0; r < rows.size(); ++r)
      grid.TextMatrix(static_cast<int>(r) + 1, c) = Shown(rec, rows[r]);
  }
  grid.SetColWidth(0, 2000);
  for (int32_t c = 1; c <= n; ++c) grid.SetColWidth(c, 1500);
  for (size_t r = 0; r < rows.size(); ++r)
    grid.TextMatrix(static_cast<int>(r) + 1, 0) = Labels()[r];
}

}  // namespace volq
